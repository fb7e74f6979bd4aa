#include "SettingsFile.h"

#include <algorithm>
#include <array>

#include "FieldIo.h"
#include "UnitHeader.h"

namespace tk {
namespace {

enum Version { Set0, Set1, Set2, Set3, Set4 };
const std::array<QByteArray, 5> kTags{"set  ", "set1 ", "set2 ", "set3 ", "set4 "};

// The print setup and the unit, in the order of "set3 " and "set4 ".
template <typename Io, typename Model>
void PrintAndUnitFields(Io& io, Model& m) {
    io(m.printComparison);
    io(m.printBlackWhite);
    io(m.printActual);
    io(m.printPeak);
    io(m.printAverage);
    io(m.printBoundaryActual);
    io(m.printBoundaryPeak);
    io(m.printBoundaryAverage);
    io(m.printHeadline);
    io(m.printDateTime);
    io(m.printFileName);
    io(m.printFromMHz);
    io(m.printToMHz);
    UnitFields(io, m.settings);
}

// What "set4 " added.
template <typename Io, typename Model>
void Set4Fields(Io& io, Model& m) {
    io(Checked{m.settings.bandwidthIndex, ValidBandwidthIndex});
    io(m.settings.videoFilterOn);
    io(m.printSettings);
}

// The 46 bytes every version ends with. Note the order port, resolution, baud.
template <typename Io, typename Settings>
void CommonTail(Io& io, Settings& s) {
    io(Checked{s.portNumber, ValidPortNumber});
    io(Checked{s.resolution, ValidResolution});
    io(Checked{s.baudIndex, ValidBaudIndex});
    io(s.showActual);
    io(s.showPeak);
    io(s.showAverage);
    io(s.actualInterval);
    io(s.peakInterval);
    io(s.averageInterval);
    io(s.noiseSuppression);
    io(s.attenuation);
    io(s.centerFreq);
    io(s.scanWidth);
    io(s.limitActual);
    io(s.limitPeak);
    io(s.limitAverage);
}

}  // namespace

LoadResult ReadSettings(const QByteArray& bytes, MeasurementModel& model) {
    ByteReader reader(bytes);
    QByteArray tag;
    if (!reader.readBytes(5, tag)) return LoadResult::Refused;
    const auto known = std::find(kTags.begin(), kTags.end(), tag);
    if (known == kTags.end()) return LoadResult::Refused;

    FieldReader io{reader};
    switch (static_cast<Version>(known - kTags.begin())) {
        case Set0:
            break;
        case Set1:
            ReadBareUnitFields(io, model.settings);
            break;
        case Set2:
            UnitFields(io, model.settings);
            break;
        case Set3:
            PrintAndUnitFields(io, model);
            break;
        case Set4:
            PrintAndUnitFields(io, model);
            Set4Fields(io, model);
            break;
    }
    CommonTail(io, model.settings);
    return reader.ok() && !io.outOfRange ? LoadResult::Loaded : LoadResult::Incomplete;
}

QByteArray WriteSettings(const MeasurementModel& model) {
    ByteWriter writer;
    writer.writeBytes(kTags[Set4]);
    FieldWriter io{writer};
    PrintAndUnitFields(io, model);
    Set4Fields(io, model);
    CommonTail(io, model.settings);
    return writer.bytes();
}

}  // namespace tk
