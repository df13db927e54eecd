#pragma once
// The converters' per-user key store, where the desktop system keeps its
// registry: one INI file, "kitshift/registry.ini" in the XDG configuration
// folder ($XDG_CONFIG_HOME, else ~/.config). A key such as
// "Software\\MarineCat\\GOGO_DLL" is a section; its named values are lines
// "NAME=value". Values are strings.
//
// Thread safety: no locking; the file is read and rewritten whole per call.

#include <filesystem>
#include <string>

namespace common {

// The store's file; empty when neither XDG_CONFIG_HOME nor HOME is set.
std::filesystem::path KeyStorePath();

// Reads value `name` of `key` into *value when it fits in `bufferSize` bytes
// with its terminating NUL, as a fixed-size read buffer would. true on success,
// false when the store, the key or the value is missing or the value too long.
bool ReadKeyValue(const std::string& key, const std::string& name, std::string* value,
                  size_t bufferSize = 1024);

// Creates or replaces value `name` of `key`, creating the store and its
// folder when needed. true on success, false when the file cannot be written or a
// part contains a line break.
bool WriteKeyValue(const std::string& key, const std::string& name, const std::string& value);

}  // namespace common
