#include "engine/core/app_window.h"

#include <map>

namespace core {

namespace {

// The object whose window is being created, and the bindings made from it.
AppWindow* objectUnderConstruction = nullptr;
std::map<platform::WindowHandle, AppWindow*>& Bindings() {
    static std::map<platform::WindowHandle, AppWindow*> bindings;
    return bindings;
}

}  // namespace

AppWindow::~AppWindow() {
    if (objectUnderConstruction == this) objectUnderConstruction = nullptr;
    if (window != 0) Bindings().erase(window);
}

bool AppWindow::CreateMainWindow(platform::WindowSystem& windows, const std::string& windowTitle) {
    objectUnderConstruction = this;
    window = windows.CreateMainWindow(windowTitle);
    if (window == 0) {
        objectUnderConstruction = nullptr;
        return false;
    }
    title = windowTitle;
    return true;
}

intptr_t AppWindow::WindowProcedure(const platform::Message& message) {
    auto& bindings = Bindings();
    auto found = bindings.find(message.window);
    if (found == bindings.end()) {
        if (objectUnderConstruction == nullptr ||
            objectUnderConstruction->window != message.window) {
            return 0;
        }
        found = bindings.emplace(message.window, objectUnderConstruction).first;
        objectUnderConstruction = nullptr;
    }
    return found->second->HandleMessage(message);
}

intptr_t AppWindow::HandleMessage(const platform::Message&) {
    return 0;
}

}  // namespace core
