#pragma once
// Helpers shared by the tests: a temporary folder per test, whole-file I/O on
// host paths, and running a program with its output captured.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

std::vector<uint8_t> ReadHostFile(const std::filesystem::path& path);
void WriteHostFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
void WriteHostFile(const std::filesystem::path& path, const std::string& text);

struct CommandResult {
    int exitCode = -1;
    std::string output;  // stdout and stderr together
};

// Runs a shell command line and captures what it prints.
CommandResult RunCommand(const std::string& commandLine);

// The programs under test, quoted for the shell, and the source folder.
std::string MirtoolCommand();
std::string MireloCommand();
std::string KitshiftCommand();
std::string SourceFolder();

// Sets an environment variable for its lifetime (null: unset), then puts
// back what was there.
class EnvironmentVariable {
public:
    EnvironmentVariable(const char* name, const char* value);
    ~EnvironmentVariable();
    EnvironmentVariable(const EnvironmentVariable&) = delete;
    EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;

private:
    const char* name_;
    bool hadValue_ = false;
    std::string saved_;
};

// Deterministic pseudo-random bytes for round-trip tests.
std::vector<uint8_t> RandomBytes(size_t count, uint32_t seed);

}  // namespace testing_support
