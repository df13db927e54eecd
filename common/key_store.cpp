#include "common/key_store.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

namespace common {

namespace {

std::vector<std::string> ReadLines(const std::filesystem::path& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool IsSection(const std::string& line, std::string* name) {
    if (line.size() < 2 || line.front() != '[' || line.back() != ']') return false;
    *name = line.substr(1, line.size() - 2);
    return true;
}

// Splits "NAME=value"; false for lines without '='.
bool SplitValue(const std::string& line, std::string* name, std::string* value) {
    size_t equals = line.find('=');
    if (equals == std::string::npos) return false;
    *name = line.substr(0, equals);
    *value = line.substr(equals + 1);
    return true;
}

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

}  // namespace

std::filesystem::path KeyStorePath() {
    std::filesystem::path folder;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') {
        folder = config;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] == '\0') return {};
        folder = std::filesystem::path(home) / ".config";
    }
    return folder / "kitshift" / "registry.ini";
}

bool ReadKeyValue(const std::string& key, const std::string& name, std::string* value,
                  size_t bufferSize) {
    if (value == nullptr) return false;
    std::filesystem::path path = KeyStorePath();
    if (path.empty()) return false;
    std::string section;
    bool inKey = false;
    for (const std::string& line : ReadLines(path)) {
        std::string lineName, lineValue;
        if (IsSection(line, &section)) {
            inKey = section == key;
        } else if (inKey && SplitValue(line, &lineName, &lineValue) && lineName == name) {
            if (lineValue.size() + 1 > bufferSize) return false;
            *value = lineValue;
            return true;
        }
    }
    return false;
}

bool WriteKeyValue(const std::string& key, const std::string& name, const std::string& value) {
    if (HasLineBreak(key) || HasLineBreak(name) || HasLineBreak(value) || key.empty() ||
        name.empty() || name.find('=') != std::string::npos) {
        return false;
    }
    std::filesystem::path path = KeyStorePath();
    if (path.empty()) return false;
    std::vector<std::string> lines = ReadLines(path);

    // Replace the value in place, or add it at the end of its key, or add
    // the key at the end of the file.
    std::string newLine = name + "=" + value;
    std::string section;
    bool inKey = false;
    size_t keyEnd = std::string::npos;
    bool done = false;
    for (size_t i = 0; i < lines.size() && !done; ++i) {
        std::string lineName, lineValue;
        if (IsSection(lines[i], &section)) {
            if (inKey) break;
            inKey = section == key;
            if (inKey) keyEnd = i + 1;
        } else if (inKey) {
            if (SplitValue(lines[i], &lineName, &lineValue) && lineName == name) {
                lines[i] = newLine;
                done = true;
            } else if (!lines[i].empty()) {
                keyEnd = i + 1;
            }
        }
    }
    if (!done) {
        if (keyEnd != std::string::npos) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(keyEnd), newLine);
        } else {
            lines.push_back("[" + key + "]");
            lines.push_back(newLine);
        }
    }

    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error) return false;
    std::ostringstream text;
    for (const std::string& line : lines) text << line << '\n';
    // Written beside and renamed, so a failed write leaves the old store whole.
    std::filesystem::path temporary = path;
    temporary += ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text.str();
        if (!out.flush()) return false;
    }
    std::filesystem::rename(temporary, path, error);
    return error ? 0 : 1;
}

}  // namespace common
