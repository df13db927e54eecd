// mirtool mlz: list, extract and pack archives.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <system_error>

#include "commands.h"
#include "formats/archive_reader.h"
#include "formats/sjis.h"
#include "platform/device_file.h"
#include "platform/host_files.h"
#include "platform/text_encoding.h"

namespace fs = std::filesystem;

namespace mirtool {

namespace {

// The archive named on the command line is opened as the user typed it, so
// that messages name it so.
formats::ByteSourceOpener HostFileOpener() {
    return [](std::string_view path, std::string* why) -> std::unique_ptr<formats::ByteSource> {
        return platform::DeviceFile::OpenHostFile(std::string(path), why);
    };
}

const char* MethodName(const formats::MlzEntry& entry) {
    if (entry.IsCompressed()) return "lzss";
    return entry.method == 0 ? "stored" : "stored*";  // * = unknown method, read as stored
}

// Splits an entry name into its folder components, treating both '\' and '/'
// as separators (a '/' inside a name would be one on the host). Double-byte
// characters are kept whole: their trail byte may be 0x5C.
std::vector<std::string> SplitEntryName(std::string_view name) {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < name.size(); ++i) {
        if (formats::IsSjisLead(static_cast<uint8_t>(name[i])) && i + 1 < name.size()) {
            parts.back() += name.substr(i, 2);
            ++i;
        } else if (name[i] == '\\' || name[i] == '/') {
            parts.emplace_back();
        } else {
            parts.back() += name[i];
        }
    }
    return parts;
}

// The host path below folder for an entry name, or a reason to refuse it: a
// rooted name, a drive name or a ".." component could escape the folder.
bool SafeHostPath(const fs::path& folder, std::string_view name, fs::path* out, std::string* why) {
    if (name.empty()) {
        *why = "empty name";
        return false;
    }
    if (name[0] == '\\' || name[0] == '/') {
        *why = "rooted name";
        return false;
    }
    fs::path result = folder;
    for (const std::string& part : SplitEntryName(name)) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            *why = "name climbs out of the folder with '..'";
            return false;
        }
        if (part.find(':') != std::string::npos) {
            *why = "drive name";
            return false;
        }
        std::string hostPart;
        platform::SjisToUtf8(part, &hostPart);
        result /= hostPart;
    }
    if (result == folder) {
        *why = "name has no file component";
        return false;
    }
    *out = result;
    return true;
}

int List(const Args& args) {
    if (args.size() != 1) return UsageError("mlz list takes one archive");
    const std::string& archive = args[0];
    formats::ArchiveReader reader(HostFileOpener());
    const formats::MlzDirectory* directory = reader.OpenDirectory(archive);
    if (directory == nullptr) return Fail(archive, reader.LastError());
    std::printf("# %zu entries; index, name, stored size, unpacked size, method, data offset\n",
                directory->entries.size());
    for (size_t i = 0; i < directory->entries.size(); ++i) {
        const formats::MlzEntry& entry = directory->entries[i];
        std::printf("%5zu  %-44s %10u %10u %-7s %10u\n", i,
                    platform::SjisForDisplay(entry.name).c_str(), entry.storedSize,
                    entry.unpackedSize, MethodName(entry), entry.dataOffset);
    }
    return 0;
}

int Extract(const Args& args) {
    if (args.size() < 2) return UsageError("mlz extract needs an archive and a folder");
    const std::string& archive = args[0];
    fs::path folder = args[1];
    formats::ArchiveReader reader(HostFileOpener());
    const formats::MlzDirectory* directory = reader.OpenDirectory(archive);
    if (directory == nullptr) return Fail(archive, reader.LastError());
    fs::path failedFolder;
    std::string folderWhy;
    if (!MakeOutputFolder(folder, &failedFolder, &folderWhy)) {
        return Fail(failedFolder.string(), folderWhy);
    }

    std::vector<std::string> names;
    if (args.size() > 2) {
        for (size_t i = 2; i < args.size(); ++i) {
            std::string name;
            platform::Utf8ToSjis(args[i], &name);
            std::replace(name.begin(), name.end(), '/', '\\');
            names.push_back(name);
        }
    } else {
        // Only the first of several equal names is ever read back, so later
        // ones are skipped rather than overwriting it.
        for (const formats::MlzEntry& entry : directory->entries) {
            bool seen = std::any_of(names.begin(), names.end(), [&](const std::string& other) {
                return formats::SjisEqualNoCase(other, entry.name);
            });
            if (seen) {
                std::fprintf(stderr, "mirtool: %s: skipping later duplicate of %s\n",
                             archive.c_str(), platform::SjisForDisplay(entry.name).c_str());
                continue;
            }
            names.push_back(entry.name);
        }
    }

    int result = 0;
    size_t written = 0;
    for (const std::string& name : names) {
        std::string shown = platform::SjisForDisplay(name);
        fs::path target;
        std::string why;
        if (!SafeHostPath(folder, name, &target, &why)) {
            result = Fail(archive, "refusing entry " + shown + ": " + why);
            continue;
        }
        formats::ByteVector bytes;
        if (!reader.ReadEntry(archive, name, &bytes)) {
            result = Fail(archive, reader.LastError());
            continue;
        }
        // The destination is to blame for what goes wrong from here.
        if (!MakeOutputFolder(target.parent_path(), &failedFolder, &why)) {
            result = Fail(failedFolder.string(), why);
            continue;
        }
        if (!WriteOutputFile(target, bytes, &why)) {
            result = Fail(target.string(), why);
            continue;
        }
        ++written;
    }
    std::fprintf(stderr, "mirtool: extracted %zu of %zu entries into %s\n", written, names.size(),
                 folder.string().c_str());
    return result;
}

// Every regular file under the given paths, folders walked in name order.
bool CollectFiles(const std::vector<std::string>& inputs, std::vector<fs::path>* files) {
    for (const std::string& input : inputs) {
        std::error_code error;
        if (fs::is_directory(input, error)) {
            std::vector<fs::path> found;
            for (fs::recursive_directory_iterator it(input, error), end; !error && it != end;
                 it.increment(error)) {
                if (it->is_regular_file()) found.push_back(it->path());
            }
            if (error) {
                Fail(input, error.message());
                return false;
            }
            std::sort(found.begin(), found.end());
            files->insert(files->end(), found.begin(), found.end());
        } else if (fs::is_regular_file(input, error)) {
            files->push_back(input);
        } else if (!fs::exists(input, error)) {
            Fail(input, std::make_error_code(std::errc::no_such_file_or_directory).message());
            return false;
        } else {
            Fail(input, "is not a file or a folder");
            return false;
        }
    }
    return true;
}

int Pack(const Args& args) {
    std::string output;
    fs::path base = ".";
    auto method = formats::MlzMethod::kLzss;
    std::vector<std::string> inputs;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--stored") {
            method = formats::MlzMethod::kStored;
        } else if (args[i] == "--base") {
            if (++i == args.size()) return UsageError("--base needs a folder");
            base = args[i];
        } else if (output.empty()) {
            output = args[i];
        } else {
            inputs.push_back(args[i]);
        }
    }
    if (output.empty() || inputs.empty()) return UsageError("mlz pack needs an output and files");

    std::vector<fs::path> files;
    if (!CollectFiles(inputs, &files)) return 1;
    std::error_code error;
    fs::path canonicalBase = fs::weakly_canonical(base, error);
    formats::MlzArchiveBuilder builder;
    uint64_t inputBytes = 0;
    for (const fs::path& file : files) {
        fs::path relative = fs::weakly_canonical(file, error).lexically_relative(canonicalBase);
        std::string relativeText = relative.generic_string();
        if (relative.empty() || relativeText.starts_with("..")) {
            return Fail(file.string(), "lies outside the base folder " + base.string());
        }
        std::string name;
        if (!platform::Utf8ToSjis(relativeText, &name)) {
            return Fail(file.string(), "name has characters that Shift-JIS cannot hold");
        }
        std::replace(name.begin(), name.end(), '/', '\\');
        formats::ByteVector bytes;
        std::string why;
        if (!ReadHostFile(file, &bytes, &why)) return Fail(file.string(), why);
        if (!builder.AddEntry(name, bytes, method, &why)) return Fail(file.string(), why);
        inputBytes += bytes.size();
    }
    formats::ByteVector archive = builder.Finish();
    std::string why;
    if (!WriteOutputFile(output, archive, &why)) return Fail(output, why);
    std::fprintf(stderr, "mirtool: packed %zu entries, %llu bytes into %zu bytes: %s\n",
                 builder.EntryCount(), static_cast<unsigned long long>(inputBytes), archive.size(),
                 output.c_str());
    return 0;
}

}  // namespace

int RunMlzCommand(const Args& args) {
    if (args.empty()) return UsageError("mlz needs a command: list, extract or pack");
    Args rest(args.begin() + 1, args.end());
    if (args[0] == "list") return List(rest);
    if (args[0] == "extract") return Extract(rest);
    if (args[0] == "pack") return Pack(rest);
    return UsageError("unknown mlz command '" + args[0] + "'");
}

}  // namespace mirtool
