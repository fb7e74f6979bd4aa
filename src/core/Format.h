#pragma once

#include <QString>
#include <QStringView>

namespace tk {

// Formats a number by a display pattern of the kind the program uses: up to three sections separated by
// ";" (positive, negative, zero), digit placeholders "0" (always shown) and "#" (shown when needed), one ".",
// and literal text before and after the placeholders ("0000.0 dBm;-000.0 dBm", "###0.0", "0 -  ", "00:").
// A negative number formatted with a negative section is written without its sign: the section carries it.
// The last digit is rounded on the exact binary value, exact halves to even.
QString FormatNumber(double value, QStringView pattern);

// The number at the start of a typed text: blanks anywhere are ignored, an optional sign, digits with one
// decimal point and an optional exponent ("E" or "D"), or "&H" hexadecimal and "&O" octal digits. Reading
// stops at the first character that cannot continue the number; a text without a number gives 0.
double LeadingNumber(QStringView text);

// Rounds to the nearest whole number, halves to even.
double RoundHalfEven(double value);

// The text padded with blanks on the left to the width; a longer text stays whole.
QString RightAligned(const QString& text, int width);

// A double-precision result stored back into a 32-bit float.
inline float ToSingle(double value) {
    return static_cast<float>(value);
}

}  // namespace tk
