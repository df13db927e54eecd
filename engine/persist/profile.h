#pragma once
// The configuration file's profile engine: sections in square brackets and
// key=value lines, Shift-JIS bytes, kept in memory as the file's lines so
// that a write-back keeps every line it did not change (comments, unknown
// keys, lines before the first section). One file is cached at a time.
//
// Thread safety: game thread only.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace persist {

class ProfileCache {
public:
    ProfileCache() = default;
    ~ProfileCache() = default;
    ProfileCache(const ProfileCache&) = delete;
    ProfileCache& operator=(const ProfileCache&) = delete;

    // The integer at section/key of the file (a device path), or
    // defaultValue when the key is missing or its value empty.
    int32_t GetProfileInt(std::string_view section, std::string_view key, int32_t defaultValue,
                          std::string_view file);
    // The string at section/key into *out, or defaultValue when the key is
    // missing, its value empty or longer than maxLength characters (a
    // double-byte character counts as one). Returns the result's length.
    size_t GetProfileString(std::string_view section, std::string_view key,
                            std::string_view defaultValue, std::string* out, size_t maxLength,
                            std::string_view file);
    // Replaces the section's first entry of the key, or inserts key=value
    // right under the section line, appending the section when it is missing.
    void WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                            std::string_view file);

    // Writes the cached file back when it was changed, then forgets it.
    // False when the write failed (the old file stays; stderr says why).
    bool FlushProfile();
    // Forgets the cache without writing it.
    void ResetProfile();
    // Caches bytes as the content of `file` without reading the disk; what
    // was cached before is written back first, as with any other file.
    void AdoptProfile(std::string_view file, std::string_view bytes);

    // The cached lines, without their line ends (for tests).
    const std::vector<std::string>& Lines() const { return lines_; }

    // Parses an integer value as the file means it: "0x" and hex digits, or
    // an optional sign and decimal digits; what follows the number is
    // ignored. Not for an empty value.
    static int32_t ParseInt(std::string_view value);
    // Loads lines from the bytes of a file (CR LF, LF or CR line ends).
    static std::vector<std::string> SplitLines(std::string_view bytes);

private:
    // Makes `file` the cached one; the previous one is written back first.
    void Select(std::string_view file);
    // The index of the value's line, or -1; *valueStart where its value begins.
    long FindEntry(std::string_view section, std::string_view key, size_t* valueStart) const;

    std::string path_;
    bool loaded_ = false;
    bool changed_ = false;
    std::vector<std::string> lines_;
};

}  // namespace persist
