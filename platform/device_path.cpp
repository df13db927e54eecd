#include "platform/device_path.h"

#include <dirent.h>
#include <sys/stat.h>

#include <utility>
#include <vector>

#include "formats/sjis.h"
#include "platform/text_encoding.h"

namespace platform {

namespace {

bool Exists(const std::string& hostPath) {
    struct stat info {};
    return ::lstat(hostPath.c_str(), &info) == 0;
}

// Splits at '\' that are characters of their own, not trail bytes.
std::vector<std::string> SplitDevicePath(std::string_view path) {
    std::vector<std::string> parts;
    std::string current;
    for (size_t i = 0; i < path.size(); ++i) {
        uint8_t byte = static_cast<uint8_t>(path[i]);
        if (formats::IsSjisLead(byte) && i + 1 < path.size()) {
            current += path[i];
            current += path[++i];
        } else if (path[i] == '\\') {
            parts.push_back(std::move(current));
            current.clear();
        } else {
            current += path[i];
        }
    }
    parts.push_back(std::move(current));
    return parts;
}

// The entry of folder whose name equals component without case, if exactly
// one folder entry does (several candidates differing only in case are
// ambiguous; the exact name has already been tried).
bool FindCaseless(const std::string& folder, const std::string& component, std::string* found) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return false;
    bool any = false;
    while (dirent* entry = ::readdir(dir)) {
        std::string_view name(entry->d_name);
        if (name == "." || name == "..") continue;
        if (ComponentEqualNoCase(name, component)) {
            // Directory order is arbitrary; keep the smallest for a stable choice.
            if (!any || name < std::string_view(*found)) *found = std::string(name);
            any = true;
        }
    }
    ::closedir(dir);
    return any;
}

}  // namespace

bool FindHostEntryNoCase(const std::string& hostFolder, std::string_view name, std::string* found) {
    std::string folder = hostFolder;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    std::string exact(name);
    if (Exists(folder + exact)) {
        *found = std::move(exact);
        return true;
    }
    return FindCaseless(folder, exact, found);
}

bool ComponentEqualNoCase(std::string_view a, std::string_view b) {
    // UTF-8 bytes of non-ASCII characters are all 0x80 or above, so folding
    // the ASCII letters alone never touches them.
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (formats::FoldAsciiUpper(a[i]) != formats::FoldAsciiUpper(b[i])) return false;
    }
    return true;
}

std::string HostToDevicePath(std::string_view hostPath) {
    std::string device;
    Utf8ToSjis(hostPath, &device);
    for (char& c : device) {
        if (c == '/') c = '\\';
    }
    return device;
}

std::string DeviceToHostPath(std::string_view devicePath) {
    std::vector<std::string> parts = SplitDevicePath(devicePath);
    bool rooted = !devicePath.empty() && devicePath[0] == '\\';
    std::string host = rooted ? "/" : "";
    bool resolving = true;
    for (size_t i = rooted ? 1 : 0; i < parts.size(); ++i) {
        // Host names are UTF-8; a component that is not valid Shift-JIS keeps its bytes.
        std::string part;
        SjisToUtf8(parts[i], &part);
        bool last = i + 1 == parts.size();
        if (part.empty()) {
            // A doubled or trailing separator: keep a trailing one, drop doubles.
            if (last && !host.empty() && host.back() != '/') host += '/';
            continue;
        }
        std::string candidate = host + part;
        if (resolving && part != "." && part != ".." && !Exists(candidate)) {
            std::string found;
            if (FindCaseless(host, part, &found)) {
                candidate = host + found;
            } else {
                resolving = false;  // nothing below a missing folder can exist
            }
        }
        host = candidate;
        if (!last) host += '/';
    }
    return host;
}

}  // namespace platform
