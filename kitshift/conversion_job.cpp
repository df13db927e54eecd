#include "kitshift/conversion_job.h"

#include <algorithm>

#include "common/mp3_encoder.h"
#include "formats/mlz_writer.h"
#include "formats/sjis.h"
#include "kitshift/chip_picture.h"
#include "kitshift/crx_decoder.h"
#include "kitshift/pcm_decoders.h"
#include "kitshift/voice_archive_reader.h"
#include "platform/device_path.h"
#include "platform/host_file_sink.h"
#include "platform/host_files.h"
#include "platform/text_encoding.h"

namespace kitshift {

namespace fs = std::filesystem;

namespace {

constexpr char kGraphicsArchiveName[] = "grpack.mlz";
constexpr char kVoiceArchiveName[] = "voice.mlz";
constexpr char kVoiceIndexName[] = "voice.dat";
// A voice-folder sound that the engine never plays; it is left out.
constexpr char kExcludedVoiceFile[] = "sp_z08.pcm";

std::string ToUtf8(const std::string& sjis) {
    std::string utf8;
    return platform::SjisToUtf8(sjis, &utf8) ? utf8 : sjis;
}

// The archive entry name of a file: its folder below the source root and
// its name, '\'-separated.
std::string EntryName(const SourceFileNode& node, const std::string& fileName) {
    return node.relativeFolder.empty() ? fileName : node.relativeFolder + "\\" + fileName;
}

// A source file as the user sees it in messages: its path below the source
// folder with the host's separators.
std::string DisplayName(const SourceFileNode& node) {
    std::string name = ToUtf8(EntryName(node, node.fileName));
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

bool HasExtension(const std::string& name, const char* extension) {
    size_t dot = formats::SjisFindLastDot(name);
    return dot != formats::kSjisNotFound && formats::SjisEqualNoCase(name.substr(dot), extension);
}

// The host file name with its extension (from the last '.') replaced.
std::string ReplaceHostExtension(const std::string& name, const std::string& extension) {
    size_t dot = name.rfind('.');
    return (dot == std::string::npos ? name : name.substr(0, dot)) + extension;
}

// A child of `folder` by name, letter case ignored (the title's own file
// system ignored it); empty when there is none.
fs::path FindChildIgnoringCase(const fs::path& folder, const std::string& name) {
    std::string found;
    if (!platform::FindHostEntryNoCase(folder.string(), name, &found)) return {};
    return folder / found;
}

bool EncodePictureEntry(const SourcePicture& picture, RbpConversion conversion,
                        formats::ByteVector* rbp, std::string* error) {
    switch (conversion) {
        case RbpConversion::Blended:
            return EncodeRbpBlended(picture, rbp, error);
        case RbpConversion::Alpha:
            return EncodeRbpAlpha(picture, rbp, error);
        case RbpConversion::Opaque:
            break;
    }
    return EncodeRbpOpaque(picture, rbp, error);
}

}  // namespace

ConversionJob::ConversionJob(ConversionSettings settings)
    : settings_(std::move(settings)), tree_(this->settings_.sourceFolder) {}

ConversionJob::~ConversionJob() {
    // The body uses this object's members: it must end before they go. A
    // thread still suspended is resumed so that it can see the stop.
    Stop();
    try {
        Resume();
    } catch (const platform::CCtrlFailed&) {
        // Running already, finished, or never created.
    }
    try {
        Wait();
    } catch (const std::exception&) {
        // No thread, or the run failed; nothing is left to report to.
    }
}

std::string ConversionJob::CurrentName() const {
    std::lock_guard<std::mutex> guard(nameLock_);
    return currentName_;
}

void ConversionJob::SetCurrentName(const std::string& name) {
    std::lock_guard<std::mutex> guard(nameLock_);
    currentName_ = name;
}

void ConversionJob::Report(const std::string& file, const std::string& reason, ProblemPlace place) {
    problems_.push_back({file, reason, place});
}

void ConversionJob::Prepare() {
    if (prepared_) return;
    prepared_ = true;
    tree_.Clear();
    // The walk's errors read "FOLDER: reason" with the folder's whole path;
    // problems name it below the source folder like every other file.
    auto reportFolder = [this](const std::string& error) {
        size_t split = error.rfind(": ");
        if (split == std::string::npos) {
            Report({}, error);
            return;
        }
        fs::path folder =
            fs::path(error.substr(0, split)).lexically_relative(settings_.sourceFolder);
        Report(folder == "." ? std::string() : folder.generic_string(), error.substr(split + 2));
    };
    std::string error;
    if (tree_.ScanAll(&error) < 0) reportFolder(error);
    for (const std::string& folder : tree_.UnlistedFolders()) reportFolder(folder);
    const SourceCounters& counters = tree_.Counters();
    int total = counters.pictures + counters.scripts + 1 + counters.musicSounds;

    fs::path indexPath = FindChildIgnoringCase(settings_.sourceFolder, kVoiceIndexName);
    if (indexPath.empty()) {
        fs::path gameData = FindChildIgnoringCase(settings_.sourceFolder, "GameData");
        if (!gameData.empty()) indexPath = FindChildIgnoringCase(gameData, kVoiceIndexName);
    }
    // Without the index the voices are not converted at all.
    if (!indexPath.empty()) {
        summary_.voiceIndexFound = true;
        voiceIndexName_ = indexPath.lexically_relative(settings_.sourceFolder).generic_string();
        if (!platform::ReadHostFile(indexPath, &voiceIndexFile_, &error)) {
            Report(voiceIndexName_, error);
        } else {
            voiceIndexRead_ = true;
            if (!ReadVoiceIndex(voiceIndexFile_, &voiceIndex_)) {
                Report(voiceIndexName_, "record table cut short");
            }
            for (const std::string& problem : voiceIndex_.problems) {
                Report(voiceIndexName_, problem);
            }
            for (const SourceFileNode& node : tree_.Nodes()) {
                if (node.voice && ClassifySourceFile(node.fileName) == SourceKind::kSound &&
                    !formats::SjisEqualNoCase(node.fileName, kExcludedVoiceFile)) {
                    voiceFiles_.push_back(&node);
                }
            }
            total += static_cast<int>(voiceIndex_.records.size() + voiceFiles_.size());
        }
    }
    entriesTotal_.store(total, std::memory_order_release);
}

void ConversionJob::Run() {
    struct DoneOnExit {
        std::atomic<bool>& flag;
        ~DoneOnExit() { flag.store(true, std::memory_order_release); }
    } doneOnExit{done_};
    PackGraphicsArchive();
    // The sound constant table is built on first use by the decoders; build
    // it here so the first sound does not pay for it.
    SoundConstantTable();
    RunMusicStage();
    RunVoiceStage();
}

bool ConversionJob::PackGraphicsArchive() {
    if (packed_) return true;
    packed_ = true;
    Prepare();
    std::string error;
    const SourceCounters& counters = tree_.Counters();
    int entryCount = counters.pictures + counters.scripts + 1;
    const int stageStart = EntriesDone();

    formats::MlzArchiveWriter writer(platform::HostFileSinkOpener());
    fs::path archivePath = settings_.outputFolder / kGraphicsArchiveName;
    if (!writer.Create(archivePath, static_cast<uint32_t>(entryCount), &error)) {
        Report(kGraphicsArchiveName, error, ProblemPlace::kOutput);
        // Its entries will not come; the count moves on past them.
        entriesDone_.store(stageStart + entryCount, std::memory_order_release);
        return false;
    }
    SetCurrentName("chip.rbp");
    formats::ByteVector rbp;
    if (!EncodeRbpOpaqueFull(ChipSourcePicture(), &rbp, &error) ||
        !writer.AppendData("chip.rbp", rbp, formats::MlzMethod::kLzss, &error)) {
        Report("chip.rbp", error);
    }
    Advance();

    for (const SourceFileNode& node : tree_.Nodes()) {
        if (writer.FileFailed()) break;
        SourceKind kind = ClassifySourceFile(node.fileName);
        if (kind != SourceKind::kPicture && kind != SourceKind::kMap && kind != SourceKind::kScript)
            continue;
        CheckStop();
        std::string shown = DisplayName(node);
        SetCurrentName(ToUtf8(node.fileName));
        formats::ByteVector file;
        std::string why;
        if (!platform::ReadHostFile(node.hostPath, &file, &why)) {
            Report(shown, why);
        } else if (kind == SourceKind::kPicture) {
            SourcePicture picture;
            rbp.clear();
            RbpConversion conversion =
                SelectRbpConversion(settings_.pictureLists, settings_.titleIndex, node.fileName);
            if (!DecodeCrx(file, &picture, &why)) {
                Report(shown, "cannot decode picture: " + why);
            } else if (!EncodePictureEntry(picture, conversion, &rbp, &why)) {
                Report(shown, "cannot convert picture: " + why);
            } else if (!writer.AppendData(
                           EntryName(node, formats::SjisReplaceExtension(node.fileName, ".rbp")),
                           rbp, formats::MlzMethod::kLzss, &why)) {
                Report(shown, why);
            }
        } else if (!writer.AppendData(EntryName(node, node.fileName), file,
                                      formats::MlzMethod::kLzss, &why)) {
            Report(shown, why);
        }
        Advance();
    }
    if (writer.FileFailed()) {
        // The archive itself, not the entry, failed: blame it and move the
        // count past what will not come.
        problems_.back() = {kGraphicsArchiveName, problems_.back().reason, ProblemPlace::kOutput};
        entriesDone_.store(stageStart + entryCount, std::memory_order_release);
        return false;
    }
    if (!writer.Finish(&error)) {
        Report(kGraphicsArchiveName, error, ProblemPlace::kOutput);
        return false;
    }
    summary_.graphicsArchiveWritten = true;
    summary_.graphicsEntries = static_cast<int>(writer.EntryCount());
    return true;
}

bool ConversionJob::RunMusicStage() {
    Prepare();
    bool result = true;
    for (const SourceFileNode& node : tree_.Nodes()) {
        if (node.voice || ClassifySourceFile(node.fileName) != SourceKind::kSound) continue;
        CheckStop();
        std::string shown = DisplayName(node);
        SetCurrentName(ToUtf8(node.fileName));
        formats::ByteVector file;
        std::string why;
        if (!platform::ReadHostFile(node.hostPath, &file, &why)) {
            Report(shown, why);
            Advance();
            continue;
        }
        common::Mp3Encoder encoder(settings_.musicBitrateIndex, settings_.musicFrequencyIndex,
                                   settings_.musicStereo);
        EncodedSound sound;
        if (!ConvertPcmSound(file, SoundStage::kMusic, &encoder, ConvertToPcm16, &sound)) {
            Report(shown, encoder.HasModule() ? "cannot decode or encode sound"
                                              : "encoder module not found");
        } else {
            fs::path output = settings_.outputFolder /
                              ReplaceHostExtension(node.hostPath.filename().string(), ".mp3");
            if (platform::WriteHostFileAtomically(output, {sound.bytes.get(), sound.size}, &why)) {
                ++summary_.musicFiles;
            } else {
                Report(output.filename().string(), why, ProblemPlace::kOutput);
                result = false;
            }
        }
        Advance();
    }
    return result;
}

bool ConversionJob::RunVoiceStage() {
    Prepare();
    if (!summary_.voiceIndexFound) return true;
    if (!voiceIndexRead_) return false;
    const std::vector<VoiceRecord>& records = voiceIndex_.records;
    size_t entryCount = records.size() + voiceFiles_.size();
    const int stageStart = EntriesDone();
    std::string why;

    formats::MlzArchiveWriter writer(platform::HostFileSinkOpener());
    if (!writer.Create(settings_.outputFolder / kVoiceArchiveName,
                       static_cast<uint32_t>(entryCount), &why)) {
        Report(kVoiceArchiveName, why, ProblemPlace::kOutput);
        entriesDone_.store(stageStart + static_cast<int>(entryCount), std::memory_order_release);
        return false;
    }
    // Every entry keeps its place, so a sound that fails leaves an empty
    // entry and the ones after it stay where they were.
    auto appendSound = [&](formats::ByteSpan data, SoundStage stage, const std::string& name,
                           const std::string& shown) {
        common::Mp3Encoder encoder(settings_.voiceBitrateIndex, settings_.voiceFrequencyIndex, 1,
                                   0);
        EncodedSound sound;
        std::string error;
        if (!ConvertPcmSound(data, stage, &encoder, ConvertToPcm16, &sound)) {
            Report(shown, encoder.HasModule() ? "cannot decode or encode sound"
                                              : "encoder module not found");
        } else if (writer.Append(name, {sound.bytes.get(), sound.size}, sound.size,
                                 formats::MlzMethod::kStored, &error)) {
            return;
        } else if (writer.FileFailed()) {
            Report(kVoiceArchiveName, error, ProblemPlace::kOutput);
            return;
        } else {
            Report(shown, error);
        }
        ++summary_.emptyVoiceEntries;
        writer.AppendEmpty(&error);
    };

    for (const VoiceRecord& record : records) {
        CheckStop();
        std::string shown = voiceIndexName_ + ": record " + ToUtf8(record.name);
        SetCurrentName(ToUtf8(record.name));
        if (!HasExtension(record.name, ".pcm") || !record.valid) {
            ++summary_.emptyVoiceEntries;
            writer.AppendEmpty(&why);
        } else {
            appendSound(VoiceRecordData(voiceIndexFile_, record), SoundStage::kVoiceRecord,
                        "VOICE\\" + formats::SjisReplaceExtension(record.name, ".mp3"), shown);
        }
        Advance();
        if (writer.FileFailed()) break;
    }
    for (const SourceFileNode* node : voiceFiles_) {
        if (writer.FileFailed()) break;
        CheckStop();
        std::string shown = DisplayName(*node);
        SetCurrentName(ToUtf8(node->fileName));
        formats::ByteVector file;
        if (!platform::ReadHostFile(node->hostPath, &file, &why)) {
            Report(shown, why);
            ++summary_.emptyVoiceEntries;
            writer.AppendEmpty(&why);
        } else {
            appendSound(file, SoundStage::kVoiceFile,
                        node->destinationFolder + "\\" +
                            formats::SjisReplaceExtension(node->fileName, ".mp3"),
                        shown);
        }
        Advance();
    }
    if (writer.FileFailed()) {
        entriesDone_.store(stageStart + static_cast<int>(entryCount), std::memory_order_release);
        return false;
    }
    if (!writer.Finish(&why)) {
        Report(kVoiceArchiveName, why, ProblemPlace::kOutput);
        return false;
    }
    summary_.voiceArchiveWritten = true;
    summary_.voiceEntries = static_cast<int>(writer.EntryCount());
    return true;
}

}  // namespace kitshift
