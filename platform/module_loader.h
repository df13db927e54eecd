#pragma once
// Run-time modules (the MP3 decoder and encoder modules): looked up in the
// executable's folder first, then in the folders of MIRELO_MODULE_PATH
// (colon separated), then through the system's library search.

#include <string>

namespace platform {

// nullptr when the module cannot be loaded.
void* LoadModule(const std::string& name);
void* ResolveSymbol(void* module, const char* name);
void FreeModule(void* module);

}  // namespace platform
