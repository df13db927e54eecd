// mirtool mov: looks into .mov movies. The file is read as the player reads
// it: the first bytes for the header, then exactly the header and index, then
// each frame's range, so a hostile or huge file is refused before anything
// large is read or allocated.

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "commands.h"
#include "formats/movie_container.h"
#include "platform/device_file.h"
#include "platform/host_files.h"

namespace mirtool {

namespace {

class MovieFile {
public:
    bool Open(const std::string& path, std::string* error) {
        file_ = platform::DeviceFile::OpenHostFile(path, error);
        if (!file_) return false;
        const uint64_t fileSize = file_->Size();

        formats::ByteVector first;
        if (!Read(0, std::min<uint64_t>(fileSize, formats::kMovieFirstReadSize), &first, error))
            return false;
        formats::MovieHeader header;
        if (!formats::ParseMovieHeader(first, fileSize, &header, error)) return false;
        formats::ByteVector headerAndIndex;
        if (!Read(0, formats::MovieIndexBytes(header), &headerAndIndex, error)) return false;
        return formats::ParseMovieIndex(headerAndIndex, fileSize, &index_, error);
    }

    const formats::MovieIndex& index() const { return index_; }

    bool ReadFrame(uint32_t frame, formats::ByteVector* out, std::string* error) {
        const formats::FileRange range = index_.FrameRange(frame);
        return Read(range.offset, range.size, out, error);
    }

private:
    bool Read(uint64_t offset, uint64_t size, formats::ByteVector* out, std::string* error) {
        out->resize(size);
        errno = 0;
        if (!file_->ReadAt(offset, *out)) {
            // The parsers checked every range against the size taken at open.
            *error = errno != 0 ? std::strerror(errno) : "file shrank while being read";
            return false;
        }
        return true;
    }

    std::unique_ptr<platform::DeviceFile> file_;
    formats::MovieIndex index_;
};

std::string MagicText(const std::array<uint8_t, 4>& magic) {
    std::string text = "\"";
    for (uint8_t byte : magic) {
        if (byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\') {
            text += static_cast<char>(byte);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            text += escaped;
        }
    }
    return text + "\"";
}

int Info(const std::string& path) {
    MovieFile movie;
    std::string error;
    if (!movie.Open(path, &error)) return Fail(path, error);
    const formats::MovieHeader& h = movie.index().header;
    std::printf("magic:        %s\n", MagicText(h.magic).c_str());
    std::printf("reserved 4:   %u\n", h.reserved4);
    std::printf("frame count:  %u\n", h.frameCount);
    std::printf("frame rate:   %u\n", h.frameRate);
    std::printf("field 16:     %u\n", h.field16);
    std::printf("width:        %u\n", h.width);
    std::printf("height:       %u\n", h.height);
    std::printf("entry size:   %u\n", h.entrySize);
    std::printf("total size:   %u\n", h.totalSize);
    std::printf("reserved 36:  %u\n", h.reserved36);
    std::printf("reserved 40:  %u\n", h.reserved40);
    std::printf("data start:   %u\n", h.dataStart);
    std::printf("frames:       %u\n", movie.index().FrameCount());
    std::printf("%7s %7s %7s %8s %5s %10s\n", "frame", "number", "stored", "decoded", "kind",
                "offset");
    for (uint32_t i = 0; i < movie.index().FrameCount(); ++i) {
        const formats::MovieIndexEntry& e = movie.index().entries[i];
        std::printf("%7u %7u %7u %8u %5u %10u\n", i, e.frameNumber, e.storedSize, e.decodedSize,
                    e.kind, e.dataOffset);
    }
    return 0;
}

int Frames(const std::string& path, const std::filesystem::path& folder) {
    MovieFile movie;
    std::string error;
    if (!movie.Open(path, &error)) return Fail(path, error);
    std::filesystem::path failed;
    if (!MakeOutputFolder(folder, &failed, &error)) return Fail(failed.string(), error);

    formats::ByteVector bytes;
    for (uint32_t i = 0; i < movie.index().FrameCount(); ++i) {
        if (!movie.ReadFrame(i, &bytes, &error)) return Fail(path, error);
        char name[32];
        std::snprintf(name, sizeof name, "frame-%05u.jpg", i);
        std::string why;
        if (!WriteOutputFile(folder / name, bytes, &why))
            return Fail((folder / name).string(), why);
    }
    return 0;
}

}  // namespace

int RunMovCommand(const Args& args) {
    if (args.empty()) return UsageError("mov: no command given");
    const std::string& command = args[0];
    if (command == "info") {
        if (args.size() != 2) return UsageError("mov info takes one movie file");
        return Info(args[1]);
    }
    if (command == "frames") {
        if (args.size() != 3) return UsageError("mov frames takes a movie file and a folder");
        return Frames(args[1], args[2]);
    }
    return UsageError("mov: unknown command '" + command + "'");
}

}  // namespace mirtool
