#pragma once

#include <QList>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace tk {

// The values of a control-output field, separated by ",": each read by the leading-number rule from its
// start (blanks ignored, "&H" and "&O" accepted, no number gives 0) and rounded half to even. A value
// outside 0..255 is nothing: no output sends it. A "," at the end adds one value 0.
QList<std::optional<std::uint8_t>> ReadByteList(QStringView field);

}  // namespace tk
