#include "formats/mes_script.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using formats::ByteSpan;
using formats::ByteVector;
using formats::MesOp;
using formats::MesOperands;
using formats::MesRecord;

ByteVector Bytes(std::initializer_list<int> list) {
    ByteVector bytes;
    for (int value : list) bytes.push_back(static_cast<uint8_t>(value));
    return bytes;
}

// "5, 6, 15-18" as a set of values.
std::set<int> ValueList(const std::string& text) {
    std::set<int> values;
    const char* p = text.c_str();
    while (*p != '\0') {
        char* end = nullptr;
        long first = std::strtol(p, &end, 10);
        long last = first;
        p = end;
        if (*p == '-') last = std::strtol(p + 1, &end, 10), p = end;
        for (long v = first; v <= last; ++v) values.insert(static_cast<int>(v));
        while (*p == ',' || *p == ' ') ++p;
    }
    return values;
}

std::vector<MesRecord> SplitAll(const ByteVector& script) {
    std::vector<MesRecord> records;
    MesRecord record;
    for (size_t position = 0; formats::NextMesRecord(script, position, &record);
         position = record.next) {
        records.push_back(record);
    }
    return records;
}

TEST(MesScript, ExampleRecords) {
    // Dialect 0: label 5, a jump to it, and a text of the codes 0x82A0 0x82A2.
    ByteVector script = Bytes({0x16, 0x23, 0x41, 0x44, 0x52, 0x05, 0x00, 0x00, 0x00,
                               0x0A, 0x0D, 0x17, 0x05, 0x00, 0x00, 0x00, 0x0A, 0x0D,  //
                               0x00, 0xA0, 0x82, 0xA2, 0x82, 0x0A, 0x0D});
    std::vector<MesRecord> records = SplitAll(script);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].offset, 0u);
    EXPECT_EQ(records[0].length, 9u);
    EXPECT_EQ(records[1].offset, 11u);
    EXPECT_EQ(records[1].length, 5u);
    EXPECT_EQ(records[2].offset, 18u);
    EXPECT_EQ(records[2].length, 5u);
    EXPECT_EQ(records[2].next, script.size());
    EXPECT_TRUE(records[2].terminated);

    EXPECT_EQ(formats::DecodeMesOpcode(0, 0x16), MesOp::kLabel);
    EXPECT_EQ(formats::DecodeMesOpcode(0, 0x17), MesOp::kJump);
    EXPECT_EQ(formats::DecodeMesOpcode(0, 0x00), MesOp::kText);
    ByteSpan jump = ByteSpan(script).subspan(records[1].offset, records[1].length);
    int32_t key = formats::MesOperand(jump, 1);
    EXPECT_EQ(key, 5);
    std::vector<formats::MesLabel> labels = formats::ScanMesLabels(script, 0);
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(formats::FindMesLabel(labels, key), 0);

    ByteSpan text = ByteSpan(script).subspan(records[2].offset + 1, records[2].length - 1);
    EXPECT_EQ(formats::DecodeMesText(text), "\x82\xA0\x82\xA2");

    // Dialect 1 SetFlag row 3, column 7.
    ByteVector setFlag = Bytes({0x65, 0x03, 0, 0, 0, 0x07, 0, 0, 0, 0x0A, 0x0D});
    records = SplitAll(setFlag);
    ASSERT_EQ(records.size(), 1u);
    ByteSpan line = ByteSpan(setFlag).first(records[0].length);
    EXPECT_EQ(formats::DecodeMesOpcode(1, line[0]), MesOp::kSetFlag);
    EXPECT_EQ(formats::MesOperandsOf(MesOp::kSetFlag), MesOperands::kAB);
    EXPECT_EQ(formats::MesOperand(line, 1), 3);
    EXPECT_EQ(formats::MesOperand(line, 5), 7);
}

TEST(MesScript, RecordBoundaries) {
    // A text whose first pair is 0x0A 0x0D: the pair ends the record there.
    std::vector<MesRecord> records = SplitAll(Bytes({0x00, 0x0A, 0x0D, 0x41, 0x0A, 0x0D}));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].length, 1u);
    EXPECT_EQ(records[0].next, 3u);
    EXPECT_EQ(records[1].offset, 3u);
    EXPECT_EQ(records[1].length, 1u);

    // An opcode byte of 0x0A belongs to its record even before a 0x0D.
    records = SplitAll(Bytes({0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x0A, 0x0D}));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].length, 2u);
    EXPECT_EQ(records[0].next, 4u);
    EXPECT_EQ(records[1].offset, 4u);
    EXPECT_EQ(records[1].length, 1u);
    EXPECT_TRUE(records[1].terminated);

    // The last record runs to the end without a terminator, even a half one.
    ByteVector cut = Bytes({0x3B, 0x0A, 0x0D, 0x05, 0x01, 0x0A});
    records = SplitAll(cut);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].offset, 3u);
    EXPECT_EQ(records[1].length, 3u);
    EXPECT_EQ(records[1].next, cut.size());
    EXPECT_FALSE(records[1].terminated);

    MesRecord record;
    EXPECT_FALSE(formats::NextMesRecord(cut, cut.size(), &record));
    EXPECT_FALSE(formats::NextMesRecord(ByteVector{}, 0, &record));
}

// Each dialect's operations together with its halting values cover 0..127
// exactly once; the halting values are written here as a separate check.
TEST(MesScript, OpcodeTablesCoverEveryValue) {
    const std::string halting[3] = {
        "5, 6, 9, 10, 12, 13, 15-18, 25, 29-31, 33, 34, 36-39, 41, 45-47, 49, 50, 54-56, 66, 70, "
        "74, 75, 77, 79, 81-86, 89, 90, 94, 95, 99-103, 105, 110-114, 118-121, 124, 126",
        "5, 6, 9, 10, 12, 13, 17-19, 22, 26, 30-34, 36-40, 42, 44, 46-48, 50, 51, 53-55, 61, 65, "
        "67-69, 72, 73, 76, 78-83, 86-93, 95-100, 102, 105, 107-111, 113-127",
        "5, 9, 10, 12, 17-19, 22, 26, 30-34, 36-40, 42, 44, 46-48, 50, 51, 53-55, 65, 67-69, 72, "
        "73, 76, 78-83, 86, 87, 91-93, 95-100, 102, 105, 107-111, 113, 114, 116-127",
    };
    // How many values the operations with several values have.
    const std::map<MesOp, int> multiple[3] = {
        {{MesOp::kNop, 16}, {MesOp::kPageWait, 2}, {MesOp::kMusicStop, 2}},
        {{MesOp::kNop, 12}, {MesOp::kPageWait, 2}},
        {{MesOp::kNop, 14}, {MesOp::kPageWait, 2}, {MesOp::kMusicStop, 2}},
    };
    for (int dialect = 0; dialect < 3; ++dialect) {
        SCOPED_TRACE(dialect);
        std::set<int> halts = ValueList(halting[dialect]);
        std::map<MesOp, int> counts;
        for (int value = 0; value < 256; ++value) {
            MesOp op = formats::DecodeMesOpcode(dialect, static_cast<uint8_t>(value));
            bool listed = value >= 128 || halts.count(value) != 0;
            EXPECT_EQ(op == MesOp::kHalt, listed) << "value " << value;
            if (op != MesOp::kHalt) ++counts[op];
        }
        for (const auto& [op, count] : counts) {
            auto found = multiple[dialect].find(op);
            int expected = found == multiple[dialect].end() ? 1 : found->second;
            EXPECT_EQ(count, expected) << formats::MesOpName(op);
        }
    }
    EXPECT_EQ(formats::DecodeMesOpcode(3, 0), MesOp::kHalt);
    EXPECT_EQ(formats::DecodeMesOpcode(-1, 0), MesOp::kHalt);
}

TEST(MesScript, OpcodesNamesAndLayouts) {
    std::set<std::string> names;
    for (int i = 0; i < formats::kMesOpCount; ++i) {
        MesOp op = static_cast<MesOp>(i);
        std::string name = formats::MesOpName(op);
        EXPECT_TRUE(names.insert(name).second) << name;
        EXPECT_EQ(formats::MesOpFromName(name), op) << name;
        for (int dialect = 0; dialect < 3; ++dialect) {
            int value = formats::EncodeMesOpcode(dialect, op);
            if (value < 0) continue;
            EXPECT_EQ(formats::DecodeMesOpcode(dialect, static_cast<uint8_t>(value)), op) << name;
        }
    }
    EXPECT_EQ(formats::MesOpFromName("Jump"), MesOp::kJump);
    EXPECT_EQ(formats::MesOpFromName("jump"), MesOp::kHalt);
    EXPECT_EQ(formats::MesOpName(MesOp::kRemoveScrollSoft), std::string("RemoveScrollSoft"));

    // First values, and the operations a dialect lacks.
    EXPECT_EQ(formats::EncodeMesOpcode(0, MesOp::kNop), 1);
    EXPECT_EQ(formats::EncodeMesOpcode(2, MesOp::kHalt), 5);
    EXPECT_EQ(formats::EncodeMesOpcode(0, MesOp::kMusicStop), 61);
    EXPECT_EQ(formats::EncodeMesOpcode(2, MesOp::kPageWaitClear), 6);
    EXPECT_EQ(formats::EncodeMesOpcode(0, MesOp::kPageWaitClear), -1);
    EXPECT_EQ(formats::EncodeMesOpcode(1, MesOp::kWaitClick), -1);
    EXPECT_EQ(formats::EncodeMesOpcode(1, MesOp::kEyecatchNumbers), -1);
    EXPECT_EQ(formats::EncodeMesOpcode(2, MesOp::kEffectPlay), -1);
    EXPECT_EQ(formats::EncodeMesOpcode(2, MesOp::kEyecatchNumbers), 88);
    EXPECT_EQ(formats::EncodeMesOpcode(1, MesOp::kTestVar), 106);
    EXPECT_EQ(formats::EncodeMesOpcode(3, MesOp::kText), -1);

    EXPECT_EQ(formats::MesOperandsOf(MesOp::kNamePlate), MesOperands::kText);
    EXPECT_EQ(formats::MesOperandsOf(MesOp::kBackgroundFade), MesOperands::kName);
    EXPECT_EQ(formats::MesOperandsOf(MesOp::kPanSetup), MesOperands::kAName);
    EXPECT_EQ(formats::MesOperandsOf(MesOp::kCharacterPairFade), MesOperands::kAName);
    EXPECT_EQ(formats::MesOperandsOf(MesOp::kEyecatchNumbers), MesOperands::kBC);
    EXPECT_EQ(formats::MesOperandsOf(MesOp::kEyecatchChip), MesOperands::kA);
    EXPECT_EQ(formats::MesOperandsOf(MesOp::kTestBit), MesOperands::kAB);
    EXPECT_EQ(formats::MesOperandsOf(MesOp::kTestFlag), MesOperands::kABC);
    EXPECT_EQ(formats::MesOperandsOf(MesOp::kLabel), MesOperands::kLabel);
    EXPECT_EQ(formats::MesOperandsOf(MesOp::kChoiceSelect), MesOperands::kNone);
}

ByteVector LabelRecord(int opcode, int32_t key) {
    ByteVector record = Bytes({opcode, '#', 'A', 'D', 'R'});
    formats::AppendLe32(record, static_cast<uint32_t>(key));
    record.insert(record.end(), {0x0A, 0x0D});
    return record;
}

TEST(MesScript, LabelsOfTheDialect) {
    ByteVector script = LabelRecord(22, 1);
    size_t second = script.size();
    ByteVector more = LabelRecord(23, 2);
    script.insert(script.end(), more.begin(), more.end());
    size_t third = script.size();
    more = LabelRecord(23, 2);
    script.insert(script.end(), more.begin(), more.end());
    // "#AD" only, and "#ADR" without a key at the end of the file.
    more = Bytes({23, '#', 'A', 'D', 0x0A, 0x0D, 23, '#', 'A', 'D', 'R'});
    size_t last = script.size() + 6;
    script.insert(script.end(), more.begin(), more.end());

    std::vector<formats::MesLabel> zero = formats::ScanMesLabels(script, 0);
    ASSERT_EQ(zero.size(), 1u);
    EXPECT_EQ(zero[0].key, 1);
    EXPECT_EQ(zero[0].offset, 0u);

    // Opcode 22 with "#ADR" is no label in dialect 1.
    for (int dialect : {1, 2}) {
        std::vector<formats::MesLabel> labels = formats::ScanMesLabels(script, dialect);
        ASSERT_EQ(labels.size(), 3u);
        EXPECT_EQ(labels[0].offset, second);
        EXPECT_EQ(labels[1].offset, third);
        EXPECT_EQ(labels[2].offset, last);
        EXPECT_EQ(labels[2].key, 0);
        EXPECT_EQ(formats::FindMesLabel(labels, 2), static_cast<int64_t>(second));  // first
        EXPECT_EQ(formats::FindMesLabel(labels, 1), -1);
    }
}

TEST(MesScript, LabelTableHoldsSixtyFour) {
    ByteVector script;
    for (int key = 0; key < 66; ++key) {
        ByteVector label = LabelRecord(22, 1000 + key);
        script.insert(script.end(), label.begin(), label.end());
    }
    bool overflow = false;
    std::vector<formats::MesLabel> labels = formats::ScanMesLabels(script, 0, &overflow);
    EXPECT_TRUE(overflow);
    ASSERT_EQ(labels.size(), formats::kMesLabelCapacity);
    EXPECT_EQ(labels[63].key, 1063);
    EXPECT_EQ(labels[63].offset, 63u * 11);
    EXPECT_EQ(formats::FindMesLabel(labels, 1064), -1);

    script.resize(64 * 11);
    labels = formats::ScanMesLabels(script, 0, &overflow);
    EXPECT_FALSE(overflow);
    EXPECT_EQ(labels.size(), 64u);
}

TEST(MesScript, TextInDisplayOrder) {
    auto decode = [](std::initializer_list<int> list) {
        ByteVector operand = Bytes(list);
        return formats::DecodeMesText(operand);
    };
    // An odd trailing byte is dropped; the text ends at the first zero.
    EXPECT_EQ(decode({0xA0, 0x82, 0x41}), "\x82\xA0");
    EXPECT_EQ(decode({0xA0, 0x82, 0x00, 0xA2, 0x82}), "\x82\xA0");
    EXPECT_EQ(decode({0xA0, 0x82, 0xA2, 0x00}), "\x82\xA0");
    EXPECT_EQ(decode({}), "");
    // "あ｛い｝う": the annotation and its brackets go.
    EXPECT_EQ(decode({0xA0, 0x82, 0x6F, 0x81, 0xA2, 0x82, 0x70, 0x81, 0xA4, 0x82}),
              "\x82\xA0\x82\xA4");
    // Two annotations; the first "｝" closes, a second one is ordinary text.
    EXPECT_EQ(decode({0x6F, 0x81, 0x70, 0x81, 0x70, 0x81, 0x6F, 0x81, 0xA2, 0x82, 0x70, 0x81, 0xA0,
                      0x82}),
              "\x81\x70\x82\xA0");
    // A "｛" without its "｝" hides the rest.
    EXPECT_EQ(decode({0xA0, 0x82, 0x6F, 0x81, 0xA2, 0x82}), "\x82\xA0");
    // Codes are pairs: 0x70 0x81 straddling two pairs is no "｝".
    EXPECT_EQ(decode({0x6F, 0x81, 0x41, 0x70, 0x81, 0x42, 0x70, 0x81, 0x43, 0x44}), "\x44\x43");
}

TEST(MesScript, OperandsReadPastTheLineAsZero) {
    ByteVector line = Bytes({0x17, 0xFE, 0xFF, 0xFF, 0xFF, 0x34, 0x12});
    EXPECT_EQ(formats::MesOperand(line, 1), -2);
    EXPECT_EQ(formats::MesOperand(line, 5), 0x1234);
    EXPECT_EQ(formats::MesOperand(line, 9), 0);
    EXPECT_EQ(formats::MesOperand(line, 7), 0);
}

}  // namespace
