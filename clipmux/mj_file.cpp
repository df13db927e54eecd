#include "clipmux/mj_file.h"

namespace clipmux {

namespace {

bool Fail(std::string* why, const std::string& reason) {
    *why = reason;
    return false;
}

}  // namespace

bool ParseMjFile(formats::ByteSpan table, uint64_t fileSize, MjFile* out, std::string* why) {
    *out = {};
    if (!formats::HasRange(table, 0, kMjEntriesOffset))
        return Fail(why, "not an mj file (too short)");
    MjFile file;
    file.channels = formats::ReadLe16(table, 14);
    file.sampleRate = formats::ReadLe32(table, 16);
    file.rateNumerator = formats::ReadLe16(table, 20);
    file.rateDenominator = formats::ReadLe16(table, 22);
    file.entryCount = formats::ReadLe16(table, 24);
    file.soundChunksPlusOne = formats::ReadLe16(table, 26);
    file.dataBase = formats::ReadLe32(table, 28);
    const uint32_t entries = file.entryCount;
    if (entries == 0) return Fail(why, "the mj file has no entries");
    if (!formats::HasRange(table, kMjEntriesOffset, uint64_t{entries} * kMjEntrySize))
        return Fail(why, "the mj file's table runs past the end of the file");
    const uint32_t soundChunks = file.soundChunksPlusOne == 0 ? 0 : file.soundChunksPlusOne - 1u;
    if (soundChunks > entries)
        return Fail(why, "the mj file counts more sound chunks than entries");

    auto entry = [&](uint32_t k, size_t field) {
        return uint64_t{file.dataBase} +
               formats::ReadLe32(table, kMjEntriesOffset + size_t{k} * kMjEntrySize + field);
    };
    auto range = [&](uint64_t start, uint64_t end, const char* what, uint32_t k,
                     formats::FileRange* r) {
        if (start > end || end > fileSize) {
            *why = std::string("the mj file's ") + what + " " + std::to_string(k) +
                   " lies outside the file";
            return false;
        }
        *r = {start, end - start};
        return true;
    };
    file.frames.resize(entries - 1);
    for (uint32_t k = 0; k + 1 < entries; ++k) {
        if (!range(entry(k, 8), entry(k + 1, 0), "video frame", k, &file.frames[k])) return false;
    }
    file.sounds.resize(soundChunks);
    for (uint32_t k = 0; k < soundChunks; ++k) {
        if (!range(entry(k, 0), entry(k, 8), "sound chunk", k, &file.sounds[k])) return false;
        file.soundBytes += file.sounds[k].size;
    }
    *out = std::move(file);
    return true;
}

bool ReadMjFile(formats::ByteSource& source, MjFile* out, std::string* why) {
    const uint64_t size = source.Size();
    formats::ByteVector first(kMjFirstReadSize);
    if (size < kMjFirstReadSize || !source.ReadAt(0, first))
        return Fail(why, "not an mj file (too short)");
    const uint64_t tableSize =
        kMjEntriesOffset + uint64_t{formats::ReadLe16(first, 24)} * kMjEntrySize;
    if (tableSize > size) return Fail(why, "the mj file's table runs past the end of the file");
    formats::ByteVector table(static_cast<size_t>(tableSize));
    if (!source.ReadAt(0, table)) return Fail(why, "cannot read the mj file's table");
    return ParseMjFile(table, size, out, why);
}

}  // namespace clipmux
