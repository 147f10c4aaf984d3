#pragma once
// The one number parser and the one number formatter of the program.

#include <optional>
#include <string>
#include <string_view>

namespace zmbr {

// Lenient leading-number parse used by every numeric field: blanks, tabs and line feeds
// anywhere are skipped; then an optional sign, digits, an optional "." with digits and an
// optional exponent (E or D, optional sign, digits). Reading stops at the first other
// character; a text without a number gives 0. A magnitude beyond the double range gives
// the largest finite double of that sign.
double parseNumber(std::string_view text);

// The same reading, for texts that must hold a number and nothing else (blanks aside).
std::optional<double> parseWholeNumber(std::string_view text);

// Formats by a digit pattern such as "##0.00", "#####0", "    0.000" or "0.0E+00".
// "0" always shows a digit, "#" only a significant one, other characters stand for
// themselves. Rounding works on the shortest round-trip decimal text of the value at its own
// precision, half away from zero. A value that rounds to zero has no minus sign.
std::string formatNumber(double value, std::string_view pattern);
std::string formatNumber(float value, std::string_view pattern);
// A display pattern taken apart once, for values formatted with it again and again. The
// pattern's text must outlive it.
class NumberPattern {
  public:
    explicit NumberPattern(std::string_view pattern);

    // The parts of a pattern without an exponent.
    struct Fixed {
        bool placeholders = false; // without any, the pattern is shown as it stands
        std::string_view prefix, fracSpec, suffix;
        bool point = false;
        int decimals = 0; // placeholders after the point
        int minInt = 0;   // integer digits always shown
    };
    std::string_view text() const { return text_; }
    bool scientific() const { return exponentAt_ != std::string_view::npos; }
    std::size_t exponentAt() const { return exponentAt_; }
    const Fixed& fixed() const { return fixed_; }

  private:
    std::string_view text_;
    std::size_t exponentAt_;
    Fixed fixed_;
};

// The text of formatNumber appended to `out`; no memory is taken beyond what `out` may need
// to grow.
void appendNumber(std::string& out, double value, const NumberPattern& pattern);

// Shortest decimal text of a 32-bit float with at most seven significant digits
// ("10", "3.5"); very large or very small values use the form "1.234568E+07".
std::string plainNumberText(float value);

// A parsed value stored into a 32-bit field: clamped to the float range so that no field
// ever holds an infinity.
float toFieldValue(double value);

} // namespace zmbr
