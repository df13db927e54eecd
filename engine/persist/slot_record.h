#pragma once
// The save slot record: exactly 19240 bytes, the whole of a "saveNNN.dat".
// Plain values here; the story fills and reads them. Decoding checks every
// field before it hands anything back, so a damaged file is refused whole.
//
// Offsets (little-endian 32-bit words, zero-terminated 64-byte names):
//     0 magic "MIR1"            4 record size 19240      8 save time text (20)
//    28 caption (64)           92 save kind             96 year..second (6 words)
//   120 scenario path         184 music name           248..440 image names 26..29
//   504 looping effect name   568 month, day, weekday  580 dialect
//   584 four game-state words 600 two interpreter words 608 wait icon shown
//   612 context word          616 particles running    620 fill grey, use, on
//   632 context word          636 32 variables         764 512 flag bytes
//  1276 216-byte context block
//  1492 message window snapshot (10180 bytes)
// 11672 four sprite snapshots (1892 bytes each)
//
// The two snapshots are fixed in size; their inside is this engine's own and
// carries a layout version so that an older reader refuses a newer layout
// instead of misreading it.
//
// Window snapshot, version 1:
//     0 exists (1) or not (0; then the rest is zero)
//     4 layout version (1)
//     8 visible (0/1)      12 pen x, y, column, line (4 words)
//    28 text colour        32 voice path (64, zero-terminated)
//    96 cell count (0..256)
//   100 cells, 28 bytes each: code, left, top, right, bottom, colour, visible
//
// Sprite snapshot, version 1:
//     0 exists (1) or not (0; then the rest is zero)
//     4 layout version (1)
//     8 image slot, source x, y, width, height, x, y, hot x, hot y, layer,
//       alpha, brightness, visible (13 words)
//    60 animating (0/1), current cell   68 sequence of 16 cells (16 words)
//   132 16 animation cells, 40 bytes each: defined, next, duration, image
//       slot, source x, y, width, height, offset x, y

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/byte_io.h"

namespace persist {

inline constexpr size_t kSlotRecordSize = 19240;
inline constexpr size_t kWindowSnapshotSize = 10180;
inline constexpr size_t kSpriteSnapshotSize = 1892;
inline constexpr int kSnapshotSprites = 4;
inline constexpr int kSnapshotLayout = 1;
// A 64-byte name field holds at most 63 bytes and its terminator.
inline constexpr size_t kNameField = 64;
inline constexpr size_t kSaveTimeField = 20;
inline constexpr int kSlotVariables = 32;
inline constexpr int kSlotFlagBytes = 512;
inline constexpr size_t kContextBlockSize = 216;
inline constexpr int kWindowCells = 256;
inline constexpr int kSpriteCells = 16;
// Image slots 0..66; -1 is "none".
inline constexpr int32_t kLastImageSlot = 66;
// The record's first 256 bytes are enough to label a slot in the menu.
inline constexpr size_t kSlotHeaderSize = 256;
// Where the menu's slot label comes from.
inline constexpr size_t kSaveTimeOffset = 8;
inline constexpr size_t kCaptionOffset = 28;

struct WindowCellSnapshot {
    uint16_t code = 0;
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    uint32_t colour = 0;
    bool visible = false;
    bool operator==(const WindowCellSnapshot&) const = default;
};

struct WindowSnapshot {
    bool exists = false;
    bool visible = false;
    int32_t penX = 0, penY = 0, column = 0, line = 0;
    uint32_t textColour = 0;
    std::string voicePath;                  // Shift-JIS, at most 63 bytes
    std::vector<WindowCellSnapshot> cells;  // at most 256
    bool operator==(const WindowSnapshot&) const = default;
};

struct AnimationCellSnapshot {
    bool defined = false;
    int32_t next = 0;  // 0..15
    uint32_t duration = 0;
    int32_t imageSlot = -1;
    int32_t sourceX = 0, sourceY = 0, width = 0, height = 0, offsetX = 0, offsetY = 0;
    bool operator==(const AnimationCellSnapshot&) const = default;
};

struct SpriteSnapshot {
    bool exists = false;
    int32_t imageSlot = -1;
    int32_t sourceX = 0, sourceY = 0, width = 0, height = 0;
    int32_t x = 0, y = 0, hotX = 0, hotY = 0;
    int32_t layer = 0;         // 0..127
    int32_t alpha = 256;       // 0..256
    int32_t brightness = 256;  // 0..512
    bool visible = true;
    bool animating = false;
    int32_t currentCell = 0;                       // 0..15
    std::array<int32_t, kSpriteCells> sequence{};  // each 0..15
    std::array<AnimationCellSnapshot, kSpriteCells> cells{};
    bool operator==(const SpriteSnapshot&) const = default;
};

struct SlotRecord {
    // Stamped by a slot save.
    std::string saveTime;  // "yyyy-mm-dd hh:mm:ss", at most 19 bytes
    std::string caption;   // Shift-JIS, at most 63 bytes
    int32_t kind = 0;
    std::array<int32_t, 6> timeFields{};  // year, month, day, hour, minute, second

    // Refreshed at the story's capture points. Names: Shift-JIS, at most 63 bytes.
    std::string scenarioPath;
    std::string musicName;
    std::array<std::string, 4> imageNames;  // image slots 26..29
    std::string loopingEffect;
    std::array<int32_t, 3> calendar{};    // month, day, weekday index
    int32_t dialect = 0;                  // 0..2
    std::array<int32_t, 4> stateWords{};  // the first is the game state
    std::array<int32_t, 2> interpreterWords{};
    bool waitIcon = false;
    int32_t contextWord = 0;
    bool particles = false;
    int32_t fillGrey = 0;  // 0..256
    bool fillUseGrey = false;
    bool fillEnabled = false;
    int32_t secondContextWord = 0;
    std::array<int32_t, kSlotVariables> variables{};
    std::array<uint8_t, kSlotFlagBytes> flags{};
    std::array<uint8_t, kContextBlockSize> contextBlock{};
    WindowSnapshot window;
    std::array<SpriteSnapshot, kSnapshotSprites> sprites{};
    bool operator==(const SlotRecord&) const = default;
};

// The game states a record may hold (the first state word).
bool IsGameState(int32_t state);

// A slot counts as used when its first 3 bytes are "MIR" and the 4th is a
// digit 1..9.
bool SlotMagicValid(formats::ByteSpan bytes);

// Exactly kSlotRecordSize bytes. Texts longer than their fields are cut at
// the field (never in the middle of a double-byte character); snapshot
// counts beyond their capacity are cut too.
formats::ByteVector EncodeSlotRecord(const SlotRecord& record);

// False with a reason when anything does not fit; *record is then untouched.
bool DecodeSlotRecord(formats::ByteSpan bytes, SlotRecord* record, std::string* why);

}  // namespace persist
