#pragma once
// The Game API: the full-screen display and the hardware keys of the
// handheld. The device frame buffer is 240 x 320 portrait RGB565; the game
// is shown turned by a quarter. The functions forward to the display of the
// running backend (SetGxDevice).

#include <cstddef>
#include <cstdint>

#include "platform/messages.h"

namespace platform {

inline constexpr uint32_t kGxFullScreen = 1;
inline constexpr uint32_t kGxLandscapeKeys = 1;  // GX_LANDSCAPEKEYS
inline constexpr uint32_t kGxFormat565 = 0x80;   // kfDirect565
inline constexpr uint32_t kGxFormatDirect = 0x20;

// The 24-byte display-properties record.
struct GXDisplayProperties {
    uint32_t cxWidth;
    uint32_t cyHeight;
    int32_t cbxPitch;
    int32_t cbyPitch;
    int32_t cBPP;
    uint32_t ffFormat;
};
static_assert(sizeof(GXDisplayProperties) == 24);

struct GXPoint {
    int32_t x;
    int32_t y;
};

// Eight entries of a 16-bit virtual-key code and a point: 96 bytes.
struct GXKeyEntry {
    int16_t vkCode;
    GXPoint point;
};
struct GXKeyList {
    GXKeyEntry up, down, left, right, a, b, c, start;
};
static_assert(sizeof(GXKeyList) == 96);

// Virtual-key codes the backends produce (landscape key list and the centre).
enum VirtualKey : uint16_t {
    kVkLeft = 0x25,
    kVkUp = 0x26,
    kVkRight = 0x27,
    kVkDown = 0x28,
    kVkA = 0xC1,
    kVkB = 0xC2,
    kVkC = 0xC3,
    kVkStart = 0xC4,
    kVkCentre = 0x86,
};

// The device both backends present: 240 x 320 portrait RGB565, rows of 480
// bytes, and the key list that their keys produce (the same list for every
// orientation, since the backends already send landscape directions).
inline constexpr int32_t kDeviceWidth = 240;
inline constexpr int32_t kDeviceHeight = 320;
inline constexpr GXDisplayProperties kDeviceDisplayProperties = {
    kDeviceWidth, kDeviceHeight, 2, kDeviceWidth * 2, 16, kGxFormat565 | kGxFormatDirect};
inline constexpr size_t kDeviceBufferBytes = size_t{kDeviceWidth} * kDeviceHeight * 2;
inline constexpr GXKeyList kDeviceKeyList = {
    {kVkUp, {0, 0}}, {kVkDown, {0, 0}}, {kVkLeft, {0, 0}}, {kVkRight, {0, 0}},
    {kVkA, {0, 0}},  {kVkB, {0, 0}},    {kVkC, {0, 0}},    {kVkStart, {0, 0}}};

// What a backend provides behind the Game API.
class GxDevice {
public:
    virtual ~GxDevice() = default;
    virtual bool OpenDisplay(WindowHandle window, uint32_t flags) = 0;
    virtual void CloseDisplay() = 0;
    virtual bool OpenInput() = 0;
    virtual void CloseInput() = 0;
    virtual GXDisplayProperties DisplayProperties() const = 0;
    virtual GXKeyList DefaultKeys(uint32_t orientation) const = 0;
    // The device frame buffer while drawing; nullptr when the display is closed.
    virtual uint8_t* BeginDraw() = 0;
    // Shows what was drawn.
    virtual void EndDraw() = 0;
};

void SetGxDevice(GxDevice* device);

bool GXOpenDisplay(WindowHandle window, uint32_t flags);  // false on failure
bool GXCloseDisplay();
bool GXOpenInput();
bool GXCloseInput();
GXDisplayProperties GXGetDisplayProperties();
GXKeyList GXGetDefaultKeys(uint32_t orientation);
void* GXBeginDraw();
bool GXEndDraw();

}  // namespace platform
