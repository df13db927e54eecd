#pragma once
// The engine's own text formatter. Its syntax is not printf's: options follow
// the conversion letter ("%z3", "%d+2", "%f8.2"), and upper-case letters
// produce full-width Shift-JIS text. All texts are Shift-JIS byte strings.
//
// Conversions: %% %c %s %d %u %z %x %o %t %f %r, the upper-case forms
// %S %D %U %Z %X %O %T %F, and %ld %lu %lx %lo (also %lD %lU %lX %lO), which
// equal the forms without "l". Any other letter after "%" writes nothing and
// consumes no argument.

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace formats {

// One argument of a conversion: an integer, a floating-point number or a
// text. A conversion reads its argument in its own type: %d, %u, %z, %x, %o
// and %c take the low 32 bits of an integer, %t takes it as 64 bits, a
// floating-point number given to an integer conversion is truncated towards
// zero, and a text given to a number conversion reads as 0 (a number given to
// %s reads as an empty text). A text argument only refers to its bytes, which
// must outlive the FormatText call; it ends at its first zero byte.
class FormatArg {
public:
    enum class Kind { kSigned, kUnsigned, kReal, kText };

    template <std::signed_integral T>
    FormatArg(T value) : kind_(Kind::kSigned), signed_(value) {}
    template <std::unsigned_integral T>
    FormatArg(T value) : kind_(Kind::kUnsigned), unsigned_(value) {}
    template <std::floating_point T>
    FormatArg(T value) : kind_(Kind::kReal), real(static_cast<double>(value)) {}
    FormatArg(const char* text) : kind_(Kind::kText), text_(text != nullptr ? text : "") {}
    FormatArg(std::string_view text) : kind_(Kind::kText), text_(text) {}
    FormatArg(const std::string& text) : kind_(Kind::kText), text_(text) {}

    Kind GetKind() const { return kind_; }
    // The value as a 64-bit integer: texts read as 0; reals are truncated
    // towards zero and saturated, NaN reads as 0.
    int64_t AsInt64() const;
    // The value as a double: texts read as 0.
    double AsDouble() const;
    // The text up to its first zero byte; numbers read as an empty text.
    std::string_view AsText() const;

private:
    Kind kind_;
    union {
        int64_t signed_;
        uint64_t unsigned_;
        double real;
    };
    std::string_view text_;
};

// Writes the result of format and a terminating zero into out and returns 0.
// Arguments are taken in order, one per conversion; a missing argument reads
// as 0 or as an empty text. "%r" moves the output position to the end of the
// zero-terminated text already in out, so the rest of the format appends to
// it.
//
// Nothing is written past out: a result that does not fit is cut at a
// character boundary and still terminated (an empty out receives nothing).
int FormatText(std::span<char> out, const char* format, std::initializer_list<FormatArg> args = {});

// Formats into a fresh zero-filled buffer large enough for the whole result and
// returns the text up to its terminating zero.
std::string FormatText(const char* format, std::initializer_list<FormatArg> args = {});

}  // namespace formats
