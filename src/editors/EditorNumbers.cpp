#include "EditorNumbers.h"

#include <charconv>
#include <cmath>

#include "Format.h"

namespace tk {
namespace {

template <typename T>
QString ShortestFixed(T value) {
    char buf[400];
    const auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    if (result.ec != std::errc()) return QString::number(static_cast<double>(value), 'f', 6);
    return QString::fromLatin1(buf, result.ptr - buf);
}

}  // namespace

QString EditorNumberText(float value, int offset) {
    const double shown = static_cast<double>(value) + offset;
    if (!std::isfinite(shown)) return QString::number(shown);
    const auto readsBack = [&](const QString& text) {
        return ToSingle(LeadingNumber(text) - offset) == value;
    };
    // The fewest decimals that give the value back: a typed 9.7 less 107, stored as a float, shows as 9.7
    // again, not as the digits of the float nearest to the sum.
    for (int decimals = 0; decimals <= 9; ++decimals) {
        const QString text = QString::number(shown, 'f', decimals);
        if (readsBack(text)) return text;
    }
    // Digits enough for the single-precision sum are nearly always enough; the double's digits are the
    // fallback for the rare value whose single-precision text rounds the other way.
    const QString shortText = ShortestFixed(static_cast<float>(shown));
    if (readsBack(shortText)) return shortText;
    return ShortestFixed(shown);
}

}  // namespace tk
