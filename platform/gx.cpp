#include "platform/gx.h"

namespace platform {

namespace {

// The backend's display; the Game API is a set of free functions, so the
// device behind them is process-wide, as the system library's was.
GxDevice* currentDevice = nullptr;

}  // namespace

void SetGxDevice(GxDevice* device) {
    currentDevice = device;
}

bool GXOpenDisplay(WindowHandle window, uint32_t flags) {
    if (currentDevice == nullptr) return false;
    return currentDevice->OpenDisplay(window, flags);
}

bool GXCloseDisplay() {
    if (currentDevice == nullptr) return false;
    currentDevice->CloseDisplay();
    return true;
}

bool GXOpenInput() {
    if (currentDevice == nullptr) return false;
    return currentDevice->OpenInput();
}

bool GXCloseInput() {
    if (currentDevice == nullptr) return false;
    currentDevice->CloseInput();
    return true;
}

GXDisplayProperties GXGetDisplayProperties() {
    if (currentDevice == nullptr) return GXDisplayProperties{};
    return currentDevice->DisplayProperties();
}

GXKeyList GXGetDefaultKeys(uint32_t orientation) {
    if (currentDevice == nullptr) return GXKeyList{};
    return currentDevice->DefaultKeys(orientation);
}

void* GXBeginDraw() {
    if (currentDevice == nullptr) return nullptr;
    return currentDevice->BeginDraw();
}

bool GXEndDraw() {
    if (currentDevice == nullptr) return false;
    currentDevice->EndDraw();
    return true;
}

}  // namespace platform
