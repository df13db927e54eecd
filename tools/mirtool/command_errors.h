#pragma once
// How mirtool's commands report: errors on stderr as "mirtool: FILE: reason"
// with exit code 1, bad usage with the usage text and exit code 2.

#include <string>

namespace mirtool {

extern const char kUsage[];

// Prints "mirtool: <subject>: <reason>" to stderr and returns 1.
int Fail(const std::string& subject, const std::string& reason);
// Prints a usage error and the usage text; returns 2.
int UsageError(const std::string& message);

}  // namespace mirtool
