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
    // Digits enough for the single-precision sum are nearly always enough; the double's digits are the
    // fallback for the rare value whose single-precision text rounds the other way.
    const QString shortText = ShortestFixed(static_cast<float>(shown));
    if (readsBack(shortText)) return shortText;
    return ShortestFixed(shown);
}

}  // namespace tk
