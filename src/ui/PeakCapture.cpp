#include "PeakCapture.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

#include "BoundaryMargins.h"
#include "FileIO.h"
#include "MeasurementFile.h"
#include "PictureExport.h"
#include "Units.h"

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
    const MeasurementSettings& s = m_model.settings;
    const bool shown = trace == BoundaryTrace::Actual    ? s.showActual
                       : trace == BoundaryTrace::Average ? s.showAverage
                                                         : s.showPeak;
    // The emissions are followed also while capture is off, so that switching it on during a violation
    // does not capture what was there before.
    const std::vector<PeakRow> violating =
        shown ? ViolatingEmissions(m_model, trace) : std::vector<PeakRow>{};
    // Five points of the sweep either way are the same emission.
    const double toleranceMHz = 5.0 * double(s.scanWidth) * std::max<int>(1, s.resolution) / 400.0;
    const std::vector<PeakRow> captured =
        m_emissions.Update(trace, violating, m_clock.seconds(), m_holdOff, toleranceMHz);
    if (captured.empty() || !m_enabled) return;

    const QString base = CaptureBaseName(m_clock.dateText(), m_clock.timeText());
    for (const PeakRow& emission : captured) {
        if (const std::optional<QString> written = Write(base, trace, emission)) {
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
    }
    // The capture keeps the moment; measuring on is the user's choice, also when the files could not be
    // written.
    if (m_stopAuto && m_hooks.stopAutoMeasurement) m_hooks.stopAutoMeasurement();
    if (m_hooks.changed) m_hooks.changed();
}

std::optional<QString> PeakCapture::Write(const QString& base, BoundaryTrace trace, const PeakRow& emission) {
    const QDir dir(m_folder);
    if (m_folder.isEmpty() || !dir.exists()) return std::nullopt;
    // Captures within one second (traces read one after the other, emissions of one read) keep them all.
    QString name = base;
    for (int n = 2; QFileInfo::exists(dir.filePath(name + QStringLiteral(".mes"))); ++n)
        name = base + QStringLiteral("-%1").arg(n);
    const QString time = m_clock.timeText();
    const QImage picture = m_hooks.graphPicture ? m_hooks.graphPicture([&](Canvas& canvas) {
        DrawCaptureAnnotation(m_model, canvas, trace, emission, time);
    })
                                                : QImage();
    if (picture.isNull() ||
        !WriteFileAtomically(dir.filePath(name + QStringLiteral(".mes")), WriteMeasurement(m_model)) ||
        !SaveGraphPicture(dir.filePath(name + QStringLiteral(".png")), picture, {}) ||
        !AddToIndex(name, trace, emission))
        return std::nullopt;
    return name;
}

bool PeakCapture::AddToIndex(const QString& name, BoundaryTrace trace, const PeakRow& emission) {
    const QString path = QDir(m_folder).filePath(QString::fromLatin1(CAPTURE_INDEX_NAME));
    const MeasurementSettings& s = m_model.settings;
    const QString unit = UnitText(s, s.levelUnit);
    QByteArray index = ReadFileBytes(path, 64 * 1024 * 1024).value_or(QByteArray());
    if (index.isEmpty())
        index = QStringLiteral("Time,File,Trace,Frequency (MHz),Level (%1),Boundary (%1),Margin (dB)\n")
                    .arg(unit)
                    .toUtf8();
    const QDate date = QDate::fromString(m_clock.dateText(), QStringLiteral("dd.MM.yyyy"));
    const QString day = date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : m_clock.dateText();
    const auto number = [](const std::optional<double>& v) {
        return v ? QString::number(*v, 'f', 1) : QString();
    };
    index += QStringLiteral("%1 %2,%3.mes,%4,%5,%6,%7,%8\n")
                 .arg(day, m_clock.timeText().trimmed(), name, TraceTitle(trace),
                      QString::number(double(emission.frequencyMHz), 'f', 3), number(emission.level),
                      number(emission.boundaryLevel), number(emission.marginDb))
                 .toUtf8();
    return WriteFileAtomically(path, index);
}

}  // namespace tk
