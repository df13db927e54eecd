// mirtool mes disasm and asm through their command line.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>

#include "formats/mes_script.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using formats::ByteVector;
using formats::MesOperands;
using testing_support::MirtoolCommand;
using testing_support::RunCommand;

std::string Quote(const fs::path& path) {
    return "'" + path.string() + "'";
}

void Append(ByteVector& out, std::string_view bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

void AppendRecord(ByteVector& out, const ByteVector& record) {
    out.insert(out.end(), record.begin(), record.end());
    out.insert(out.end(), {0x0A, 0x0D});
}

// Disassembles the script, assembles the text and expects the same bytes;
// returns the text.
std::string RoundTrip(const testing_support::TempDir& dir, const ByteVector& script, int dialect) {
    std::string d = " --dialect " + std::to_string(dialect);
    testing_support::WriteHostFile(dir / "in.MES", script);
    auto disasm = RunCommand(MirtoolCommand() + " mes disasm " + Quote(dir / "in.MES") + d + " " +
                             Quote(dir / "out.txt"));
    EXPECT_EQ(disasm.exitCode, 0) << disasm.output;
    auto assembled = RunCommand(MirtoolCommand() + " mes asm " + Quote(dir / "out.txt") + " " +
                                Quote(dir / "back.MES") + d);
    EXPECT_EQ(assembled.exitCode, 0) << assembled.output;
    std::vector<uint8_t> back = testing_support::ReadHostFile(dir / "back.MES");
    std::vector<uint8_t> text = testing_support::ReadHostFile(dir / "out.txt");
    std::string disassembly(text.begin(), text.end());
    EXPECT_TRUE(back == script) << "dialect " << dialect << "\n" << disassembly;
    return disassembly;
}

// A record with operands that fit the opcode's layout in the dialect.
ByteVector PlausibleRecord(int dialect, int opcode) {
    ByteVector record{static_cast<uint8_t>(opcode)};
    switch (formats::MesOperandsOf(formats::DecodeMesOpcode(dialect, record[0]))) {
        case MesOperands::kNone:
            break;
        case MesOperands::kText:
            // あい｛注｝ as stored codes, and "≒" from the NEC row, whose code
            // the host conversion maps to another one.
            Append(record, "\xA0\x82\xA2\x82\x6F\x81\x8D\x92\x70\x81\x90\x87");
            break;
        case MesOperands::kName:
            Append(record, "chr\\\x95\x5C\xB1_01.bmp");  // 表 and a half-width ｱ
            break;
        case MesOperands::kA:
            formats::AppendLe32(record, static_cast<uint32_t>(-opcode));
            break;
        case MesOperands::kAB:
            formats::AppendLe32(record, 7);
            formats::AppendLe32(record, 0x7FFFFFFF);
            break;
        case MesOperands::kABC:
        case MesOperands::kBC:
            formats::AppendLe32(record, 0);
            formats::AppendLe32(record, 2);
            formats::AppendLe32(record, 0x80000000u);
            break;
        case MesOperands::kAName:
            formats::AppendLe32(record, 12);
            Append(record, "\\back\\y10a@");
            break;
        case MesOperands::kLabel:
            Append(record, "#ADR");
            formats::AppendLe32(record, 40);
            break;
    }
    return record;
}

TEST(MesCommand, EveryOpcodeOfEveryDialectRoundTrips) {
    testing_support::TempDir dir;
    for (int dialect = 0; dialect < 3; ++dialect) {
        ByteVector script;
        for (int opcode = 0; opcode < 256; ++opcode)
            AppendRecord(script, PlausibleRecord(dialect, opcode));
        std::string text = RoundTrip(dir, script, dialect);
        // Plausible operands read as operands, never as raw bytes.
        EXPECT_EQ(text.find("Raw "), std::string::npos) << text;
        EXPECT_EQ(text.find(" + "), std::string::npos) << text;

        // The same records cut short, lengthened, and a text of odd length.
        script.clear();
        for (int opcode = 0; opcode < 256; ++opcode) {
            ByteVector record = PlausibleRecord(dialect, opcode);
            ByteVector shorter(record.begin(), record.end() - (record.size() > 1 ? 1 : 0));
            AppendRecord(script, shorter);
            Append(record, "\x01\x0A\x0A");
            AppendRecord(script, record);
        }
        Append(script, std::string("\x00\xA0\x82\x0D", 4));  // unterminated
        RoundTrip(dir, script, dialect);
    }
}

// Random bytes, with line feeds and carriage returns made common so that
// records of every length occur.
ByteVector RandomScript(uint32_t seed) {
    std::mt19937 generator(seed);
    ByteVector script(200 + generator() % 3000);
    for (uint8_t& byte : script) {
        uint32_t roll = generator() % 16;
        byte = roll == 0 ? 0x0A : roll == 1 ? 0x0D : static_cast<uint8_t>(generator());
    }
    return script;
}

TEST(MesCommand, RandomBytesRoundTrip) {
    testing_support::TempDir dir;
    for (uint32_t seed = 1; seed <= 5; ++seed) {
        SCOPED_TRACE(seed);
        ByteVector script = RandomScript(seed);
        RoundTrip(dir, script, static_cast<int>(seed % 3));
    }
    // Texts of random pairs: valid characters, invalid pairs and zeros mixed.
    std::mt19937 generator(9);
    ByteVector script;
    for (int i = 0; i < 200; ++i) {
        ByteVector record{0};
        for (int pair = 0; pair < 8; ++pair) {
            record.push_back(static_cast<uint8_t>(0x40 + generator() % 0xBD));
            record.push_back(static_cast<uint8_t>(0x81 + generator() % 0x7C));
        }
        AppendRecord(script, record);
    }
    RoundTrip(dir, script, 1);
    RoundTrip(dir, ByteVector{}, 2);
}

TEST(MesCommand, ReadableDisassembly) {
    testing_support::TempDir dir;
    ByteVector script;
    AppendRecord(script, {0x17, '#', 'A', 'D', 'R', 5, 0, 0, 0});  // Label 5 in dialect 1
    AppendRecord(script, {0x18, 5, 0, 0, 0});
    AppendRecord(script, {0x00, 0xA0, 0x82, 0xA2, 0x82});
    AppendRecord(script, {0x1B, 0x4F, 0x96, 0x4F, 0x96, 0x41});
    ByteVector record{0x38};
    Append(record, "back\\bg01");
    AppendRecord(script, record);
    AppendRecord(script, {0x65, 3, 0, 0, 0, 7, 0, 0, 0});
    AppendRecord(script, {0x08});
    AppendRecord(script, {0x10, 'x'});
    AppendRecord(script, {0x16, '#', 'A', 'D', 'R', 1, 0, 0, 0});
    AppendRecord(script, {0x6A, 0xFF, 0xFF, 0xFF, 0xFF});
    Append(script, "\xC8");
    std::string text = RoundTrip(dir, script, 1);
    std::istringstream lines(text);
    std::vector<std::string> expected = {
        "# scenario script, dialect 1",
        "Label 5",
        "Jump 5",
        "Text \"あい\"",
        "NamePlate \"飽飽\" + \"A\"",
        "Background \"back\\\\bg01\"",
        "SetFlag 3 7",
        "PageWait:8",
        "Nop:16 + \"x\"",
        "Halt:22 + \"#ADR\\x01\\x00\\x00\\x00\"",
        "Raw \"j\\xFF\\xFF\\xFF\\xFF\"",
        "Halt:200",
        ".end unterminated",
    };
    for (const std::string& line : expected) {
        std::string got;
        ASSERT_TRUE(std::getline(lines, got)) << text;
        EXPECT_EQ(got, line);
    }
}

TEST(MesCommand, AssemblerReportsTheLine) {
    testing_support::TempDir dir;
    auto assemble = [&](const std::string& text, int dialect) {
        testing_support::WriteHostFile(dir / "in.txt", text);
        return RunCommand(MirtoolCommand() + " mes asm " + Quote(dir / "in.txt") + " " +
                          Quote(dir / "out.MES") + " --dialect " + std::to_string(dialect));
    };
    std::string where = "mirtool: " + (dir / "in.txt").string() + ":";

    // Written by hand: comments, any spacing, hex numbers, first values.
    auto result =
        assemble("# test\n\n  Label   0x10\r\nJump 16\nPageWait\nText \"\\x41\\x42\"\n", 1);
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(testing_support::ReadHostFile(dir / "out.MES"),
              (std::vector<uint8_t>{23, '#', 'A', 'D', 'R', 16, 0,  0,  0, 10,  13,  24, 16,
                                    0,  0,   0,   10,  13,  4,  10, 13, 0, 'B', 'A', 10, 13}));

    struct Case {
        std::string text;
        int dialect;
        std::string message;
    };
    const Case cases[] = {
        {"Jump 5\n# fine\nJump five\n", 0, "3: 'five' is not a 32-bit number"},
        {"Jump 5\nJmp 5\n", 0, "2: unknown operation 'Jmp'"},
        {"SubVar 1 2\n", 1, "1: SubVar does not exist in dialect 1"},
        {"Label:23 5\n", 0, "1: opcode 23 is Jump in dialect 0, not Label"},
        {"Text \"\\x0D\\x0A\"\n", 0, "1: the record holds 0x0A 0x0D"},
        {"Text \"\\x41\"\n", 0, "1: a text needs whole pairs"},
        {"SetFlag 1\n", 0, "1: missing a number"},
        {"SetFlag 1 2 3\n", 0, "1: unexpected '3'"},
        {"Background \"a\n", 0, "1: string without its closing"},
        {"Nop\n.end\nNop\n", 0, "3: text after .end"},
        {"Jump 4294967296\n", 0, "1: '4294967296' is not a 32-bit number"},
    };
    for (const Case& c : cases) {
        result = assemble(c.text, c.dialect);
        EXPECT_EQ(result.exitCode, 1) << c.text;
        EXPECT_NE(result.output.find(where + c.message), std::string::npos) << result.output;
    }

    result = RunCommand(MirtoolCommand() + " mes asm " + Quote(dir / "in.txt") + " " +
                        Quote(dir / "out.MES"));
    EXPECT_EQ(result.exitCode, 2);
    result =
        RunCommand(MirtoolCommand() + " mes disasm " + Quote(dir / "out.MES") + " --dialect 3");
    EXPECT_EQ(result.exitCode, 2);
}

}  // namespace
