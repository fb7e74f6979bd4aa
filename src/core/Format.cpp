#include "Format.h"

#include <QList>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace tk {
namespace {

bool IsPlaceholder(QChar c) {
    return c == u'0' || c == u'#' || c == u'.' || c == u',';
}

QString FormatSection(double magnitude, QStringView section) {
    qsizetype first = 0;
    while (first < section.size() && !IsPlaceholder(section[first])) ++first;
    qsizetype last = first;
    while (last < section.size() && IsPlaceholder(section[last])) ++last;
    const QStringView prefix = section.left(first);
    const QStringView digits = section.mid(first, last - first);
    const QStringView suffix = section.mid(last);

    const qsizetype point = digits.indexOf(u'.');
    const QStringView intPattern = point < 0 ? digits : digits.left(point);
    const QStringView fracPattern = point < 0 ? QStringView() : digits.mid(point + 1);
    const int minInt = static_cast<int>(intPattern.count(u'0'));
    const int decimals = static_cast<int>(fracPattern.count(u'0') + fracPattern.count(u'#'));
    const int minFrac = static_cast<int>(fracPattern.lastIndexOf(u'0') + 1);

    if (digits.isEmpty()) return prefix.toString() + suffix.toString();

    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, magnitude);
    const std::string s(buf);
    const auto dot = s.find('.');
    std::string intDigits = dot == std::string::npos ? s : s.substr(0, dot);
    std::string fracDigits = dot == std::string::npos ? std::string() : s.substr(dot + 1);

    if (intDigits == "0" && minInt == 0) intDigits.clear();
    while (static_cast<int>(intDigits.size()) < minInt) intDigits.insert(intDigits.begin(), '0');
    while (static_cast<int>(fracDigits.size()) > minFrac && !fracDigits.empty() && fracDigits.back() == '0')
        fracDigits.pop_back();

    QString out = prefix.toString() + QString::fromLatin1(intDigits.c_str());
    if (point >= 0) out += QLatin1Char('.') + QString::fromLatin1(fracDigits.c_str());
    return out + suffix.toString();
}

}  // namespace

QString FormatNumber(double value, QStringView pattern) {
    QList<QStringView> sections;
    qsizetype from = 0;
    for (qsizetype i = 0; i <= pattern.size(); ++i) {
        if (i == pattern.size() || pattern[i] == u';') {
            sections.append(pattern.mid(from, i - from));
            from = i + 1;
        }
    }
    if (!std::isfinite(value)) return QString::number(value);
    if (value < 0.0 && sections.size() >= 2 && !sections[1].isEmpty())
        return FormatSection(-value, sections[1]);
    if (value == 0.0 && sections.size() >= 3 && !sections[2].isEmpty())
        return FormatSection(0.0, sections[2]);
    if (value < 0.0) return QLatin1Char('-') + FormatSection(-value, sections[0]);
    return FormatSection(value, sections[0]);
}

double LeadingNumber(QStringView text) {
    std::string s;
    s.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text) {
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r') continue;
        s.push_back(c.unicode() < 128 ? static_cast<char>(c.unicode()) : '\x7f');
    }

    if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
        const bool hex = s[1] == 'H' || s[1] == 'h';
        std::uint64_t v = 0;
        bool any = false;
        for (std::size_t i = 2; i < s.size(); ++i) {
            const char c = s[i];
            int d = -1;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (hex && c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            if (d < 0 || (!hex && d > 7)) break;
            v = v * (hex ? 16 : 8) + static_cast<std::uint64_t>(d);
            any = true;
            if (v > 0xFFFFFFFFull) break;
        }
        if (!any) return 0.0;
        // Short hexadecimal and octal constants are 16-bit and 32-bit integers, so &HFFFF reads as -1.
        if (v <= 0xFFFFull)
            return static_cast<double>(static_cast<std::int16_t>(static_cast<std::uint16_t>(v)));
        if (v <= 0xFFFFFFFFull)
            return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(v)));
        return static_cast<double>(v);
    }

    std::string num;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) num.push_back(s[i++]);
    bool mantissaDigits = false;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        num.push_back(s[i++]);
        mantissaDigits = true;
    }
    if (i < s.size() && s[i] == '.') {
        num.push_back(s[i++]);
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            num.push_back(s[i++]);
            mantissaDigits = true;
        }
    }
    if (!mantissaDigits) return 0.0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        std::string exp = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exp.push_back(s[j++]);
        bool expDigits = false;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9') {
            exp.push_back(s[j++]);
            expDigits = true;
        }
        if (expDigits) num += exp;
    }
    const double v = std::strtod(num.c_str(), nullptr);
    return std::isfinite(v) ? v : 0.0;
}

double RoundHalfEven(double value) {
    return std::nearbyint(value);
}

QString RightAligned(const QString& text, int width) {
    return text.size() >= width ? text : QString(width - text.size(), QLatin1Char(' ')) + text;
}

}  // namespace tk
