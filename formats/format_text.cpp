#include "formats/format_text.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <vector>

namespace formats {

int64_t FormatArg::AsInt64() const {
    switch (kind_) {
        case Kind::kSigned:
            return signed_;
        case Kind::kUnsigned:
            return static_cast<int64_t>(unsigned_);  // keeps the bits: %t reads them back
        case Kind::kReal:
            if (std::isnan(real)) return 0;
            if (real <= -0x1p63) return std::numeric_limits<int64_t>::min();
            if (real >= 0x1p63) return std::numeric_limits<int64_t>::max();
            return static_cast<int64_t>(real);
        case Kind::kText:
            break;
    }
    return 0;
}

double FormatArg::AsDouble() const {
    switch (kind_) {
        case Kind::kSigned:
            return static_cast<double>(signed_);
        case Kind::kUnsigned:
            return static_cast<double>(unsigned_);
        case Kind::kReal:
            return real;
        case Kind::kText:
            break;
    }
    return 0.0;
}

std::string_view FormatArg::AsText() const {
    if (kind_ != Kind::kText) return {};
    return text_.substr(0, text_.find('\0'));
}

namespace {

// Full-width Shift-JIS forms of the bytes 0x20..0x7E. "-" shares the low line
// with "_", and the backslash, tilde and both quotes take the yen sign,
// overline and right quotation marks, which every Shift-JIS font has.
constexpr uint16_t kFullWidth[95] = {
    0x8140, 0x8149, 0x8168, 0x8194, 0x8190, 0x8193, 0x8195, 0x8166,  // ' ' ! " # $ % & '
    0x8169, 0x816A, 0x8196, 0x817B, 0x8143, 0x8151, 0x8144, 0x815E,  // ( ) * + , - . /
    0x824F, 0x8250, 0x8251, 0x8252, 0x8253, 0x8254, 0x8255, 0x8256,  // 0..7
    0x8257, 0x8258, 0x8146, 0x8147, 0x8183, 0x8181, 0x8184, 0x8148,  // 8 9 : ; < = > ?
    0x8197, 0x8260, 0x8261, 0x8262, 0x8263, 0x8264, 0x8265, 0x8266,  // @ A..G
    0x8267, 0x8268, 0x8269, 0x826A, 0x826B, 0x826C, 0x826D, 0x826E,  // H..O
    0x826F, 0x8270, 0x8271, 0x8272, 0x8273, 0x8274, 0x8275, 0x8276,  // P..W
    0x8277, 0x8278, 0x8279, 0x816D, 0x818F, 0x816E, 0x814F, 0x8151,  // X Y Z [ \ ] ^ _
    0x814D, 0x8281, 0x8282, 0x8283, 0x8284, 0x8285, 0x8286, 0x8287,  // ` a..g
    0x8288, 0x8289, 0x828A, 0x828B, 0x828C, 0x828D, 0x828E, 0x828F,  // h..o
    0x8290, 0x8291, 0x8292, 0x8293, 0x8294, 0x8295, 0x8296, 0x8297,  // p..w
    0x8298, 0x8299, 0x829A, 0x816F, 0x8162, 0x8170, 0x8150,          // x y z { | } ~
};

constexpr char kDigits[] = "0123456789ABCDEF";
constexpr int kMaxOptionDigits = 2;
constexpr int kMaxWidth = 99;
// Decimal digits of the integer part of the largest double.
constexpr size_t kMaxIntegerDigits = 309;

bool IsLeadByte(uint8_t byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Length in bytes of the character starting at text[index]; a lead byte
// without its second byte counts alone.
size_t CharacterLength(std::string_view text, size_t index) {
    return IsLeadByte(static_cast<uint8_t>(text[index])) && index + 1 < text.size() ? 2 : 1;
}

// The output buffer. Callers of the engine size their buffers for the texts
// they expect, but names and values can come from files, so the writer never
// goes past the buffer: it keeps one byte for the terminating zero and, once a
// byte does not fit, drops everything after it.
class Output {
public:
    explicit Output(std::span<char> buffer) : buffer_(buffer) {}

    void Put(char byte) {
        if (cut_) return;
        if (position_ + 1 >= buffer_.size()) {
            cut_ = true;
            return;
        }
        buffer_[position_++] = byte;
    }

    void Put(std::string_view bytes) {
        for (char byte : bytes) Put(byte);
    }

    // Each byte 0x20..0x7E becomes its full-width form; double-byte
    // characters and other bytes are copied.
    void PutFullWidth(std::string_view text) {
        for (size_t index = 0; index < text.size();) {
            const size_t length = CharacterLength(text, index);
            const auto byte = static_cast<uint8_t>(text[index]);
            if (length == 1 && byte >= 0x20 && byte <= 0x7E) {
                const uint16_t code = kFullWidth[byte - 0x20];
                Put(static_cast<char>(code >> 8));
                Put(static_cast<char>(code & 0xFF));
            } else {
                Put(text.substr(index, length));
            }
            index += length;
        }
    }

    void MoveToTextEnd() {
        if (cut_) return;
        while (position_ < buffer_.size() && buffer_[position_] != 0) ++position_;
        if (position_ >= buffer_.size()) {
            // The text there has no terminator of its own: it is cut to fit one.
            cut_ = true;
            position_ = buffer_.size() - 1;
        }
    }

    // Terminates the text; returns true when it had to be cut.
    bool Finish() {
        if (buffer_.empty()) return true;
        if (cut_) {
            // Never end on the first half of a double-byte character.
            size_t index = 0;
            while (index < position_) {
                if (!IsLeadByte(static_cast<uint8_t>(buffer_[index]))) {
                    ++index;
                } else if (index + 1 < position_) {
                    index += 2;
                } else {
                    position_ = index;
                }
            }
        }
        buffer_[position_] = 0;
        return cut_;
    }

private:
    std::span<char> buffer_;
    size_t position_ = 0;
    bool cut_ = false;
};

// The bytes one number conversion produces before the optional full-width
// step. The longest is a %f of the largest double: 309 integer digits, a sign,
// "." and 99 fraction digits.
class Piece {
public:
    void Add(char byte) {
        if (length_ < sizeof(bytes_)) bytes_[length_++] = byte;
    }
    void Add(std::string_view bytes) {
        for (char byte : bytes) Add(byte);
    }
    std::string_view Text() const { return {bytes_, length_}; }

private:
    char bytes_[512];
    size_t length_ = 0;
};

// Writes the decimal digits of value, most significant first; returns the count.
size_t DecimalDigits(uint64_t value, char* digits) {
    char reversed[20];
    size_t count = 0;
    do {
        reversed[count++] = kDigits[value % 10];
        value /= 10;
    } while (value != 0);
    for (size_t index = 0; index < count; ++index) digits[index] = reversed[count - 1 - index];
    return count;
}

// The %d layout: without a width the sign and all digits; with width n the
// lowest n digits right-aligned in spaces, the sign in the space directly
// before the first digit (there is none when the digits fill the width).
void AddAligned(Piece& piece, std::string_view digits, int width, char sign) {
    if (width == 0) {
        if (sign != 0) piece.Add(sign);
        piece.Add(digits);
        return;
    }
    const size_t shown = std::min(digits.size(), static_cast<size_t>(width));
    const size_t fill = static_cast<size_t>(width) - shown;
    for (size_t index = 0; index < fill; ++index) {
        piece.Add(index + 1 == fill && sign != 0 ? sign : ' ');
    }
    piece.Add(digits.substr(digits.size() - shown));
}

// Exactly width lowest digits in base, zero-padded; width 0 gives nothing.
void AddLowDigits(Piece& piece, uint64_t value, unsigned base, int width) {
    char digits[kMaxWidth];
    for (int index = width - 1; index >= 0; --index) {
        digits[index] = kDigits[value % base];
        value /= base;
    }
    piece.Add(std::string_view(digits, static_cast<size_t>(width)));
}

// Sign of %d and %f: no flag writes none; "+" writes "+" or "-"; "-" writes
// "-" for negative values and otherwise leaves the fill space.
char SignFor(char flag, bool negative) {
    if (flag == 0) return 0;
    if (negative) return '-';
    return flag == '+' ? '+' : 0;
}

// A little-endian binary number wide enough for any double scaled to an
// integer (2^1024) and for the finest fraction bit (2^-1126).
class BigNumber {
public:
    static constexpr size_t kWords = 36;

    void SetBits(uint64_t value, size_t shift) {
        for (size_t bit = 0; bit < 64; ++bit) {
            if ((value >> bit) & 1) words_[(shift + bit) / 32] |= 1u << ((shift + bit) % 32);
        }
    }

    bool IsZero() const {
        for (uint32_t word : words_) {
            if (word != 0) return false;
        }
        return true;
    }

    // Divides by 10 and returns the remainder.
    unsigned DivideBy10() {
        uint64_t remainder = 0;
        for (size_t index = kWords; index-- > 0;) {
            const uint64_t current = (remainder << 32) | words_[index];
            words_[index] = static_cast<uint32_t>(current / 10);
            remainder = current % 10;
        }
        return static_cast<unsigned>(remainder);
    }

    // Multiplies by 10 and returns what overflows all words: read as a fraction
    // of 2^(32 * kWords), that is the next decimal digit.
    unsigned MultiplyBy10() {
        uint64_t carry = 0;
        for (uint32_t& word : words_) {
            const uint64_t current = static_cast<uint64_t>(word) * 10 + carry;
            word = static_cast<uint32_t>(current);
            carry = current >> 32;
        }
        return static_cast<unsigned>(carry);
    }

private:
    uint32_t words_[kWords] = {};
};

// The exact decimal expansion of a finite magnitude: returns the digits of its
// integer part, stored at the end of integerDigits, and adds the first
// fractionCount fraction digits (cut, not rounded) to fraction. A double has a
// finite decimal expansion, which repeated multiplication in double arithmetic
// would not reproduce exactly.
std::string_view ExpandDouble(double magnitude, char (&integerDigits)[kMaxIntegerDigits],
                              Piece& fraction, int fractionCount) {
    int exponent = 0;
    const double normalised = std::frexp(magnitude, &exponent);
    // magnitude = mantissa * 2^exponent with an integer mantissa below 2^53.
    const auto mantissa = static_cast<uint64_t>(std::ldexp(normalised, 53));
    exponent -= 53;

    size_t first = kMaxIntegerDigits;
    uint64_t fractionBits = 0;
    size_t fractionShift = 0;
    if (mantissa == 0 || exponent >= 0) {
        BigNumber integer;
        integer.SetBits(mantissa, static_cast<size_t>(std::max(exponent, 0)));
        do {
            integerDigits[--first] = kDigits[integer.DivideBy10()];
        } while (!integer.IsZero() && first > 0);
    } else {
        fractionShift = static_cast<size_t>(-exponent);
        uint64_t integer = fractionShift < 64 ? mantissa >> fractionShift : 0;
        fractionBits =
            fractionShift < 64 ? mantissa & ((uint64_t{1} << fractionShift) - 1) : mantissa;
        do {
            integerDigits[--first] = kDigits[integer % 10];
            integer /= 10;
        } while (integer != 0);
    }

    BigNumber rest;
    if (fractionBits != 0) rest.SetBits(fractionBits, 32 * BigNumber::kWords - fractionShift);
    for (int index = 0; index < fractionCount; ++index) fraction.Add(kDigits[rest.MultiplyBy10()]);
    return {integerDigits + first, kMaxIntegerDigits - first};
}

// Reads a sign flag "+" or "-" if there is one.
char ReadSignFlag(const char*& format) {
    if (*format == '+' || *format == '-') return *format++;
    return 0;
}

// Reads up to two decimal digits; a third digit is left for the text.
int ReadOptionNumber(const char*& format) {
    int value = 0;
    for (int count = 0; count < kMaxOptionDigits && *format >= '0' && *format <= '9'; ++count) {
        value = value * 10 + (*format++ - '0');
    }
    return value;
}

class Arguments {
public:
    Arguments(const FormatArg* begin, const FormatArg* end) : next_(begin), end_(end) {}

    // The next argument; past the last one, a zero that reads as 0 or "".
    const FormatArg& Take() {
        static const FormatArg kMissing(0);
        return next_ != end_ ? *next_++ : kMissing;
    }

private:
    const FormatArg* next_;
    const FormatArg* end_;
};

// %s with width counts bytes; %S counts characters, and pads with full-width
// spaces, because its width is meant for full-width text.
void PutText(Output& output, std::string_view text, int width, bool fullWidth) {
    if (width == 0) {
        fullWidth ? output.PutFullWidth(text) : output.Put(text);
        return;
    }
    size_t length = 0;
    int count = 0;
    for (; count < width && length < text.size(); ++count) {
        length += fullWidth ? CharacterLength(text, length) : 1;
    }
    if (fullWidth) {
        output.PutFullWidth(text.substr(0, length));
    } else {
        output.Put(text.substr(0, length));
    }
    for (; count < width; ++count) fullWidth ? output.PutFullWidth(" ") : output.Put(' ');
}

// Formats one conversion whose letter (folded to lower case) is letter;
// format points just after the letter and is advanced past its options.
// Returns false for a letter that is no conversion.
bool Convert(Output& output, char letter, bool fullWidth, const char*& format, Arguments& args) {
    Piece piece;
    switch (letter) {
        case 'c': {
            const FormatArg& arg = args.Take();
            if (arg.GetKind() == FormatArg::Kind::kText) {
                const std::string_view text = arg.AsText();
                output.Put(text.empty() ? '\0' : text.front());
            } else {
                output.Put(static_cast<char>(arg.AsInt64()));
            }
            return true;
        }
        case 's': {
            const int width = ReadOptionNumber(format);
            PutText(output, args.Take().AsText(), width, fullWidth);
            return true;
        }
        case 'd': {
            const char flag = ReadSignFlag(format);
            const int width = ReadOptionNumber(format);
            const auto value = static_cast<int32_t>(args.Take().AsInt64());
            const auto magnitude = static_cast<uint64_t>(std::abs(static_cast<int64_t>(value)));
            char digits[20];
            AddAligned(piece, std::string_view(digits, DecimalDigits(magnitude, digits)), width,
                       SignFor(flag, value < 0));
            break;
        }
        case 'u':
        case 't': {
            const int width = ReadOptionNumber(format);
            uint64_t value = static_cast<uint64_t>(args.Take().AsInt64());
            if (letter == 'u') value = static_cast<uint32_t>(value);
            char digits[20];
            AddAligned(piece, std::string_view(digits, DecimalDigits(value, digits)), width, 0);
            break;
        }
        case 'z':
        case 'x':
        case 'o': {
            const int width = ReadOptionNumber(format);
            const auto value = static_cast<uint32_t>(args.Take().AsInt64());
            AddLowDigits(piece, value, letter == 'z' ? 10 : letter == 'x' ? 16 : 8, width);
            break;
        }
        case 'f': {
            const char flag = ReadSignFlag(format);
            const int width = ReadOptionNumber(format);
            int precision = 0;
            if (*format == '.') {
                ++format;
                precision = ReadOptionNumber(format);
            }
            double value = args.Take().AsDouble();
            if (!std::isfinite(value)) value = 0.0;
            char integerDigits[kMaxIntegerDigits];
            Piece fraction;
            const std::string_view integer =
                ExpandDouble(std::fabs(value), integerDigits, fraction, precision);
            AddAligned(piece, integer, width, SignFor(flag, value < 0));
            piece.Add('.');
            piece.Add(fraction.Text());
            break;
        }
        default:
            return false;
    }
    fullWidth ? output.PutFullWidth(piece.Text()) : output.Put(piece.Text());
    return true;
}

bool IsLongFormLetter(char letter) {
    switch (letter) {
        case 'd':
        case 'u':
        case 'x':
        case 'o':
        case 'D':
        case 'U':
        case 'X':
        case 'O':
            return true;
        default:
            return false;
    }
}

bool IsFullWidthLetter(char letter) {
    switch (letter) {
        case 'D':
        case 'U':
        case 'Z':
        case 'X':
        case 'O':
        case 'T':
        case 'F':
        case 'S':
            return true;
        default:
            return false;
    }
}

// Formats into buffer; returns true when the result had to be cut.
bool Format(std::span<char> buffer, const char* format, std::initializer_list<FormatArg> argList) {
    Output output(buffer);
    Arguments args(argList.begin(), argList.end());
    if (format == nullptr) format = "";
    while (*format != 0) {
        if (*format != '%') {
            output.Put(*format++);
            continue;
        }
        ++format;
        char letter = *format;
        if (letter == 0) break;  // a lone "%" at the end writes nothing
        ++format;
        if (letter == 'l' && IsLongFormLetter(*format)) letter = *format++;

        if (letter == '%') {
            output.Put('%');
        } else if (letter == 'r') {
            output.MoveToTextEnd();
        } else if (letter >= 'a' && letter <= 'z') {
            Convert(output, letter, false, format, args);
        } else if (IsFullWidthLetter(letter)) {
            Convert(output, static_cast<char>(letter - 'A' + 'a'), true, format, args);
        } else if (IsLeadByte(static_cast<uint8_t>(letter)) && *format != 0) {
            ++format;  // an unknown double-byte "letter" goes as a whole
        }
    }
    return output.Finish();
}

}  // namespace

int FormatText(std::span<char> out, const char* format, std::initializer_list<FormatArg> args) {
    Format(out, format, args);
    return 0;
}

std::string FormatText(const char* format, std::initializer_list<FormatArg> args) {
    // "%r" in a zero-filled buffer stays in place, so growing and starting
    // again gives the same text as one large enough buffer.
    std::vector<char> buffer(256, 0);
    while (Format(buffer, format, args)) buffer.assign(buffer.size() * 2, 0);
    return std::string(buffer.data());
}

}  // namespace formats
