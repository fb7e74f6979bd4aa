#pragma once

#include <QJsonValue>
#include <QString>
#include <cstdint>
#include <optional>

#include "VbBool.h"

namespace tk {

// The JSON form of the values the data files hold, chosen so that every value reads back bit for bit:
// - a Float32 is the shortest decimal that reads back as the same float; NaN, the infinities and -0 have
//   no such JSON number and are written as their bits, "0x" and eight hex digits;
// - a Boolean is true or false for -1 and 0, any other stored value as that integer;
// - a fixed-width text is the whole text with its blanks, in Latin-1.
QJsonValue FloatToJson(float value);
QJsonValue BoolToJson(VbBool value);
QJsonValue TextToJson(const QByteArray& latin1);

// The reverse; an error text when the value has the wrong type or does not fit the field.
std::optional<float> FloatFromJson(const QJsonValue& v, QString& error);
std::optional<std::int64_t> IntFromJson(const QJsonValue& v, std::int64_t min, std::int64_t max,
                                        QString& error);
std::optional<VbBool> BoolFromJson(const QJsonValue& v, QString& error);
// The Latin-1 bytes of a text of at most width characters, padded with blanks.
std::optional<QByteArray> TextFromJson(const QJsonValue& v, qsizetype width, QString& error);

}  // namespace tk
