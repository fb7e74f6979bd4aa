#include "RunReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace tk {
namespace {

double Rounded(double value, double scale) {
    return std::round(value * scale) / scale;
}

QJsonObject MarginJson(const RunReport::Margin& m) {
    QJsonObject o;
    o.insert(QStringLiteral("trace"), m.trace);
    o.insert(QStringLiteral("reached"), m.reached);
    if (m.marginDb) {
        o.insert(QStringLiteral("marginDb"), Rounded(*m.marginDb, 100.0));
        o.insert(QStringLiteral("frequencyMHz"), Rounded(m.frequencyMHz, 1000.0));
    } else {
        o.insert(QStringLiteral("marginDb"), QJsonValue::Null);
        o.insert(QStringLiteral("frequencyMHz"), QJsonValue::Null);
    }
    return o;
}

QJsonValue Optional(const std::optional<double>& value) {
    return value ? QJsonValue(Rounded(*value, 100.0)) : QJsonValue(QJsonValue::Null);
}

QJsonArray PeaksJson(const QList<RunReport::TracePeaks>& traces) {
    QJsonArray out;
    for (const RunReport::TracePeaks& t : traces) {
        QJsonArray rows;
        for (const RunReport::Peak& p : t.peaks) {
            QJsonObject o;
            o.insert(QStringLiteral("number"), p.number);
            o.insert(QStringLiteral("frequencyMHz"), Rounded(p.frequencyMHz, 1000.0));
            o.insert(QStringLiteral("level"), Rounded(p.level, 100.0));
            o.insert(QStringLiteral("boundary"), Optional(p.boundaryLevel));
            o.insert(QStringLiteral("marginDb"), Optional(p.marginDb));
            o.insert(QStringLiteral("reached"), p.reached);
            rows.append(o);
        }
        QJsonObject o;
        o.insert(QStringLiteral("trace"), t.trace);
        o.insert(QStringLiteral("peaks"), rows);
        out.append(o);
    }
    return out;
}

}  // namespace

QByteArray RunReportJson(const RunReport& report) {
    QJsonArray steps;
    QJsonValue worst = QJsonValue::Null;
    std::optional<double> worstMargin;
    for (const RunReport::Step& step : report.steps) {
        QJsonArray margins;
        for (const RunReport::Margin& m : step.margins) {
            margins.append(MarginJson(m));
            if (m.marginDb && (!worstMargin || *m.marginDb < *worstMargin)) {
                worstMargin = m.marginDb;
                QJsonObject w = MarginJson(m);
                w.insert(QStringLiteral("step"), step.step);
                worst = w;
            }
        }
        QJsonObject s;
        s.insert(QStringLiteral("step"), step.step);
        s.insert(QStringLiteral("files"), QJsonArray::fromStringList(step.files));
        s.insert(QStringLiteral("boundaries"), margins);
        s.insert(QStringLiteral("levelUnit"), step.levelUnit);
        s.insert(QStringLiteral("peaks"), PeaksJson(step.peaks));
        steps.append(s);
    }
    QJsonArray unwritten;
    for (const RunReport::Unwritten& u : report.unwritten)
        unwritten.append(QJsonObject{{QStringLiteral("file"), u.file}, {QStringLiteral("reason"), u.reason}});
    QJsonObject root;
    root.insert(QStringLiteral("script"), report.script);
    root.insert(QStringLiteral("exitStatus"), report.exitStatus);
    root.insert(QStringLiteral("outcome"), report.outcome);
    root.insert(QStringLiteral("steps"), steps);
    root.insert(QStringLiteral("unwritten"), unwritten);
    root.insert(QStringLiteral("worst"), worst);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

}  // namespace tk
