#pragma once
// The scenario script (.MES): byte-coded records, each an opcode byte and its
// operands, ended by 0x0A 0x0D. Three dialects number the operations
// differently; this file holds the records, the labels and the opcode tables
// that the interpreter and the inspection tool share.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/byte_io.h"

namespace formats {

inline constexpr int kMesDialectCount = 3;
inline constexpr size_t kMesLineBufferSize = 16384;  // a record plus its zero
inline constexpr size_t kMesLabelCapacity = 64;

// Every operation of the three dialects. Values that a dialect does not
// define decode as kHalt.
enum class MesOp : uint8_t {
    kText,
    kNop,
    kLabel,
    kJump,
    kPageWait,
    kPageWaitClear,
    kWaitClick,
    kMessageNumber,
    kParticlesOn,
    kParticlesOff,
    kLoadScenario,
    kNamePlate,
    kQuake,
    kRemoveScroll,
    kCharacterFade,
    kHideCharacter,
    kCharacterPairFade,
    kRemoveSecond,
    kBackground,
    kCharacter,
    kCommit,
    kMusicPlay,
    kMusicStop,
    kEffectPlay,
    kEffectStop,
    kVoicePlay,
    kBackgroundFade,
    kSubVoicePlay,
    kScrollBelow,
    kScrollUp,
    kScrollAbove,
    kScrollDown,
    kChoiceBegin,
    kChoiceTarget,
    kChoiceSelect,
    kSetBit,
    kTestBit,
    kEyecatchNumbers,
    kEyecatchShow,
    kEyecatchChip,
    kSetFlag,
    kTestFlag,
    kAddVar,
    kSubVar,
    kTestVar,
    kEndScenario,
    kRouteDecision,
    kPan,
    kPanSetup,
    kRemoveScrollSoft,
    kHalt,
};
inline constexpr int kMesOpCount = static_cast<int>(MesOp::kHalt) + 1;

// How an operation's operands are laid out after the opcode byte.
enum class MesOperands : uint8_t {
    kNone,   // nothing (any bytes are ignored)
    kText,   // 16-bit character codes from offset 1
    kName,   // a Shift-JIS path from offset 1
    kA,      // int32 at 1
    kAB,     // int32 at 1 and 5
    kABC,    // int32 at 1, 5 and 9
    kBC,     // int32 at 5 and 9 (offset 1 unused)
    kAName,  // int32 at 1, path from 5
    kLabel,  // "#ADR" at 1, key at 5
};

// The operation of an opcode byte in a dialect (0..2); 128 and above halt.
MesOp DecodeMesOpcode(int dialect, uint8_t opcode);
// The opcode byte of an operation in a dialect: its first value, or -1 when
// the dialect has no such operation (kNop and kHalt give their first value).
int EncodeMesOpcode(int dialect, MesOp op);
// The mnemonic used by the text form ("Text", "Jump", ...).
const char* MesOpName(MesOp op);
// kHalt for an unknown name.
MesOp MesOpFromName(std::string_view name);
MesOperands MesOperandsOf(MesOp op);

// One record: [offset, offset + length) without its terminator; next is
// where the following record starts (the script's size when the record runs
// to the end without a terminator).
struct MesRecord {
    size_t offset = 0;
    size_t length = 0;
    size_t next = 0;
    bool terminated = false;
};

// The record at `position`. The opcode byte always belongs to the record;
// from the second byte on, the first 0x0A directly followed by 0x0D ends it.
// False when position is at or past the end.
bool NextMesRecord(ByteSpan script, size_t position, MesRecord* record);

struct MesLabel {
    int32_t key = 0;
    uint32_t offset = 0;
};

// The label records of the dialect in file order, at most 64 (the rest are
// reported through *overflow when given).
std::vector<MesLabel> ScanMesLabels(ByteSpan script, int dialect, bool* overflow = nullptr);

// The offset of the first label with the key, or -1.
int64_t FindMesLabel(const std::vector<MesLabel>& labels, int32_t key);

// A text operand (offset 1 to the first zero of the line) as Shift-JIS bytes
// in display order: each stored pair swapped, an odd trailing byte dropped,
// everything from "｛" to the next "｝" removed.
std::string DecodeMesText(ByteSpan operand);

// The signed little-endian int32 at offset of a line (0 past its end).
int32_t MesOperand(ByteSpan line, size_t offset);

}  // namespace formats
