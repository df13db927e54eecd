#include "engine/persist/slot_record.h"

#include <algorithm>
#include <cstring>

#include "formats/sjis.h"

namespace persist {
namespace {

constexpr size_t kWindowOffset = 1492;
constexpr size_t kSpritesOffset = 11672;
constexpr size_t kCellBytes = 28;
constexpr size_t kWindowCellsOffset = 100;
constexpr size_t kAnimationCellBytes = 40;
constexpr size_t kSpriteCellsOffset = 132;

static_assert(kWindowOffset + kWindowSnapshotSize == kSpritesOffset);
static_assert(kSpritesOffset + kSnapshotSprites * kSpriteSnapshotSize == kSlotRecordSize);
static_assert(kWindowCellsOffset + kWindowCells * kCellBytes <= kWindowSnapshotSize);
static_assert(kSpriteCellsOffset + kSpriteCells * kAnimationCellBytes <= kSpriteSnapshotSize);

// The longest prefix of text that fits `capacity` bytes without splitting a
// double-byte character; the field's terminator must stay.
size_t FittingLength(const std::string& text, size_t capacity) {
    // A text that fits is kept byte for byte, whatever it holds.
    if (text.size() <= capacity) return text.size();
    size_t length = 0;
    while (length < text.size()) {
        size_t step = formats::IsSjisLead(static_cast<uint8_t>(text[length])) ? 2 : 1;
        if (length + step > capacity || length + step > text.size()) break;
        length += step;
    }
    return length;
}

class Writer {
public:
    explicit Writer(uint8_t* base) : base_(base) {}
    void Word(size_t offset, uint32_t value) { formats::StoreLe32(base_ + offset, value); }
    void Int(size_t offset, int32_t value) { Word(offset, static_cast<uint32_t>(value)); }
    void Text(size_t offset, size_t field, const std::string& text) {
        size_t length = FittingLength(text, field - 1);
        std::memcpy(base_ + offset, text.data(), length);
    }

private:
    uint8_t* base_;
};

// Reads fields of a span already known to be long enough, noting the first
// field that does not fit.
class Reader {
public:
    explicit Reader(formats::ByteSpan bytes) : bytes_(bytes) {}
    uint32_t Word(size_t offset) const { return formats::ReadLe32(bytes_, offset); }
    int32_t Int(size_t offset) const { return static_cast<int32_t>(Word(offset)); }
    int32_t Ranged(size_t offset, int32_t low, int32_t high, const char* what) {
        int32_t value = Int(offset);
        if (value < low || value > high) Fail(what);
        return value;
    }
    bool Bool(size_t offset, const char* what) { return Ranged(offset, 0, 1, what) == 1; }
    std::string Text(size_t offset, size_t field, const char* what) {
        const uint8_t* start = bytes_.data() + offset;
        const void* end = std::memchr(start, 0, field);
        if (end == nullptr) {
            Fail(what);
            return {};
        }
        return std::string(reinterpret_cast<const char*>(start),
                           static_cast<const uint8_t*>(end) - start);
    }
    void Fail(const char* what) {
        if (why_.empty()) why_ = what;
    }
    bool Ok() const { return why_.empty(); }
    const std::string& Why() const { return why_; }
    formats::ByteSpan Sub(size_t offset, size_t size) const { return bytes_.subspan(offset, size); }

private:
    formats::ByteSpan bytes_;
    std::string why_;
};

void EncodeWindow(const WindowSnapshot& window, uint8_t* out) {
    if (!window.exists) return;
    Writer w(out);
    w.Word(0, 1);
    w.Word(4, kSnapshotLayout);
    w.Word(8, window.visible);
    w.Int(12, window.penX);
    w.Int(16, window.penY);
    w.Int(20, window.column);
    w.Int(24, window.line);
    w.Word(28, window.textColour);
    w.Text(32, kNameField, window.voicePath);
    size_t count = std::min<size_t>(window.cells.size(), kWindowCells);
    w.Word(96, static_cast<uint32_t>(count));
    for (size_t i = 0; i < count; ++i) {
        const WindowCellSnapshot& cell = window.cells[i];
        size_t at = kWindowCellsOffset + i * kCellBytes;
        w.Word(at, cell.code);
        w.Int(at + 4, cell.left);
        w.Int(at + 8, cell.top);
        w.Int(at + 12, cell.right);
        w.Int(at + 16, cell.bottom);
        w.Word(at + 20, cell.colour);
        w.Word(at + 24, cell.visible);
    }
}

bool DecodeWindow(formats::ByteSpan bytes, WindowSnapshot* window, std::string* why) {
    Reader r(bytes);
    WindowSnapshot result;
    result.exists = r.Bool(0, "window snapshot: bad existence word");
    if (r.Ok() && result.exists) {
        if (r.Word(4) != kSnapshotLayout) r.Fail("window snapshot: unknown layout version");
        result.visible = r.Bool(8, "window snapshot: bad visibility word");
        result.penX = r.Int(12);
        result.penY = r.Int(16);
        result.column = r.Int(20);
        result.line = r.Int(24);
        result.textColour = r.Word(28);
        result.voicePath = r.Text(32, kNameField, "window snapshot: voice path not terminated");
        int32_t count = r.Ranged(96, 0, kWindowCells, "window snapshot: cell count out of range");
        for (int32_t i = 0; r.Ok() && i < count; ++i) {
            size_t at = kWindowCellsOffset + static_cast<size_t>(i) * kCellBytes;
            WindowCellSnapshot cell;
            cell.code =
                static_cast<uint16_t>(r.Ranged(at, 0, 0xFFFF, "window snapshot: bad cell code"));
            cell.left = r.Int(at + 4);
            cell.top = r.Int(at + 8);
            cell.right = r.Int(at + 12);
            cell.bottom = r.Int(at + 16);
            cell.colour = r.Word(at + 20);
            cell.visible = r.Bool(at + 24, "window snapshot: bad cell visibility");
            result.cells.push_back(cell);
        }
    }
    if (!r.Ok()) {
        *why = r.Why();
        return false;
    }
    *window = std::move(result);
    return true;
}

void EncodeSprite(const SpriteSnapshot& sprite, uint8_t* out) {
    if (!sprite.exists) return;
    Writer w(out);
    w.Word(0, 1);
    w.Word(4, kSnapshotLayout);
    const int32_t fields[] = {sprite.imageSlot, sprite.sourceX, sprite.sourceY, sprite.width,
                              sprite.height,    sprite.x,       sprite.y,       sprite.hotX,
                              sprite.hotY,      sprite.layer,   sprite.alpha,   sprite.brightness,
                              sprite.visible};
    for (size_t i = 0; i < std::size(fields); ++i) w.Int(8 + 4 * i, fields[i]);
    w.Word(60, sprite.animating);
    w.Int(64, sprite.currentCell);
    for (int i = 0; i < kSpriteCells; ++i) w.Int(68 + 4 * i, sprite.sequence[i]);
    for (int i = 0; i < kSpriteCells; ++i) {
        const AnimationCellSnapshot& cell = sprite.cells[i];
        size_t at = kSpriteCellsOffset + i * kAnimationCellBytes;
        w.Word(at, cell.defined);
        w.Int(at + 4, cell.next);
        w.Word(at + 8, cell.duration);
        w.Int(at + 12, cell.imageSlot);
        w.Int(at + 16, cell.sourceX);
        w.Int(at + 20, cell.sourceY);
        w.Int(at + 24, cell.width);
        w.Int(at + 28, cell.height);
        w.Int(at + 32, cell.offsetX);
        w.Int(at + 36, cell.offsetY);
    }
}

bool DecodeSprite(formats::ByteSpan bytes, SpriteSnapshot* sprite, std::string* why) {
    Reader r(bytes);
    SpriteSnapshot result;
    result.exists = r.Bool(0, "sprite snapshot: bad existence word");
    if (r.Ok() && !result.exists) {
        // A missing sprite's snapshot is all zero.
        if (std::any_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b != 0; }))
            r.Fail("sprite snapshot: bytes after an absent sprite");
    } else if (r.Ok()) {
        if (r.Word(4) != kSnapshotLayout) r.Fail("sprite snapshot: unknown layout version");
        result.imageSlot =
            r.Ranged(8, -1, kLastImageSlot, "sprite snapshot: image slot out of range");
        result.sourceX = r.Int(12);
        result.sourceY = r.Int(16);
        result.width = r.Int(20);
        result.height = r.Int(24);
        result.x = r.Int(28);
        result.y = r.Int(32);
        result.hotX = r.Int(36);
        result.hotY = r.Int(40);
        result.layer = r.Ranged(44, 0, 127, "sprite snapshot: layer out of range");
        result.alpha = r.Ranged(48, 0, 256, "sprite snapshot: alpha out of range");
        result.brightness = r.Ranged(52, 0, 512, "sprite snapshot: brightness out of range");
        result.visible = r.Bool(56, "sprite snapshot: bad visibility word");
        result.animating = r.Bool(60, "sprite snapshot: bad animation word");
        result.currentCell =
            r.Ranged(64, 0, kSpriteCells - 1, "sprite snapshot: current cell out of range");
        for (int i = 0; i < kSpriteCells; ++i) {
            result.sequence[i] =
                r.Ranged(68 + 4 * i, 0, kSpriteCells - 1, "sprite snapshot: sequence out of range");
        }
        for (int i = 0; i < kSpriteCells; ++i) {
            AnimationCellSnapshot& cell = result.cells[i];
            size_t at = kSpriteCellsOffset + i * kAnimationCellBytes;
            cell.defined = r.Bool(at, "sprite snapshot: bad cell word");
            cell.next =
                r.Ranged(at + 4, 0, kSpriteCells - 1, "sprite snapshot: next cell out of range");
            cell.duration = r.Word(at + 8);
            cell.imageSlot = r.Ranged(at + 12, -1, kLastImageSlot,
                                      "sprite snapshot: cell image slot out of range");
            cell.sourceX = r.Int(at + 16);
            cell.sourceY = r.Int(at + 20);
            cell.width = r.Int(at + 24);
            cell.height = r.Int(at + 28);
            cell.offsetX = r.Int(at + 32);
            cell.offsetY = r.Int(at + 36);
        }
    }
    if (!r.Ok()) {
        *why = r.Why();
        return false;
    }
    *sprite = std::move(result);
    return true;
}

}  // namespace

bool IsGameState(int32_t state) {
    static constexpr int32_t kStates[] = {0, 1, 10, 20, 50, 51, 55, 60, 70, 80, 99};
    return std::find(std::begin(kStates), std::end(kStates), state) != std::end(kStates);
}

bool SlotMagicValid(formats::ByteSpan bytes) {
    return bytes.size() >= 4 && bytes[0] == 'M' && bytes[1] == 'I' && bytes[2] == 'R' &&
           bytes[3] >= '1' && bytes[3] <= '9';
}

formats::ByteVector EncodeSlotRecord(const SlotRecord& record) {
    formats::ByteVector bytes(kSlotRecordSize, 0);
    Writer w(bytes.data());
    std::memcpy(bytes.data(), "MIR1", 4);
    w.Word(4, kSlotRecordSize);
    w.Text(8, kSaveTimeField, record.saveTime);
    w.Text(28, kNameField, record.caption);
    w.Int(92, record.kind);
    for (size_t i = 0; i < 6; ++i) w.Int(96 + 4 * i, record.timeFields[i]);
    w.Text(120, kNameField, record.scenarioPath);
    w.Text(184, kNameField, record.musicName);
    for (size_t i = 0; i < 4; ++i) w.Text(248 + kNameField * i, kNameField, record.imageNames[i]);
    w.Text(504, kNameField, record.loopingEffect);
    for (size_t i = 0; i < 3; ++i) w.Int(568 + 4 * i, record.calendar[i]);
    w.Int(580, record.dialect);
    for (size_t i = 0; i < 4; ++i) w.Int(584 + 4 * i, record.stateWords[i]);
    for (size_t i = 0; i < 2; ++i) w.Int(600 + 4 * i, record.interpreterWords[i]);
    w.Word(608, record.waitIcon);
    w.Int(612, record.contextWord);
    w.Word(616, record.particles);
    w.Int(620, record.fillGrey);
    w.Word(624, record.fillUseGrey);
    w.Word(628, record.fillEnabled);
    w.Int(632, record.secondContextWord);
    for (size_t i = 0; i < kSlotVariables; ++i) w.Int(636 + 4 * i, record.variables[i]);
    std::memcpy(bytes.data() + 764, record.flags.data(), kSlotFlagBytes);
    std::memcpy(bytes.data() + 1276, record.contextBlock.data(), kContextBlockSize);
    EncodeWindow(record.window, bytes.data() + kWindowOffset);
    for (size_t i = 0; i < kSnapshotSprites; ++i) {
        EncodeSprite(record.sprites[i], bytes.data() + kSpritesOffset + i * kSpriteSnapshotSize);
    }
    return bytes;
}

bool DecodeSlotRecord(formats::ByteSpan bytes, SlotRecord* record, std::string* why) {
    if (bytes.size() != kSlotRecordSize) {
        *why = "a save record is " + std::to_string(kSlotRecordSize) + " bytes, this is " +
               std::to_string(bytes.size());
        return false;
    }
    if (!SlotMagicValid(bytes)) {
        *why = "not a save record (bad magic)";
        return false;
    }
    Reader r(bytes);
    SlotRecord result;
    if (r.Word(4) != kSlotRecordSize) r.Fail("wrong record size word");
    result.saveTime = r.Text(8, kSaveTimeField, "save time not terminated");
    result.caption = r.Text(28, kNameField, "caption not terminated");
    result.kind = r.Int(92);
    for (size_t i = 0; i < 6; ++i) result.timeFields[i] = r.Int(96 + 4 * i);
    result.scenarioPath = r.Text(120, kNameField, "scenario path not terminated");
    result.musicName = r.Text(184, kNameField, "music name not terminated");
    for (size_t i = 0; i < 4; ++i) {
        result.imageNames[i] =
            r.Text(248 + kNameField * i, kNameField, "image name not terminated");
    }
    result.loopingEffect = r.Text(504, kNameField, "effect name not terminated");
    for (size_t i = 0; i < 3; ++i) result.calendar[i] = r.Int(568 + 4 * i);
    result.dialect = r.Ranged(580, 0, 2, "dialect out of range");
    for (size_t i = 0; i < 4; ++i) result.stateWords[i] = r.Int(584 + 4 * i);
    if (!IsGameState(result.stateWords[0])) r.Fail("unknown game state");
    for (size_t i = 0; i < 2; ++i) result.interpreterWords[i] = r.Int(600 + 4 * i);
    result.waitIcon = r.Bool(608, "bad wait-icon word");
    result.contextWord = r.Int(612);
    result.particles = r.Bool(616, "bad particle word");
    result.fillGrey = r.Ranged(620, 0, 256, "fill grey level out of range");
    result.fillUseGrey = r.Bool(624, "bad fill word");
    result.fillEnabled = r.Bool(628, "bad fill word");
    result.secondContextWord = r.Int(632);
    for (size_t i = 0; i < kSlotVariables; ++i) result.variables[i] = r.Int(636 + 4 * i);
    std::memcpy(result.flags.data(), bytes.data() + 764, kSlotFlagBytes);
    std::memcpy(result.contextBlock.data(), bytes.data() + 1276, kContextBlockSize);
    // A state running a script needs the script it runs.
    if (r.Ok() && result.stateWords[0] == 99 && result.scenarioPath.empty())
        r.Fail("a running story without a scenario path");
    if (!r.Ok()) {
        *why = r.Why();
        return false;
    }
    if (!DecodeWindow(r.Sub(kWindowOffset, kWindowSnapshotSize), &result.window, why)) return false;
    for (size_t i = 0; i < kSnapshotSprites; ++i) {
        if (!DecodeSprite(r.Sub(kSpritesOffset + i * kSpriteSnapshotSize, kSpriteSnapshotSize),
                          &result.sprites[i], why)) {
            return false;
        }
    }
    *record = std::move(result);
    return true;
}

}  // namespace persist
