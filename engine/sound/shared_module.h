#pragma once
// The module lifecycle both decoder bindings share: load the kind's module,
// resolve its entry points into the one table every binding of the kind
// uses, and unload it once neither a binding nor an open stream needs it.
// What the entry points are differs per kind and stays with each binding,
// which keeps one SharedModule for its kind. Internal to engine/sound.
//
// Thread safety: Load and Unload take the kind's lock; the other calls
// expect it held.

#include <mutex>

#include "engine/sound/decoder_binding.h"
#include "engine/sound/decoder_support.h"
#include "platform/module_loader.h"

namespace sound {

template <typename Functions>
class SharedModule {
public:
    // Fills a table from a module just loaded; false when the module lacks
    // what the kind cannot do without.
    using Resolver = bool (*)(void* module, Functions* found);
    // Whether a table has every call a stream makes.
    using Readiness = bool (*)(const Functions& functions);

    SharedModule(DecoderKind kind, const char* moduleName, Resolver resolve, Readiness ready)
        : kind_(kind), moduleName_(moduleName), resolve_(resolve), ready_(ready) {}
    SharedModule(const SharedModule&) = delete;
    SharedModule& operator=(const SharedModule&) = delete;

    std::mutex& Lock() const { return ModuleLock(kind_); }

    // A binding's Load: an owning binding that holds no module yet loads
    // one into *module and publishes its table; a temporary binding loads
    // nothing and only asks whether an owner has published a usable one.
    // 0 = loaded or usable, 1 = not.
    int Load(bool owns, void** module) {
        if (!owns) {
            std::lock_guard<std::mutex> lock(Lock());
            return Ready() ? 0 : 1;
        }
        if (*module != nullptr) return 0;
        void* loaded = platform::LoadModule(moduleName_);
        if (loaded == nullptr) return 1;
        Functions found{};
        if (!resolve_(loaded, &found)) {
            platform::FreeModule(loaded);
            return 1;
        }
        std::lock_guard<std::mutex> lock(Lock());
        functions_ = found;
        users_.AddHolder();
        *module = loaded;
        return 0;
    }

    // An owning binding's Unload, after it has closed its own stream. The
    // module stays loaded while streams of other bindings still run on it.
    void Unload(void** module) {
        if (*module == nullptr) return;
        std::lock_guard<std::mutex> lock(Lock());
        if (users_.ReleaseHolder(*module)) functions_ = Functions{};
        *module = nullptr;
    }

    // The published table; empty while no module is loaded.
    const Functions& Table() const { return functions_; }
    bool Ready() const { return ready_(functions_); }
    // A stream opened on, or closed from, the kind's functions.
    void AddStream() { users_.AddStream(); }
    void ReleaseStream() {
        if (users_.ReleaseStream()) functions_ = Functions{};
    }

private:
    const DecoderKind kind_;
    const char* const moduleName_;
    const Resolver resolve_;
    const Readiness ready_;
    Functions functions_{};
    ModuleUsers users_;
};

}  // namespace sound
