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
