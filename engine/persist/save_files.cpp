#include "engine/persist/save_files.h"

#include <cstdio>

#include "platform/device_path.h"
#include "platform/host_files.h"

namespace persist {

std::string SlotFileName(int index) {
    char name[32];
    std::snprintf(name, sizeof name, "save%03d.dat", index + 1);
    return name;
}

bool WriteSaveFile(const std::string& devicePath, formats::ByteSpan bytes) {
    std::string why;
    if (platform::WriteHostFileAtomically(platform::DeviceToHostPath(devicePath), bytes, &why)) {
        return true;
    }
    std::fprintf(stderr, "mirelo: %s: %s\n", devicePath.c_str(), why.c_str());
    return false;
}

bool ReadSaveFile(const std::string& devicePath, formats::ByteVector* bytes, std::string* why) {
    return platform::ReadHostFile(platform::DeviceToHostPath(devicePath), bytes, why);
}

bool WriteSlotRecord(const std::string& saveFolder, int index, const SlotRecord& record) {
    return WriteSaveFile(saveFolder + SlotFileName(index), EncodeSlotRecord(record));
}

bool ReadSlotRecord(const std::string& saveFolder, int index, SlotRecord* record,
                    std::string* why) {
    formats::ByteVector bytes;
    return ReadSaveFile(saveFolder + SlotFileName(index), &bytes, why) &&
           DecodeSlotRecord(bytes, record, why);
}

bool WriteNameSets(const std::string& saveFolder, const NameSets& sets) {
    return WriteSaveFile(saveFolder + kNameSetsFile, EncodeNameSets(sets));
}

bool ReadNameSets(const std::string& saveFolder, NameSets* sets, std::string* why) {
    formats::ByteVector bytes;
    return ReadSaveFile(saveFolder + kNameSetsFile, &bytes, why) &&
           DecodeNameSets(bytes, sets, why);
}

bool WriteReadFlagFile(const std::string& saveFolder, const std::vector<ReadFlagEntry>& entries) {
    return WriteSaveFile(saveFolder + kReadFlagsFile, EncodeReadFlagFile(entries));
}

bool ReadReadFlagFile(const std::string& saveFolder, std::vector<ReadFlagEntry>* entries,
                      std::string* why) {
    formats::ByteVector bytes;
    return ReadSaveFile(saveFolder + kReadFlagsFile, &bytes, why) &&
           DecodeReadFlagFile(bytes, entries, why);
}

}  // namespace persist
