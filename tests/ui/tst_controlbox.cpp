#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include "ControlBox.h"
#include "MeasurementModel.h"
#include "Rows.h"

using namespace tk;
using tk::test::Row;

namespace {

const QString kCenter = QStringLiteral("centerfreq");

struct Rig {
    MeasurementModel model;
    QWidget host;
    ControlBox* box = new ControlBox(model, &host);

    Rig() { (new QVBoxLayout(&host))->addWidget(box); }
    // Shows the window and makes it the active one, so focus moves as it does for a user.
    bool open() {
        host.show();
        host.activateWindow();
        return QTest::qWaitForWindowActive(&host);
    }
    QLineEdit* edit(const QString& name) const { return box->findChild<QLineEdit*>(name); }
    QAbstractButton* button(const QString& name) const { return box->findChild<QAbstractButton*>(name); }
    QButtonGroup* group(const char* name) const {
        return box->findChild<QButtonGroup*>(QString::fromUtf8(name));
    }
    // The up or down arrow beside a number field.
    QToolButton* spin(const QString& field, bool up) const {
        static const QHash<QString, QString> pairOf{{"centerfreq", "Spin3"},      {"dämpf", "Spin2"},
                                                    {"rausch", "Spin1"},          {"aktime", "Spinak"},
                                                    {"pktime", "Spinpk"},         {"avtime", "Spinav"},
                                                    {"logstart", "Spinlogstart"}, {"logstop", "Spinlogstop"}};
        auto* pair = box->findChild<QWidget*>(pairOf.value(field));
        return pair ? pair->findChild<QToolButton*>(up ? QStringLiteral("up") : QStringLiteral("down"))
                    : nullptr;
    }
    // Clicks into the field and replaces its text by typing.
    static void type(QLineEdit* e, const QString& text) {
        QTest::mouseClick(e, Qt::LeftButton);
        QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(e, text);
    }
};

// The stored value a control stands for; the options of a group share one ("scan7" -> "scan").
double Value(const MeasurementModel& m, QString control) {
    const MeasurementSettings& s = m.settings;
    control.remove(QRegularExpression(QStringLiteral("\\d+$")));
    // clang-format off
    const QHash<QString, double> byControl{
        {"centerfreq", s.centerFreq}, {"dämpf", s.attenuation}, {"rausch", s.noiseSuppression},
        {"aktime", s.actualInterval}, {"pktime", s.peakInterval}, {"avtime", s.averageInterval},
        {"scan", s.scanWidth}, {"Einheit", s.levelUnit}, {"opBW", s.bandwidthIndex},
        {"chVideoFilter", s.videoFilterOn}, {"ckaktuell", s.showActual.raw()}, {"ckpeak", s.showPeak.raw()},
        {"ckaverage", s.showAverage.raw()}, {"cklimak", s.limitActual.raw()}, {"cklimpk", s.limitPeak.raw()},
        {"cklimav", s.limitAverage.raw()}, {"ckeichen", s.calibrationOn.raw()},
        {"cklogfreq", m.frequencyView.logarithmic}, {"logstart", m.frequencyView.startMHz},
        {"logstop", m.frequencyView.stopMHz}};
    // clang-format on
    return byControl.value(control, qQNaN());
}

}  // namespace

class TestControlBox : public QObject {
    Q_OBJECT
private slots:
    // A click on an option stores its value at once and, where the graph shows it, asks for a redraw; the
    // window's own paint keeps the click.
    void clicksStore() {
        Rig r;
        QVERIFY(r.open());
        QStringList shown;
        for (const char* name :
             {"scan1", "scan9", "scan11", "scan10", "opBW2", "chVideoFilter", "Einheit0", "Einheit3",
              "ckaktuell", "ckpeak", "ckaverage", "cklimak", "cklimpk", "cklimav", "ckeichen", "cklogfreq"}) {
            r.model.redrawPending = false;
            QAbstractButton* b = r.button(QString::fromLatin1(name));
            QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(7, b->height() / 2));  // on the indicator
            r.box->repaint();
            shown << QStringLiteral("%1 %2%3 %4")
                         .arg(QString::fromLatin1(name), QString::number(Value(r.model, name)),
                              r.model.redrawPending ? QStringLiteral(" redraw") : QString(),
                              b->isChecked() ? QStringLiteral("on") : QStringLiteral("off"));
        }
        // The calibration applies to the next trace read, not to what is drawn.
        QCOMPARE(
            shown.join(u';'),
            QStringLiteral("scan1 50 redraw on;scan9 0.1 redraw on;scan11 0.05 redraw on;scan10 0 redraw on;"
                           "opBW2 2 on;chVideoFilter 1 on;Einheit0 0 redraw on;Einheit3 3 redraw on;"
                           "ckaktuell 0 redraw off;ckpeak 0 redraw off;ckaverage 0 redraw off;"
                           "cklimak -1 redraw on;cklimpk -1 redraw on;cklimav -1 redraw on;ckeichen -1 on;"
                           "cklogfreq 1 redraw on"));
    }

    // Activated again in the work area, the window shows what a file or another window changed meanwhile.
    void activationShowsTheModel() {
        MeasurementModel model;
        QMdiArea area;
        auto* box = new ControlBox(model);
        QMdiSubWindow* frame = area.addSubWindow(box);
        QMdiSubWindow* other = area.addSubWindow(new QWidget);
        area.show();
        frame->show();
        other->show();
        area.setActiveSubWindow(other);
        model.settings.centerFreq = 777.5f;
        area.setActiveSubWindow(frame);
        QCOMPARE(box->findChild<QLineEdit*>(kCenter)->text(), QStringLiteral("777.5"));
    }

    void repaintShowsTheModel() {
        Rig r;
        QVERIFY(r.open());
        QLineEdit* center = r.edit(kCenter);
        Rig::type(center, QStringLiteral("1234"));
        // The field's own paints while typing leave the text alone.
        center->repaint();
        QCOMPARE(center->text(), QStringLiteral("1234"));
        MeasurementSettings& s = r.model.settings;
        s.centerFreq = 123.25f;
        s.scanWidth = 0.2f;
        s.levelUnit = 3;
        s.userUnitName.set(QStringLiteral("  dBA"));
        s.videoFilterOn = 1;
        s.showPeak = false;
        s.limitActual = s.limitAverage = true;
        s.bandwidthIndex = 1;
        r.box->repaint();
        // Typed text that was not confirmed is replaced; leaving the field then keeps the stored value.
        QCOMPARE(center->text(), QStringLiteral("123.25"));
        QTest::keyClick(center, Qt::Key_Tab);
        QCOMPARE(s.centerFreq, 123.25f);
        QCOMPARE(r.group("scan")->checkedId(), 8);
        QCOMPARE(r.group("Einheit")->checkedId(), 3);
        QCOMPARE(r.button(QStringLiteral("Einheit3"))->text(), QStringLiteral("dBA"));
        QVERIFY(r.button(QStringLiteral("chVideoFilter"))->isChecked());
        QVERIFY(!r.button(QStringLiteral("ckpeak"))->isChecked());
        QVERIFY(r.button(QStringLiteral("cklimak"))->isChecked() &&
                r.button(QStringLiteral("cklimav"))->isChecked());
        QCOMPARE(r.group("opBW")->checkedId(), 1);
        QVERIFY(!r.model.redrawPending);
        auto* note = r.box->findChild<QLabel*>(QStringLiteral("scannote"));
        QVERIFY(note->isHidden());
        // A width that no option stands for leaves every option unselected, and the setup says so.
        s.scanWidth = 3.0f;
        r.box->repaint();
        QCOMPARE(r.group("scan")->checkedId(), -1);
        QVERIFY(!note->isHidden());
        QCOMPARE(note->text(), QStringLiteral("3 MHz per division is no width of the analyzer"));
        // A logarithmic view without a usable start and stop says so (the graph stays linear).
        auto* logNote = r.box->findChild<QLabel*>(QStringLiteral("lognote"));
        r.model.frequencyView = {true, 30.0f, 0.15f};
        r.box->repaint();
        QVERIFY(r.button(QStringLiteral("cklogfreq"))->isChecked() && !logNote->isHidden());
        r.model.frequencyView.stopMHz = 300.0f;
        r.box->repaint();
        QVERIFY(logNote->isHidden());
    }

    void numberFields_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");    // pressed after typing, unless 0
        QTest::addColumn<int>("steps");  // then the arrows: up when positive, down when negative
        QTest::addColumn<double>("stored");
        QTest::addColumn<bool>("redraw");
        constexpr int E = Qt::Key_Return, K = Qt::Key_Enter, T = Qt::Key_Tab;
        // Typed: the leading number, whole in the intervals, held to the typed range.
        Row("center 3500 enter", "centerfreq", "3500", E, 0, 3000.0, true);
        Row("center 3500 leave", "centerfreq", "3500", T, 0, 3000.0, false);
        Row("attenuation below", "dämpf", "-100", E, 0, -80.0, true);
        Row("attenuation above, leave", "dämpf", "95", T, 0, 80.0, true);
        Row("noise below, leave", "rausch", "-3", T, 0, 0.0, true);
        Row("noise above, keypad enter", "rausch", "81", K, 0, 80.0, true);
        Row("interval 3.5", "pktime", "3.5", E, 0, 4.0, false);
        Row("interval zero, leave", "pktime", "0", T, 0, 1.0, false);
        Row("interval above, leave", "avtime", "40000", T, 0, 30000.0, false);
        // Spun: a step from the stored value, held to the spin range; unconfirmed text is taken first.
        Row("center up past 3000", "centerfreq", "3000", E, 1, 3001.0, true);
        Row("center up to 20000", "centerfreq", "3000", E, 17001, 20000.0, true);
        Row("attenuation up at 80", "dämpf", "80", E, 1, 80.0, true);
        Row("attenuation down at -80", "dämpf", "-80", E, -1, -80.0, true);
        Row("attenuation fraction", "dämpf", "2.5", E, 1, 3.5, true);
        Row("attenuation unconfirmed, up", "dämpf", "10", 0, 1, 11.0, true);
        Row("noise down at 0", "rausch", "0", E, -1, 0.0, true);
        Row("noise up at 80", "rausch", "80", E, 1, 80.0, true);
        Row("actual down at 1", "aktime", "1", E, -1, 1.0, false);
        Row("peak up at 30000", "pktime", "30000", E, 1, 30000.0, false);
        Row("view start", "logstart", "0.5", E, 0, 0.5, true);
        Row("view stop above, leave, up", "logstop", "4000", T, 1, 3001.0, true);
    }
    void numberFields() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(int, steps);
        QFETCH(double, stored);
        QFETCH(bool, redraw);
        Rig r;
        QVERIFY(r.open());
        QLineEdit* e = r.edit(field);
        QToolButton* arrow = r.spin(field, steps > 0);
        QVERIFY(e && arrow);
        Rig::type(e, typed);
        if (key) QTest::keyClick(e, Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        for (int i = 0; i < std::abs(steps); ++i) QTest::mouseClick(arrow, Qt::LeftButton);
        QCOMPARE(Value(r.model, field), stored);
        QCOMPARE(e->text(), QString::number(stored));
        QCOMPARE(bool(r.model.redrawPending), redraw);
        // Passing through the field keeps the value, with no redraw; Enter applies the typed range.
        r.model.redrawPending = false;
        QTest::mouseClick(e, Qt::LeftButton);
        QTest::keyClick(e, Qt::Key_Tab);
        QCOMPARE(Value(r.model, field), stored);
        QVERIFY(!r.model.redrawPending);
        if (stored > 3000.0 && !field.endsWith(QStringLiteral("time"))) {  // centre and view stop
            QTest::mouseClick(e, Qt::LeftButton);
            QTest::keyClick(e, Qt::Key_Return);
            QCOMPARE(Value(r.model, field), 3000.0);
        }
    }
};

QTEST_MAIN(TestControlBox)
#include "tst_controlbox.moc"
