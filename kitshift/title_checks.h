#pragma once
// What both front ends check before a conversion, and the texts they show.

#include <filesystem>
#include <string>

namespace kitshift {

inline constexpr int kTitleCount = 4;
inline constexpr const char* kTitleNames[kTitleCount] = {"Voskerinta", "Tamro", "belomantes",
                                                         "Quevara"};
inline constexpr int kTitleExecutableCount = 6;
inline constexpr const char* kTitleExecutables[kTitleExecutableCount] = {
    "Voskerinta.exe", "tamro.exe", "TamroDvd.exe", "belomantes.exe", "QV.exe", "QV_DVD.exe"};

// The user's texts (UTF-8).
inline constexpr const char kProgramCaption[] = "kitshift Ver1.50";
inline constexpr const char kModuleMissingText[] = "<< GOGO.DLL >>が見つかりませんでした。";
inline constexpr const char kModuleMissingCaption[] = "ＤＬＬ異常";
inline constexpr const char kFolderWrongText[] =
    "『Voskerinta』『Tamro』『belomantes』『Quevara』のフォルダを指定して下さい。";
inline constexpr const char kFolderWrongCaption[] = "フォルダ異常";
inline constexpr const char kBrowseTitle[] = "フォルダを選択して下さい。";
// Entries done, entries in total, the file being converted.
inline constexpr const char kProgressFormat[] = "変換データ数：%d / %d (%s)";
// The same on the console, whose messages are English.
inline constexpr const char kConsoleProgressFormat[] = "Converted %d / %d (%s)";

// Loads the encoder module by name and frees it again: true when it loads.
bool EncoderModuleAvailable();

// True when the folder holds one of kTitleExecutables (letter case ignored,
// as the title's own file system would).
bool HasTitleExecutable(const std::filesystem::path& folder);

// The progress text for the given counts and name.
std::string FormatProgress(int done, int total, const std::string& name,
                           const char* format = kProgressFormat);

// Where the picture name lists are looked for: "picture_lists.txt" beside the
// executable, then in the installed data folder.
std::filesystem::path DefaultPictureListsPath();

}  // namespace kitshift
