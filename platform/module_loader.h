#pragma once
// Run-time modules (the MP3 decoder and encoder modules): looked up in the
// executable's folder first, then in the folders of MIRELO_MODULE_PATH
// (colon separated), then through the system's library search.

#include <string>

namespace platform {

// The folder of the running program, with a trailing '/'; empty when
// /proc/self/exe cannot be read.
std::string ExecutableFolder();

// nullptr when the module cannot be loaded.
void* LoadModule(const std::string& name);
// A module at a full host path, loaded from there and nowhere else (a path
// the user configured); nullptr when it cannot be loaded.
void* LoadModuleAt(const std::string& hostPath);
void* ResolveSymbol(void* module, const char* name);
void FreeModule(void* module);

}  // namespace platform
