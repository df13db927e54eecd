// mirtool mes: scenario scripts (.MES) as editable text and back.
//
//   mirtool mes disasm FILE.MES --dialect D [OUT.txt]    (stdout without OUT)
//   mirtool mes asm IN.txt OUT.MES --dialect D
//
// The text form has one record per line. Blank lines and lines whose first
// non-blank character is '#' are ignored.
//
//   MNEMONIC[:VALUE] OPERANDS [+ "BYTES"]
//   Raw "BYTES"
//   .end [unterminated]
//
// MNEMONIC is the operation's name (Text, Jump, SetFlag, ...; Halt for an
// opcode that stops the script). VALUE is the opcode byte in decimal; the
// disassembler writes it where the dialect gives the operation several values
// (Nop, PageWait, MusicStop, Halt). Without it the operation's first value in
// the dialect is meant.
//
// OPERANDS follow the operation's layout:
//   int32 operands        decimal (the assembler also takes 0x hex)
//                         Jump 5, SetFlag 3 7, TestVar 1 2 40
//   EyecatchNumbers B C   the int32 at offset 1 (unused) is zero
//   Label KEY             "#ADR" and the key: Label 5
//   names                 Background "back\\bg01", Character 3 "a\\b01"
//   texts                 Text "あい", NamePlate "..."
// Strings are UTF-8 between double quotes with the escapes \\ \" and \xHH
// (one byte). A name string stands for its Shift-JIS bytes; a text string for
// the characters in reading order, each stored as its code, low byte first.
// Bytes that do not convert to UTF-8 and back unchanged are escaped; in a
// text every pair that is not a double-byte character is escaped as two
// bytes, e.g. "\x41\x42" for the stored bytes 0x42 0x41.
//
// "+ BYTES" adds bytes after the operands: extra bytes of a record, operand
// bytes of an operation without operands, the odd last byte of a text.
// Raw holds a whole record (opcode included) that is shorter than its layout,
// a label without "#ADR" or EyecatchNumbers with a nonzero unused field.
// .end is the last line; "unterminated" says the file's last record has no
// 0x0A 0x0D. So that assembling reproduces the split, no record may contain
// 0x0A 0x0D after its opcode byte.
//
// asm(disasm(F)) reproduces F byte for byte, whatever F holds.

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "commands.h"
#include "formats/mes_script.h"
#include "formats/sjis.h"
#include "platform/text_encoding.h"

namespace mirtool {

namespace {

using formats::ByteSpan;
using formats::ByteVector;
using formats::MesOp;
using formats::MesOperands;

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr std::string_view kLabelTag = "#ADR";

void AppendEscapedByte(std::string& out, uint8_t byte) {
    out += "\\x";
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 15];
}

void AppendAscii(std::string& out, char c) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
}

bool IsPrintableAscii(uint8_t byte) {
    return byte >= 0x20 && byte < 0x7F;
}

bool IsSjisTrail(uint8_t byte) {
    return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

bool IsHalfWidthKana(uint8_t byte) {
    return byte >= 0xA1 && byte <= 0xDF;
}

// The UTF-8 form of Shift-JIS characters when it converts back to the same
// bytes and holds no ASCII (which the assembler would read as single bytes).
bool ConvertsBack(std::string_view sjis, std::string* utf8) {
    if (!platform::SjisToUtf8(sjis, utf8)) return false;
    for (char c : *utf8) {
        if (static_cast<uint8_t>(c) < 0x80) return false;
    }
    std::string back;
    return platform::Utf8ToSjis(*utf8, &back) && back == sjis;
}

// Appends a run of characters (given by their lengths) as UTF-8, falling
// back to single characters and then to escapes. Converting the run in one
// go keeps the number of conversions low for long texts.
void AppendCharacters(std::string& out, std::string_view run, const std::vector<size_t>& sizes) {
    std::string utf8;
    if (ConvertsBack(run, &utf8)) {
        out += utf8;
        return;
    }
    size_t at = 0;
    for (size_t size : sizes) {
        std::string_view character = run.substr(at, size);
        if (ConvertsBack(character, &utf8)) {
            out += utf8;
        } else {
            for (char c : character) AppendEscapedByte(out, static_cast<uint8_t>(c));
        }
        at += size;
    }
}

// Bytes as a string body: printable ASCII as itself, the rest escaped.
std::string ByteString(ByteSpan bytes) {
    std::string out;
    for (uint8_t byte : bytes) {
        if (IsPrintableAscii(byte)) {
            AppendAscii(out, static_cast<char>(byte));
        } else {
            AppendEscapedByte(out, byte);
        }
    }
    return out;
}

// Shift-JIS bytes (a name) as a string body.
std::string NameString(ByteSpan bytes) {
    std::string out;
    std::string run;
    std::vector<size_t> sizes;
    auto flush = [&] {
        if (run.empty()) return;
        AppendCharacters(out, run, sizes);
        run.clear();
        sizes.clear();
    };
    for (size_t i = 0; i < bytes.size(); ++i) {
        uint8_t byte = bytes[i];
        size_t size = 0;
        if (formats::IsSjisLead(byte) && i + 1 < bytes.size() && IsSjisTrail(bytes[i + 1])) {
            size = 2;
        } else if (IsHalfWidthKana(byte)) {
            size = 1;
        }
        if (size == 0) {
            flush();
            if (IsPrintableAscii(byte)) {
                AppendAscii(out, static_cast<char>(byte));
            } else {
                AppendEscapedByte(out, byte);
            }
            continue;
        }
        run.append(reinterpret_cast<const char*>(bytes.data() + i), size);
        sizes.push_back(size);
        i += size - 1;
    }
    flush();
    return out;
}

// Display-order pairs (a text, even length) as a string body: double-byte
// characters as UTF-8, every other pair as two escapes.
std::string TextString(ByteSpan display) {
    std::string out;
    std::string run;
    std::vector<size_t> sizes;
    auto flush = [&] {
        if (run.empty()) return;
        AppendCharacters(out, run, sizes);
        run.clear();
        sizes.clear();
    };
    for (size_t i = 0; i + 1 < display.size(); i += 2) {
        if (formats::IsSjisLead(display[i]) && IsSjisTrail(display[i + 1])) {
            run += static_cast<char>(display[i]);
            run += static_cast<char>(display[i + 1]);
            sizes.push_back(2);
        } else {
            flush();
            AppendEscapedByte(out, display[i]);
            AppendEscapedByte(out, display[i + 1]);
        }
    }
    flush();
    return out;
}

// The bytes of a string body: escapes, ASCII, and UTF-8 converted to
// Shift-JIS. False with a reason for a bad escape or unconvertible text.
bool StringBytes(std::string_view body, ByteVector* out, std::string* why) {
    out->clear();
    for (size_t i = 0; i < body.size();) {
        char c = body[i];
        if (c == '\\') {
            if (i + 1 >= body.size()) {
                *why = "string ends in a lone '\\'";
                return false;
            }
            char kind = body[i + 1];
            if (kind == '\\' || kind == '"') {
                out->push_back(static_cast<uint8_t>(kind));
                i += 2;
                continue;
            }
            auto hex = [](char d) {
                if (d >= '0' && d <= '9') return d - '0';
                if (d >= 'a' && d <= 'f') return d - 'a' + 10;
                if (d >= 'A' && d <= 'F') return d - 'A' + 10;
                return -1;
            };
            if (kind == 'x' && i + 3 < body.size() && hex(body[i + 2]) >= 0 &&
                hex(body[i + 3]) >= 0) {
                out->push_back(static_cast<uint8_t>(hex(body[i + 2]) * 16 + hex(body[i + 3])));
                i += 4;
                continue;
            }
            *why = "bad escape '" + std::string(body.substr(i, 4)) + "' (use \\\\, \\\" or \\xHH)";
            return false;
        }
        if (static_cast<uint8_t>(c) < 0x80) {
            out->push_back(static_cast<uint8_t>(c));
            ++i;
            continue;
        }
        size_t end = i;
        while (end < body.size() && static_cast<uint8_t>(body[end]) >= 0x80) ++end;
        std::string sjis;
        if (!platform::Utf8ToSjis(body.substr(i, end - i), &sjis)) {
            *why = "'" + std::string(body.substr(i, end - i)) + "' has no Shift-JIS form";
            return false;
        }
        out->insert(out->end(), sjis.begin(), sjis.end());
        i = end;
    }
    return true;
}

// A string body that reads back as exactly these bytes: the readable form
// when it does, otherwise every byte escaped.
std::string Quoted(const std::string& body, ByteSpan bytes) {
    ByteVector back;
    std::string why;
    if (StringBytes(body, &back, &why) && back.size() == bytes.size() &&
        std::equal(back.begin(), back.end(), bytes.begin())) {
        return "\"" + body + "\"";
    }
    std::string escaped = "\"";
    for (uint8_t byte : bytes) AppendEscapedByte(escaped, byte);
    return escaped + "\"";
}

ByteVector SwapPairs(ByteSpan bytes) {
    ByteVector swapped(bytes.begin(), bytes.end());
    for (size_t i = 0; i + 1 < swapped.size(); i += 2) std::swap(swapped[i], swapped[i + 1]);
    return swapped;
}

// Bytes an operation's layout needs at least, opcode included.
size_t FixedSize(MesOperands layout) {
    switch (layout) {
        case MesOperands::kA:
        case MesOperands::kAName:
            return 5;
        case MesOperands::kAB:
        case MesOperands::kLabel:
            return 9;
        case MesOperands::kABC:
        case MesOperands::kBC:
            return 13;
        case MesOperands::kNone:
        case MesOperands::kText:
        case MesOperands::kName:
            break;
    }
    return 1;
}

// How many opcode values each operation has in the dialect.
std::vector<int> ValueCounts(int dialect) {
    std::vector<int> counts(formats::kMesOpCount, 0);
    for (int value = 0; value < 256; ++value)
        ++counts[static_cast<size_t>(
            formats::DecodeMesOpcode(dialect, static_cast<uint8_t>(value)))];
    return counts;
}

std::string DisassembleRecord(ByteSpan line, int dialect, const std::vector<int>& valueCounts) {
    MesOp op = formats::DecodeMesOpcode(dialect, line[0]);
    MesOperands layout = formats::MesOperandsOf(op);
    size_t fixed = FixedSize(layout);
    bool fits = line.size() >= fixed;
    if (fits && layout == MesOperands::kLabel)
        fits = std::memcmp(line.data() + 1, kLabelTag.data(), kLabelTag.size()) == 0;
    if (fits && layout == MesOperands::kBC) fits = formats::MesOperand(line, 1) == 0;
    if (!fits) return "Raw " + Quoted(ByteString(line), line);

    std::string out = formats::MesOpName(op);
    if (valueCounts[static_cast<size_t>(op)] > 1) out += ":" + std::to_string(line[0]);
    auto number = [&](size_t offset) {
        out += " " + std::to_string(formats::MesOperand(line, offset));
    };
    ByteSpan rest = line.subspan(fixed);
    switch (layout) {
        case MesOperands::kNone:
            break;
        case MesOperands::kA:
            number(1);
            break;
        case MesOperands::kAB:
            number(1);
            number(5);
            break;
        case MesOperands::kABC:
            number(1);
            number(5);
            number(9);
            break;
        case MesOperands::kBC:
            number(5);
            number(9);
            break;
        case MesOperands::kLabel:
            number(5);
            break;
        case MesOperands::kAName:
            number(1);
            [[fallthrough]];
        case MesOperands::kName:
            out += " " + Quoted(NameString(rest), rest);
            rest = {};
            break;
        case MesOperands::kText: {
            ByteVector display = SwapPairs(rest.first(rest.size() & ~size_t{1}));
            out += " " + Quoted(TextString(display), display);
            rest = rest.subspan(display.size());
            break;
        }
    }
    if (!rest.empty()) out += " + " + Quoted(ByteString(rest), rest);
    return out;
}

std::string Disassemble(ByteSpan script, int dialect) {
    std::vector<int> valueCounts = ValueCounts(dialect);
    std::string text = "# scenario script, dialect " + std::to_string(dialect) + "\n";
    formats::MesRecord record;
    bool terminated = true;
    for (size_t position = 0; formats::NextMesRecord(script, position, &record);
         position = record.next) {
        text +=
            DisassembleRecord(script.subspan(record.offset, record.length), dialect, valueCounts);
        text += '\n';
        terminated = record.terminated;
    }
    text += terminated ? ".end\n" : ".end unterminated\n";
    return text;
}

struct Token {
    bool isString = false;
    std::string text;  // a word, or a string's body
};

bool Tokenize(std::string_view line, std::vector<Token>* tokens, std::string* why) {
    tokens->clear();
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        Token token;
        if (line[i] == '"') {
            size_t end = i + 1;
            while (end < line.size() && line[end] != '"') end += line[end] == '\\' ? 2 : 1;
            if (end >= line.size()) {
                *why = "string without its closing '\"'";
                return false;
            }
            token.isString = true;
            token.text = line.substr(i + 1, end - i - 1);
            i = end + 1;
        } else {
            size_t end = i;
            while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '"')
                ++end;
            token.text = line.substr(i, end - i);
            i = end;
        }
        tokens->push_back(std::move(token));
    }
    return true;
}

bool ParseInt32(const std::string& word, int32_t* value) {
    if (word.empty()) return false;
    errno = 0;
    char* end = nullptr;
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        if (word.size() > 10) return false;
        unsigned long bits = std::strtoul(word.c_str() + 2, &end, 16);
        if (*end != '\0' || word[2] == '-' || word[2] == '+') return false;
        *value = static_cast<int32_t>(static_cast<uint32_t>(bits));
        return true;
    }
    long long number = std::strtoll(word.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || number < INT32_MIN || number > INT32_MAX) return false;
    if (!(word[0] == '-' || (word[0] >= '0' && word[0] <= '9'))) return false;
    *value = static_cast<int32_t>(number);
    return true;
}

// Reads the operands of one line into the record's bytes.
class LineParser {
public:
    LineParser(const std::vector<Token>& tokens, std::string* why) : tokens_(tokens), why_(why) {}

    bool Number(ByteVector& out) {
        if (!Next("a number")) return false;
        const Token& token = tokens_[at_++];
        int32_t value = 0;
        if (token.isString || !ParseInt32(token.text, &value)) {
            *why_ = "'" + token.text + "' is not a 32-bit number";
            return false;
        }
        formats::AppendLe32(out, static_cast<uint32_t>(value));
        return true;
    }

    bool String(ByteVector* bytes) {
        if (!Next("a string")) return false;
        const Token& token = tokens_[at_++];
        if (!token.isString) {
            *why_ = "'" + token.text + "' is not a string in double quotes";
            return false;
        }
        return StringBytes(token.text, bytes, why_);
    }

    // The optional "+ BYTES" and the end of the line.
    bool Tail(ByteVector& out) {
        if (at_ < tokens_.size() && !tokens_[at_].isString && tokens_[at_].text == "+") {
            ++at_;
            ByteVector extra;
            if (!String(&extra)) return false;
            out.insert(out.end(), extra.begin(), extra.end());
        }
        if (at_ < tokens_.size()) {
            *why_ = "unexpected '" + tokens_[at_].text + "'";
            return false;
        }
        return true;
    }

private:
    bool Next(const char* what) {
        if (at_ < tokens_.size() && !(!tokens_[at_].isString && tokens_[at_].text == "+"))
            return true;
        *why_ = std::string("missing ") + what;
        return false;
    }

    const std::vector<Token>& tokens_;
    std::string* why_;
    size_t at_ = 1;
};

// The opcode of a "MNEMONIC[:VALUE]" word.
bool ParseMnemonic(const std::string& word, int dialect, uint8_t* opcode, MesOp* op,
                   std::string* why) {
    size_t colon = word.find(':');
    std::string name = word.substr(0, colon);
    *op = formats::MesOpFromName(name);
    if (*op == MesOp::kHalt && name != "Halt") {
        *why = "unknown operation '" + name + "'";
        return false;
    }
    std::string dialectText = " in dialect " + std::to_string(dialect);
    if (colon == std::string::npos) {
        int value = formats::EncodeMesOpcode(dialect, *op);
        if (value < 0) {
            *why = name + " does not exist" + dialectText;
            return false;
        }
        *opcode = static_cast<uint8_t>(value);
        return true;
    }
    std::string valueText = word.substr(colon + 1);
    int32_t value = -1;
    if (valueText.empty() || valueText[0] == '-' || !ParseInt32(valueText, &value) || value > 255) {
        *why = "'" + valueText + "' is not an opcode value 0..255";
        return false;
    }
    MesOp actual = formats::DecodeMesOpcode(dialect, static_cast<uint8_t>(value));
    if (actual != *op) {
        *why = "opcode " + valueText + " is " + formats::MesOpName(actual) + dialectText +
               ", not " + name;
        return false;
    }
    *opcode = static_cast<uint8_t>(value);
    return true;
}

bool AssembleRecord(const std::vector<Token>& tokens, int dialect, ByteVector* record,
                    std::string* why) {
    record->clear();
    LineParser parser(tokens, why);
    if (tokens[0].text == "Raw") {
        if (!parser.String(record) || !parser.Tail(*record)) return false;
        if (record->empty()) {
            *why = "a record needs at least its opcode byte";
            return false;
        }
        return true;
    }
    uint8_t opcode = 0;
    MesOp op = MesOp::kHalt;
    if (!ParseMnemonic(tokens[0].text, dialect, &opcode, &op, why)) return false;
    record->push_back(opcode);
    ByteVector bytes;
    bool ok = true;
    switch (formats::MesOperandsOf(op)) {
        case MesOperands::kNone:
            break;
        case MesOperands::kA:
            ok = parser.Number(*record);
            break;
        case MesOperands::kAB:
            ok = parser.Number(*record) && parser.Number(*record);
            break;
        case MesOperands::kABC:
            ok = parser.Number(*record) && parser.Number(*record) && parser.Number(*record);
            break;
        case MesOperands::kBC:
            formats::AppendLe32(*record, 0);
            ok = parser.Number(*record) && parser.Number(*record);
            break;
        case MesOperands::kLabel:
            record->insert(record->end(), kLabelTag.begin(), kLabelTag.end());
            ok = parser.Number(*record);
            break;
        case MesOperands::kAName:
            ok = parser.Number(*record) && parser.String(&bytes);
            record->insert(record->end(), bytes.begin(), bytes.end());
            break;
        case MesOperands::kName:
            ok = parser.String(&bytes);
            record->insert(record->end(), bytes.begin(), bytes.end());
            break;
        case MesOperands::kText:
            ok = parser.String(&bytes);
            if (ok && bytes.size() % 2 != 0) {
                *why = "a text needs whole pairs of bytes (a lone last byte goes after '+')";
                return false;
            }
            bytes = SwapPairs(bytes);
            record->insert(record->end(), bytes.begin(), bytes.end());
            break;
    }
    return ok && parser.Tail(*record);
}

bool Assemble(std::string_view text, int dialect, ByteVector* script, size_t* errorLine,
              std::string* why) {
    script->clear();
    std::vector<Token> tokens;
    ByteVector record;
    bool ended = false;
    bool unterminated = false;
    size_t lineNumber = 0;
    size_t records = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        *errorLine = ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos || line[first] == '#') continue;
        if (!Tokenize(line, &tokens, why)) return false;
        if (ended) {
            *why = "text after .end";
            return false;
        }
        if (tokens[0].isString) {
            *why = "a line starts with an operation, not a string";
            return false;
        }
        if (tokens[0].text == ".end") {
            ended = true;
            if (tokens.size() == 2 && tokens[1].text == "unterminated" && !tokens[1].isString) {
                unterminated = true;
                if (records == 0) {
                    *why = "no record to leave unterminated";
                    return false;
                }
            } else if (tokens.size() != 1) {
                *why = "'.end' takes only the word 'unterminated'";
                return false;
            }
            continue;
        }
        if (!AssembleRecord(tokens, dialect, &record, why)) return false;
        for (size_t i = 1; i + 1 < record.size(); ++i) {
            if (record[i] == 0x0A && record[i + 1] == 0x0D) {
                *why = "the record holds 0x0A 0x0D, which would end it early";
                return false;
            }
        }
        script->insert(script->end(), record.begin(), record.end());
        script->insert(script->end(), {0x0A, 0x0D});
        ++records;
    }
    if (unterminated) script->erase(script->end() - 2, script->end());  // drop the last 0x0A 0x0D
    return true;
}

// Takes "--dialect D" out of the arguments.
bool TakeDialect(Args& args, int* dialect, int* usage) {
    *dialect = -1;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--dialect") continue;
        if (i + 1 >= args.size()) {
            *usage = UsageError("--dialect needs a value");
            return false;
        }
        const std::string& value = args[i + 1];
        if (value.size() != 1 || value[0] < '0' || value[0] >= '0' + formats::kMesDialectCount) {
            *usage = UsageError("the dialect is 0, 1 or 2, not '" + value + "'");
            return false;
        }
        *dialect = value[0] - '0';
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                   args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        return true;
    }
    *usage = UsageError("mes needs --dialect 0, 1 or 2");
    return false;
}

int Disasm(Args args) {
    int dialect = 0;
    int usage = 0;
    if (!TakeDialect(args, &dialect, &usage)) return usage;
    if (args.empty() || args.size() > 2) return UsageError("mes disasm needs FILE.MES [OUT.txt]");
    ByteVector file;
    std::string why;
    if (!ReadHostFile(args[0], &file, &why)) return Fail(args[0], why);
    std::string text = Disassemble(file, dialect);
    if (args.size() == 1) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        return 0;
    }
    ByteSpan bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    if (!WriteOutputFile(args[1], bytes, &why)) return Fail(args[1], why);
    return 0;
}

int Asm(Args args) {
    int dialect = 0;
    int usage = 0;
    if (!TakeDialect(args, &dialect, &usage)) return usage;
    if (args.size() != 2) return UsageError("mes asm needs IN.txt and OUT.MES");
    ByteVector file;
    std::string why;
    if (!ReadHostFile(args[0], &file, &why)) return Fail(args[0], why);
    std::string_view text(reinterpret_cast<const char*>(file.data()), file.size());
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte-order mark of an editor
    ByteVector script;
    size_t line = 0;
    if (!Assemble(text, dialect, &script, &line, &why))
        return Fail(args[0] + ":" + std::to_string(line), why);
    if (!WriteOutputFile(args[1], script, &why)) return Fail(args[1], why);
    return 0;
}

}  // namespace

int RunMesCommand(const Args& args) {
    if (args.empty()) return UsageError("mes needs a command: disasm, asm");
    Args rest(args.begin() + 1, args.end());
    if (args[0] == "disasm") return Disasm(rest);
    if (args[0] == "asm") return Asm(rest);
    return UsageError("unknown mes command '" + args[0] + "'");
}

}  // namespace mirtool
