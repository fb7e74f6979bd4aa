#include "ByteList.h"

#include "Format.h"

namespace tk {

QList<std::optional<std::uint8_t>> ReadByteList(QStringView field) {
    QList<std::optional<std::uint8_t>> values;
    qsizetype from = 0;
    for (;;) {
        const double v = RoundHalfEven(LeadingNumber(field.mid(from)));
        if (v >= 0.0 && v <= 255.0)
            values.append(static_cast<std::uint8_t>(v));
        else
            values.append(std::nullopt);
        const qsizetype comma = field.indexOf(u',', from);
        if (comma < 0) break;
        from = comma + 1;
    }
    return values;
}

}  // namespace tk
