#pragma once

#include <QString>

namespace tk {

// A stored single-precision value as an editor field shows it, with offset (whole dB of the shown unit)
// added: plain decimal digits with "." whatever the locale, as few as read back (by the leading-number rule,
// less the offset) to exactly the stored value, so that confirming a field unchanged changes nothing.
QString EditorNumberText(float value, int offset = 0);

}  // namespace tk
