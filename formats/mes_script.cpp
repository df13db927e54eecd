#include "formats/mes_script.h"

#include <array>
#include <cstring>
#include <initializer_list>

namespace formats {

namespace {

// The opcode values of one operation in one dialect; empty when the dialect
// lacks the operation.
struct OpValues {
    std::array<uint8_t, 16> values{};
    size_t count = 0;

    constexpr OpValues(std::initializer_list<int> list) {
        for (int value : list) values[count++] = static_cast<uint8_t>(value);
    }
};

struct OpRow {
    MesOp op;
    const char* name;
    MesOperands operands;
    OpValues dialects[kMesDialectCount];
};

using enum MesOperands;

// One row per operation, in the order of MesOp; the columns are the values
// in dialects 0, 1 and 2. Every value of 0..127 not listed halts.
constexpr OpRow kRows[] = {
    {MesOp::kText, "Text", kText, {{0}, {0}, {0}}},
    {MesOp::kNop,
     "Nop",
     kNone,
     {{1, 2, 3, 11, 21, 27, 28, 32, 35, 43, 44, 96, 97, 98, 116, 117},
      {1, 2, 3, 7, 11, 15, 16, 28, 29, 35, 45, 94},
      {1, 2, 3, 11, 13, 15, 16, 28, 29, 35, 45, 62, 94, 115}}},
    {MesOp::kLabel, "Label", kLabel, {{22}, {23}, {23}}},
    {MesOp::kJump, "Jump", kA, {{23}, {24}, {24}}},
    {MesOp::kPageWait, "PageWait", kNone, {{4, 8}, {4, 8}, {4, 8}}},
    {MesOp::kPageWaitClear, "PageWaitClear", kNone, {{}, {}, {6}}},
    {MesOp::kWaitClick, "WaitClick", kNone, {{7}, {}, {7}}},
    {MesOp::kMessageNumber, "MessageNumber", kA, {{14}, {14}, {14}}},
    {MesOp::kParticlesOn, "ParticlesOn", kNone, {{19}, {20}, {20}}},
    {MesOp::kParticlesOff, "ParticlesOff", kNone, {{20}, {21}, {21}}},
    {MesOp::kLoadScenario, "LoadScenario", kName, {{24}, {25}, {25}}},
    {MesOp::kNamePlate, "NamePlate", kText, {{26}, {27}, {27}}},
    {MesOp::kQuake, "Quake", kNone, {{40}, {41}, {41}}},
    {MesOp::kRemoveScroll, "RemoveScroll", kNone, {{42}, {43}, {43}}},
    {MesOp::kCharacterFade, "CharacterFade", kAName, {{48}, {49}, {49}}},
    {MesOp::kHideCharacter, "HideCharacter", kNone, {{51}, {52}, {52}}},
    {MesOp::kCharacterPairFade, "CharacterPairFade", kAName, {{52}, {}, {}}},
    {MesOp::kRemoveSecond, "RemoveSecond", kNone, {{53}, {}, {}}},
    {MesOp::kBackground, "Background", kName, {{57}, {56}, {56}}},
    {MesOp::kCharacter, "Character", kAName, {{58}, {57}, {57}}},
    {MesOp::kCommit, "Commit", kNone, {{59}, {58}, {58}}},
    {MesOp::kMusicPlay, "MusicPlay", kAB, {{60}, {59}, {59}}},
    {MesOp::kMusicStop, "MusicStop", kNone, {{61, 62}, {60}, {60, 61}}},
    {MesOp::kEffectPlay, "EffectPlay", kAB, {{63}, {62}, {}}},
    {MesOp::kEffectStop, "EffectStop", kNone, {{64}, {63}, {63}}},
    {MesOp::kVoicePlay, "VoicePlay", kName, {{65}, {64}, {64}}},
    {MesOp::kBackgroundFade, "BackgroundFade", kName, {{67}, {66}, {66}}},
    {MesOp::kSubVoicePlay, "SubVoicePlay", kName, {{68}, {}, {}}},
    {MesOp::kScrollBelow, "ScrollBelow", kName, {{69}, {}, {}}},
    {MesOp::kScrollUp, "ScrollUp", kNone, {{71}, {}, {}}},
    {MesOp::kScrollAbove, "ScrollAbove", kName, {{72}, {70}, {70}}},
    {MesOp::kScrollDown, "ScrollDown", kNone, {{73}, {71}, {71}}},
    {MesOp::kChoiceBegin, "ChoiceBegin", kNone, {{76}, {74}, {74}}},
    {MesOp::kChoiceTarget, "ChoiceTarget", kA, {{78}, {75}, {75}}},
    {MesOp::kChoiceSelect, "ChoiceSelect", kNone, {{80}, {77}, {77}}},
    {MesOp::kSetBit, "SetBit", kA, {{87}, {84}, {84}}},
    {MesOp::kTestBit, "TestBit", kAB, {{88}, {85}, {85}}},
    {MesOp::kEyecatchNumbers, "EyecatchNumbers", kBC, {{91}, {}, {88}}},
    {MesOp::kEyecatchShow, "EyecatchShow", kNone, {{92}, {}, {89}}},
    {MesOp::kEyecatchChip, "EyecatchChip", kA, {{93}, {}, {90}}},
    {MesOp::kSetFlag, "SetFlag", kAB, {{104}, {101}, {101}}},
    {MesOp::kTestFlag, "TestFlag", kABC, {{106}, {103}, {103}}},
    {MesOp::kAddVar, "AddVar", kAB, {{107}, {104}, {104}}},
    {MesOp::kSubVar, "SubVar", kAB, {{108}, {}, {}}},
    {MesOp::kTestVar, "TestVar", kABC, {{109}, {106}, {106}}},
    {MesOp::kEndScenario, "EndScenario", kNone, {{115}, {112}, {112}}},
    {MesOp::kRouteDecision, "RouteDecision", kNone, {{122}, {}, {}}},
    {MesOp::kPan, "Pan", kNone, {{123}, {}, {}}},
    {MesOp::kPanSetup, "PanSetup", kAName, {{125}, {}, {}}},
    {MesOp::kRemoveScrollSoft, "RemoveScrollSoft", kNone, {{127}, {}, {}}},
    {MesOp::kHalt, "Halt", kNone, {{}, {}, {}}},
};
static_assert(std::size(kRows) == kMesOpCount);

constexpr bool RowsInEnumOrder() {
    for (size_t i = 0; i < std::size(kRows); ++i) {
        if (static_cast<size_t>(kRows[i].op) != i) return false;
    }
    return true;
}
static_assert(RowsInEnumOrder());

using OpcodeTable = std::array<std::array<MesOp, 256>, kMesDialectCount>;

constexpr OpcodeTable BuildOpcodeTable() {
    OpcodeTable table{};
    for (auto& dialect : table) dialect.fill(MesOp::kHalt);
    for (const OpRow& row : kRows) {
        for (int d = 0; d < kMesDialectCount; ++d) {
            const OpValues& values = row.dialects[d];
            for (size_t i = 0; i < values.count; ++i) table[d][values.values[i]] = row.op;
        }
    }
    return table;
}

constexpr OpcodeTable kOpcodes = BuildOpcodeTable();

bool ValidDialect(int dialect) {
    return dialect >= 0 && dialect < kMesDialectCount;
}

constexpr uint8_t kLabelOpcode[kMesDialectCount] = {22, 23, 23};
constexpr uint16_t kAnnotationOpen = 0x816F;   // "｛"
constexpr uint16_t kAnnotationClose = 0x8170;  // "｝"

}  // namespace

MesOp DecodeMesOpcode(int dialect, uint8_t opcode) {
    if (!ValidDialect(dialect)) return MesOp::kHalt;
    return kOpcodes[dialect][opcode];
}

int EncodeMesOpcode(int dialect, MesOp op) {
    if (!ValidDialect(dialect)) return -1;
    for (int value = 0; value < 256; ++value) {
        if (kOpcodes[dialect][value] == op) return value;
    }
    return -1;
}

const char* MesOpName(MesOp op) {
    size_t index = static_cast<size_t>(op);
    return index < std::size(kRows) ? kRows[index].name : "Halt";
}

MesOp MesOpFromName(std::string_view name) {
    for (const OpRow& row : kRows) {
        if (name == row.name) return row.op;
    }
    return MesOp::kHalt;
}

MesOperands MesOperandsOf(MesOp op) {
    size_t index = static_cast<size_t>(op);
    return index < std::size(kRows) ? kRows[index].operands : MesOperands::kNone;
}

bool NextMesRecord(ByteSpan script, size_t position, MesRecord* record) {
    if (position >= script.size()) return false;
    record->offset = position;
    // Starting one past the opcode: an opcode byte of 0x0A never ends a record.
    for (size_t i = position + 1; i + 1 < script.size(); ++i) {
        if (script[i] == 0x0A && script[i + 1] == 0x0D) {
            record->length = i - position;
            record->next = i + 2;
            record->terminated = true;
            return true;
        }
    }
    record->length = script.size() - position;
    record->next = script.size();
    record->terminated = false;
    return true;
}

std::vector<MesLabel> ScanMesLabels(ByteSpan script, int dialect, bool* overflow) {
    std::vector<MesLabel> labels;
    if (overflow != nullptr) *overflow = false;
    if (!ValidDialect(dialect)) return labels;
    MesRecord record;
    for (size_t position = 0; NextMesRecord(script, position, &record); position = record.next) {
        ByteSpan line = script.subspan(record.offset, record.length);
        if (line[0] != kLabelOpcode[dialect] || line.size() < 5 ||
            std::memcmp(line.data() + 1, "#ADR", 4) != 0) {
            continue;
        }
        if (labels.size() == kMesLabelCapacity) {
            if (overflow != nullptr) *overflow = true;
            continue;
        }
        labels.push_back({MesOperand(line, 5), static_cast<uint32_t>(record.offset)});
    }
    return labels;
}

int64_t FindMesLabel(const std::vector<MesLabel>& labels, int32_t key) {
    for (const MesLabel& label : labels) {
        if (label.key == key) return label.offset;
    }
    return -1;
}

std::string DecodeMesText(ByteSpan operand) {
    size_t length = 0;
    while (length < operand.size() && operand[length] != 0) ++length;
    std::string text;
    text.reserve(length);
    bool inAnnotation = false;
    for (size_t i = 0; i + 1 < length; i += 2) {
        uint16_t code = static_cast<uint16_t>(operand[i] | (operand[i + 1] << 8));
        if (inAnnotation) {
            inAnnotation = code != kAnnotationClose;
            continue;
        }
        if (code == kAnnotationOpen) {
            inAnnotation = true;  // an annotation left open runs to the end
            continue;
        }
        text += static_cast<char>(operand[i + 1]);
        text += static_cast<char>(operand[i]);
    }
    return text;
}

int32_t MesOperand(ByteSpan line, size_t offset) {
    // Bytes past the line read as 0, like the zero the line buffer appends.
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        if (offset < line.size() && i < line.size() - offset)
            value |= static_cast<uint32_t>(line[offset + i]) << (8 * i);
    }
    return static_cast<int32_t>(value);
}

}  // namespace formats
