#include "platform/host_file_sink.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>
#include <utility>

namespace platform {

namespace {

namespace fs = std::filesystem;

class HostFileSink final : public formats::ByteSink {
public:
    HostFileSink(std::FILE* file, fs::path target, fs::path written)
        : file_(file), target_(std::move(target)), written_(std::move(written)) {}

    ~HostFileSink() override { Abandon(); }

    bool WriteAt(uint64_t offset, formats::ByteSpan bytes) override {
        if (!SeekFor(offset, Operation::kWrite)) return false;
        if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
            return FailWithErrno();
        }
        position_ = offset + bytes.size();
        return true;
    }

    bool ReadAt(uint64_t offset, std::span<uint8_t> bytes) override {
        if (!SeekFor(offset, Operation::kRead)) return false;
        if (std::fread(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
            if (std::ferror(file_)) return FailWithErrno();
            lastError_ = "file is shorter than what was written";
            return false;
        }
        position_ = offset + bytes.size();
        return true;
    }

    bool Truncate(uint64_t size) override {
        if (file_ == nullptr) return Fail("file is closed");
        if (std::fflush(file_) != 0 || ::ftruncate(fileno(file_), static_cast<off_t>(size)) != 0) {
            return FailWithErrno();
        }
        return true;
    }

    bool Commit() override {
        if (file_ == nullptr) return Fail("file is closed");
        bool ok = std::fflush(file_) == 0;
        if (!ok) lastError_ = std::strerror(errno);
        std::FILE* file = file_;
        file_ = nullptr;
        if (std::fclose(file) != 0 && ok) {
            lastError_ = std::strerror(errno);
            ok = false;
        }
        if (ok && written_ != target_) {
            std::error_code renameError;
            fs::rename(written_, target_, renameError);
            if (renameError) {
                lastError_ = renameError.message();
                ok = false;
            }
        }
        if (!ok) RemoveStaged();
        committed_ = ok;
        return ok;
    }

    const std::string& LastError() const override { return lastError_; }

private:
    enum class Operation { kRead, kWrite };

    // stdio wants a seek between a write and a read; a write that follows a
    // write at the same place needs none, so streaming stays buffered.
    bool SeekFor(uint64_t offset, Operation operation) {
        if (file_ == nullptr) return Fail("file is closed");
        if (operation != lastOperation_ || offset != position_) {
            if (::fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) return FailWithErrno();
            position_ = offset;
        }
        lastOperation_ = operation;
        return true;
    }

    bool Fail(const char* reason) {
        lastError_ = reason;
        return false;
    }

    bool FailWithErrno() {
        lastError_ = std::strerror(errno);
        return false;
    }

    void RemoveStaged() {
        if (written_ == target_) return;
        std::error_code ignored;
        fs::remove(written_, ignored);
    }

    void Abandon() {
        if (file_ != nullptr) std::fclose(file_);
        file_ = nullptr;
        if (!committed_) RemoveStaged();
    }

    std::FILE* file_;
    fs::path target_;
    fs::path written_;  // the target itself, or its staging name
    uint64_t position_ = 0;
    Operation lastOperation_ = Operation::kWrite;
    bool committed_ = false;
    std::string lastError_;
};

}  // namespace

formats::ByteSinkOpener HostFileSinkOpener() {
    return [](const fs::path& hostPath, formats::SinkPlacement placement,
              std::string* error) -> std::unique_ptr<formats::ByteSink> {
        fs::path written = hostPath;
        if (placement == formats::SinkPlacement::kStaged) written += ".part";
        std::FILE* file = std::fopen(written.c_str(), "w+b");
        if (file == nullptr) {
            if (error != nullptr) *error = std::strerror(errno);
            return nullptr;
        }
        return std::make_unique<HostFileSink>(file, hostPath, std::move(written));
    };
}

}  // namespace platform
