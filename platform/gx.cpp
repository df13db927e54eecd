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

int GXOpenDisplay(WindowHandle window, uint32_t flags) {
    if (currentDevice == nullptr) return 0;
    return currentDevice->OpenDisplay(window, flags) ? 1 : 0;
}

int GXCloseDisplay() {
    if (currentDevice == nullptr) return 0;
    currentDevice->CloseDisplay();
    return 1;
}

int GXOpenInput() {
    if (currentDevice == nullptr) return 0;
    return currentDevice->OpenInput() ? 1 : 0;
}

int GXCloseInput() {
    if (currentDevice == nullptr) return 0;
    currentDevice->CloseInput();
    return 1;
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

int GXEndDraw() {
    if (currentDevice == nullptr) return 0;
    currentDevice->EndDraw();
    return 1;
}

}  // namespace platform
