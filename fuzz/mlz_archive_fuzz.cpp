// Feeds whole archive files to the directory parser and unpacks every entry.
#include <cstddef>
#include <cstdint>

#include "formats/mlz_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    formats::ByteSpan file(data, size);
    formats::MlzDirectory directory;
    if (!formats::ParseMlzDirectory(file, size, &directory, nullptr)) return 0;
    for (const formats::MlzEntry& entry : directory.entries) {
        directory.Find(entry.name);
        uint64_t offset = directory.AbsoluteOffset(entry);
        if (!formats::HasRange(file, offset, entry.storedSize))
            __builtin_trap();  // parser promised this
        formats::ByteVector unpacked;
        formats::UnpackMlzEntry(entry, file.subspan(offset, entry.storedSize), &unpacked, nullptr);
    }
    return 0;
}
