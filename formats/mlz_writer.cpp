#include "formats/mlz_writer.h"

#include <algorithm>
#include <cstring>

#include "formats/lzss.h"

namespace formats {

namespace {

constexpr char kMagic[4] = {'R', 'L', 'Z', '2'};

void SetError(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

}  // namespace

MlzMethod PackMlzEntryData(ByteSpan data, MlzMethod requested, ByteVector* stored) {
    if (requested == MlzMethod::kLzss && !data.empty()) {
        stored->resize(data.size() * 2);
        int64_t written = LzssEncode(*stored, data);
        stored->resize(static_cast<size_t>(written));
        return MlzMethod::kLzss;
    }
    stored->assign(data.begin(), data.end());
    return MlzMethod::kStored;
}

MlzArchiveWriter::~MlzArchiveWriter() = default;

bool MlzArchiveWriter::Create(const std::filesystem::path& path, uint32_t reservedEntries,
                              std::string* error) {
    sink_.reset();
    if (MlzDirectoryBytes(reservedEntries) > UINT32_MAX) {
        SetError(error, "too many entries for one archive");
        return false;
    }
    std::string why = "no file opener";
    if (opener_) sink_ = opener_(path, SinkPlacement::kStaged, &why);
    if (!sink_) {
        SetError(error, "cannot create: " + why);
        return false;
    }
    reserved_ = reservedEntries;
    dataBytes_ = 0;
    fileFailed_ = false;
    entries_.clear();
    ByteVector placeholder(static_cast<size_t>(MlzDirectoryBytes(reserved_)), 0);
    std::memcpy(placeholder.data(), kMagic, sizeof kMagic);
    StoreLe32(placeholder.data() + 4, reserved_);
    if (!sink_->WriteAt(0, placeholder)) {
        SetError(error, "cannot write: " + sink_->LastError());
        sink_.reset();
        return false;
    }
    return true;
}

bool MlzArchiveWriter::Append(std::string_view name, ByteSpan stored, uint32_t unpackedSize,
                              MlzMethod method, std::string* error) {
    if (!sink_) {
        SetError(error, "archive not open");
        return false;
    }
    if (name.size() > kMlzMaxNameLength || name.find('\0') != std::string_view::npos) {
        SetError(error, "entry name '" + std::string(name) + "' is longer than " +
                            std::to_string(kMlzMaxNameLength) + " bytes");
        return false;
    }
    if (entries_.size() >= reserved_) {
        SetError(error, "more entries than the directory holds");
        return false;
    }
    if (MlzDirectoryBytes(reserved_) + dataBytes_ + stored.size() > UINT32_MAX) {
        SetError(error, "archive would pass 4 GiB at entry " + std::string(name));
        return false;
    }
    if (!sink_->WriteAt(MlzDirectoryBytes(reserved_) + dataBytes_, stored)) {
        SetError(error, "cannot write: " + sink_->LastError());
        fileFailed_ = true;
        return false;
    }
    MlzEntry entry;
    entry.name = std::string(name);
    entry.storedSize = static_cast<uint32_t>(stored.size());
    entry.unpackedSize = unpackedSize;
    entry.method = static_cast<uint32_t>(method);
    entry.dataOffset = static_cast<uint32_t>(dataBytes_);
    entries_.push_back(std::move(entry));
    dataBytes_ += stored.size();
    return true;
}

bool MlzArchiveWriter::AppendData(std::string_view name, ByteSpan data, MlzMethod method,
                                  std::string* error) {
    if (data.size() > UINT32_MAX) {
        SetError(error, "entry " + std::string(name) + " is larger than 4 GiB");
        return false;
    }
    ByteVector stored;
    MlzMethod used = PackMlzEntryData(data, method, &stored);
    return Append(name, stored, static_cast<uint32_t>(data.size()), used, error);
}

bool MlzArchiveWriter::AppendEmpty(std::string* error) {
    return Append({}, {}, 0, MlzMethod::kStored, error);
}

bool MlzArchiveWriter::Finish(std::string* error) {
    if (!sink_) {
        SetError(error, "archive not open");
        return false;
    }
    uint32_t count = EntryCount();
    uint64_t oldStart = MlzDirectoryBytes(reserved_);
    uint64_t newStart = MlzDirectoryBytes(count);
    bool ok = true;
    if (newStart < oldStart) {
        // Entries were dropped after the directory was sized: close the gap,
        // copying forward in chunks (the destination always lies below).
        ByteVector chunk(1 << 20);
        for (uint64_t done = 0; ok && done < dataBytes_;) {
            size_t size = static_cast<size_t>(std::min<uint64_t>(chunk.size(), dataBytes_ - done));
            std::span<uint8_t> piece(chunk.data(), size);
            ok = sink_->ReadAt(oldStart + done, piece) && sink_->WriteAt(newStart + done, piece);
            done += size;
        }
        ok = ok && sink_->Truncate(newStart + dataBytes_);
    }
    ByteVector head(static_cast<size_t>(newStart), 0);
    std::memcpy(head.data(), kMagic, sizeof kMagic);
    StoreLe32(head.data() + 4, count);
    StoreLe32(head.data() + 8, static_cast<uint32_t>(newStart + dataBytes_));
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t* at = head.data() + kMlzHeaderSize + kMlzEntrySize * i;
        const MlzEntry& entry = entries_[i];
        std::memcpy(at, entry.name.data(), entry.name.size());
        StoreLe32(at + 64, entry.storedSize);
        StoreLe32(at + 68, entry.unpackedSize);
        StoreLe32(at + 72, entry.method);
        StoreLe32(at + 76, entry.dataOffset);
    }
    ok = ok && sink_->WriteAt(0, head) && sink_->Commit();
    if (!ok) SetError(error, "cannot write: " + sink_->LastError());
    sink_.reset();
    return ok;
}

}  // namespace formats
