#pragma once
// The save folder's files on disk. Writes replace a file whole (the old file
// or the new one, never a mix, even when the process dies half way); a
// failed write leaves the old file and prints "mirelo: FILE: reason" on
// stderr. Paths are device paths (the save folder ends in '\').

#include <string>
#include <string_view>
#include <vector>

#include "engine/persist/seen_data.h"
#include "engine/persist/slot_record.h"
#include "formats/byte_io.h"

namespace persist {

inline constexpr int kSlotCount = 15;
inline constexpr size_t kSystemFlagBytes = 512;
inline constexpr char kSystemFlagsFile[] = "save000.dat";
inline constexpr char kNameSetsFile[] = "rysys.dat";
inline constexpr char kReadFlagsFile[] = "mes.dat";

// "save001.dat" for slot index 0 .. "save015.dat" for 14.
std::string SlotFileName(int index);

bool WriteSaveFile(const std::string& devicePath, formats::ByteSpan bytes);
bool ReadSaveFile(const std::string& devicePath, formats::ByteVector* bytes, std::string* why);

bool WriteSlotRecord(const std::string& saveFolder, int index, const SlotRecord& record);
// False with a reason when the file is missing or refused; *record is then untouched.
bool ReadSlotRecord(const std::string& saveFolder, int index, SlotRecord* record, std::string* why);

bool WriteNameSets(const std::string& saveFolder, const NameSets& sets);
bool ReadNameSets(const std::string& saveFolder, NameSets* sets, std::string* why);
bool WriteReadFlagFile(const std::string& saveFolder, const std::vector<ReadFlagEntry>& entries);
bool ReadReadFlagFile(const std::string& saveFolder, std::vector<ReadFlagEntry>* entries,
                      std::string* why);

}  // namespace persist
