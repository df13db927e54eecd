#include "platform/module_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>
#include <vector>

namespace platform {

namespace {

void* OpenInFolder(std::string_view folder, const std::string& name) {
    if (folder.empty()) return nullptr;
    std::string path(folder);
    if (path.back() != '/') path += '/';
    path += name;
    return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

}  // namespace

std::string ExecutableFolder() {
    std::vector<char> buffer(4096);
    ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) return {};
    std::string path(buffer.data(), static_cast<size_t>(length));
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    return path.substr(0, slash + 1);
}

void* LoadModule(const std::string& name) {
    if (name.empty()) return nullptr;
    const std::string programs = ExecutableFolder();
    if (void* module = OpenInFolder(programs, name)) return module;
    // An installed program finds its modules in PREFIX/lib/mirelo.
    if (!programs.empty()) {
        if (void* module = OpenInFolder(programs + "../lib/mirelo", name)) return module;
    }
    if (const char* list = std::getenv("MIRELO_MODULE_PATH")) {
        std::string_view rest(list);
        while (!rest.empty()) {
            size_t colon = rest.find(':');
            std::string_view folder = rest.substr(0, colon);
            if (void* module = OpenInFolder(folder, name)) return module;
            if (colon == std::string_view::npos) break;
            rest.remove_prefix(colon + 1);
        }
    }
    // A bare name goes through the system's library search; a name with a
    // '/' would be taken relative to the working folder, which is not a place
    // modules are installed.
    if (name.find('/') != std::string::npos) return nullptr;
    return ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* LoadModuleAt(const std::string& hostPath) {
    if (hostPath.empty() || hostPath.front() != '/') return nullptr;
    return ::dlopen(hostPath.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* ResolveSymbol(void* module, const char* name) {
    if (module == nullptr || name == nullptr) return nullptr;
    return ::dlsym(module, name);
}

void FreeModule(void* module) {
    if (module != nullptr) ::dlclose(module);
}

}  // namespace platform
