#pragma once

#include "FieldIo.h"
#include "MeasurementModel.h"

namespace tk {

// The level unit, the user unit's name and its offset, as the settings and measurement files of the
// second and later versions hold them.
template <typename Io, typename Settings>
void UnitFields(Io& io, Settings& s) {
    io(Checked{s.levelUnit, ValidLevelUnit});
    io(s.userUnitName);
    io(s.userUnitOffset);
}

// The same in the first versions ("set1 ", "mes1 "): the name as bare characters up to a 0 byte, and the
// offset's four bytes starting at that 0 byte (the offset's lowest byte is always 0 in these files). A
// file that ends before a 0 byte fails like a short read.
inline void ReadBareUnitFields(FieldReader& io, MeasurementSettings& s) {
    io(Checked{s.levelUnit, ValidLevelUnit});
    QByteArray name;
    if (!io.reader.readUntilZero(name)) return;
    s.userUnitName.setBytes(name);
    io(s.userUnitOffset);
}

}  // namespace tk
