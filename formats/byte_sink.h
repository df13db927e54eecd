#pragma once
// What the file writers (MLZ archives, movies) write through: a writable file
// with random access, and an opener that creates one at a host path. formats
// declares them and works over them only; the platform supplies the files
// behind them (platform/host_file_sink.h).
//
// Thread safety: a sink is used by one thread at a time.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "formats/byte_io.h"

namespace formats {

class ByteSink {
public:
    // A sink destroyed without a successful Commit is abandoned: a staged
    // file is removed, a file written in place stays as it was left.
    virtual ~ByteSink() = default;

    // Writes all of bytes at offset, growing the file as needed.
    virtual bool WriteAt(uint64_t offset, ByteSpan bytes) = 0;
    // Reads back exactly bytes.size() bytes written earlier at offset.
    virtual bool ReadAt(uint64_t offset, std::span<uint8_t> bytes) = 0;
    // Cuts the file to size bytes.
    virtual bool Truncate(uint64_t size) = 0;
    // Writes out and closes the file; a staged file then takes the target's
    // name. After a failed commit the sink is abandoned.
    virtual bool Commit() = 0;
    // Why the last call failed, in the system's words, for messages.
    virtual const std::string& LastError() const = 0;
};

enum class SinkPlacement {
    kInPlace,  // the file at the path is created or replaced at once
    kStaged,   // written beside the path and moved into place by Commit
};

// Creates a sink for the file at a host path; nullptr with *error set (the
// system's words) when it cannot be created.
using ByteSinkOpener = std::function<std::unique_ptr<ByteSink>(
    const std::filesystem::path& hostPath, SinkPlacement placement, std::string* error)>;

}  // namespace formats
