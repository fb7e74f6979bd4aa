#include "PeakCapture.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

#include "BoundaryMargins.h"
#include "FileIO.h"
#include "MeasurementFile.h"
#include "PictureExport.h"

namespace tk {

QString CaptureBaseName(const QString& dateText, const QString& timeText) {
    const QDate date = QDate::fromString(dateText, QStringLiteral("dd.MM.yyyy"));
    QString day = date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : dateText;
    // Whatever the date looks like, it must not add folders or characters a file name cannot hold.
    for (QChar& c : day)
        if (!c.isLetterOrNumber() && c != QLatin1Char('-')) c = QLatin1Char('-');
    QString time = timeText.trimmed();
    time.replace(QLatin1Char(':'), QLatin1Char('-'));
    return QStringLiteral("capture-%1_%2").arg(day, time);
}

PeakCapture::PeakCapture(MeasurementModel& model, Clock& clock, Hooks hooks)
    : m_model(model), m_clock(clock), m_hooks(std::move(hooks)) {}

void PeakCapture::setFolder(const QString& folder) {
    if (folder == m_folder) return;
    m_folder = folder;
    m_failureTold = false;
}

void PeakCapture::TraceRead(TraceKind kind) {
    const BoundaryTrace trace = kind == TraceKind::Actual    ? BoundaryTrace::Actual
                                : kind == TraceKind::Average ? BoundaryTrace::Average
                                                             : BoundaryTrace::Peak;
    bool& before = m_reached[static_cast<std::size_t>(kind)];
    const bool now = ShownTraceReachesBoundary(m_model, trace);
    const bool crossed = now && !before;
    before = now;
    if (!crossed || !m_enabled) return;

    const QString base = CaptureBaseName(m_clock.dateText(), m_clock.timeText());
    if (const std::optional<QString> written = Write(base)) {
        ++m_count;
        m_last = *written;
        m_failed = false;
        m_failureTold = false;
    } else {
        m_failed = true;
        if (!m_failureTold && m_hooks.showInformation)
            m_hooks.showInformation(QStringLiteral("Capture not written to ") +
                                    QDir::toNativeSeparators(m_folder));
        m_failureTold = true;
    }
    // The capture keeps the moment; measuring on is the user's choice, also when the files could not be
    // written.
    if (m_stopAuto && m_hooks.stopAutoMeasurement) m_hooks.stopAutoMeasurement();
    if (m_hooks.changed) m_hooks.changed();
}

std::optional<QString> PeakCapture::Write(const QString& base) {
    const QDir dir(m_folder);
    if (m_folder.isEmpty() || !dir.exists()) return std::nullopt;
    // Two crossings within one second (traces read one after the other) keep both captures.
    QString name = base;
    for (int n = 2; QFileInfo::exists(dir.filePath(name + QStringLiteral(".mes"))); ++n)
        name = base + QStringLiteral("-%1").arg(n);
    const QImage picture = m_hooks.graphPicture ? m_hooks.graphPicture() : QImage();
    if (picture.isNull() ||
        !WriteFileAtomically(dir.filePath(name + QStringLiteral(".mes")), WriteMeasurement(m_model)) ||
        !SaveGraphPicture(dir.filePath(name + QStringLiteral(".png")), picture, {}))
        return std::nullopt;
    return name;
}

}  // namespace tk
