#include "JsonValues.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace tk {
namespace {

std::uint32_t BitsOf(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float FloatOfBits(std::uint32_t bits) {
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace

QJsonValue FloatToJson(float value) {
    if (!std::isfinite(value) || (value == 0.0f && std::signbit(value)))
        return QStringLiteral("0x") + QString::number(BitsOf(value), 16).toUpper().rightJustified(8, u'0');
    // The shortest decimal of the float, as a double, prints as that same short decimal; where that
    // double would not come back to the float, the float's exact double is written instead.
    char buf[32];
    const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
    double shortest = 0.0;
    std::from_chars(buf, end, shortest);
    if (BitsOf(static_cast<float>(shortest)) == BitsOf(value)) return shortest;
    return static_cast<double>(value);
}

QJsonValue BoolToJson(VbBool value) {
    if (value.raw() == VbBool::TRUE_VALUE) return true;
    if (value.raw() == VbBool::FALSE_VALUE) return false;
    return value.raw();
}

QJsonValue TextToJson(const QByteArray& latin1) {
    return QString::fromLatin1(latin1);
}

std::optional<float> FloatFromJson(const QJsonValue& v, QString& error) {
    if (v.isDouble()) {
        const double d = v.toDouble();
        // The largest float's shortest decimal lies a little above it; everything below the midpoint to
        // the next power of two rounds to it.
        constexpr double fltMax = std::numeric_limits<float>::max();
        const double limit = std::ldexp(2.0 - std::ldexp(1.0, -24), 127);
        if (std::fabs(d) < limit) return static_cast<float>(std::clamp(d, -fltMax, fltMax));
        error = QStringLiteral("%1 is no 32-bit float").arg(d);
        return std::nullopt;
    }
    const QString s = v.toString();
    bool ok = false;
    const std::uint32_t bits = s.mid(2).toUInt(&ok, 16);
    if (v.isString() && s.startsWith(QStringLiteral("0x")) && s.size() == 10 && ok) return FloatOfBits(bits);
    error = QStringLiteral("expected a number or \"0x\" and eight hex digits");
    return std::nullopt;
}

std::optional<std::int64_t> IntFromJson(const QJsonValue& v, std::int64_t min, std::int64_t max,
                                        QString& error) {
    const double d = v.toDouble();
    if (!v.isDouble() || d != std::floor(d)) {
        error = QStringLiteral("expected a whole number");
        return std::nullopt;
    }
    if (d < static_cast<double>(min) || d > static_cast<double>(max)) {
        error = QStringLiteral("%1 is outside %2..%3").arg(d).arg(min).arg(max);
        return std::nullopt;
    }
    return static_cast<std::int64_t>(d);
}

std::optional<VbBool> BoolFromJson(const QJsonValue& v, QString& error) {
    if (v.isBool()) return VbBool(v.toBool());
    const auto raw = IntFromJson(v, INT16_MIN, INT16_MAX, error);
    if (!raw) {
        error = QStringLiteral("expected true, false or a 16-bit integer");
        return std::nullopt;
    }
    return VbBool::fromRaw(static_cast<std::int16_t>(*raw));
}

std::optional<QByteArray> TextFromJson(const QJsonValue& v, qsizetype width, QString& error) {
    if (!v.isString()) {
        error = QStringLiteral("expected a text");
        return std::nullopt;
    }
    const QString text = v.toString();
    if (text.size() > width) {
        error = QStringLiteral("longer than %1 characters").arg(width);
        return std::nullopt;
    }
    for (const QChar c : text) {
        if (c.unicode() > 0xFF) {
            error = QStringLiteral("the character %1 has no 8-bit code").arg(c);
            return std::nullopt;
        }
    }
    return text.toLatin1().leftJustified(width, ' ');
}

}  // namespace tk
