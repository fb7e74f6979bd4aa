#include "ControlBox.h"
#include "MeasurementModel.h"
#include "Units.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

using namespace tk;

namespace {

// The window the box sits in; it sees every key that the box lets through.
class Host final : public QWidget {
public:
    QList<int> keysPassedOn;

protected:
    void keyPressEvent(QKeyEvent* e) override { keysPassedOn.append(e->key()); }
};

struct Rig {
    MeasurementModel model;
    Host host;
    ControlBox* box = new ControlBox(model, &host);

    Rig() {
        auto* layout = new QVBoxLayout(&host);
        layout->addWidget(box);
    }
    // Shows the window and makes it the active one, so focus moves as it does for a user.
    bool open() {
        host.show();
        host.activateWindow();
        return QTest::qWaitForWindowActive(&host);
    }
    QLineEdit* edit(const QString& name) const { return box->findChild<QLineEdit*>(name); }
    QToolButton* spin(const QString& name, const char* which) const {
        QWidget* pair = box->findChild<QWidget*>(name);
        return pair ? pair->findChild<QToolButton*>(QString::fromLatin1(which)) : nullptr;
    }
    QAbstractButton* button(const QString& name) const { return box->findChild<QAbstractButton*>(name); }
    // Clicks on the option's or box's indicator, at its left end.
    void click(const QString& name) const {
        QAbstractButton* b = button(name);
        QVERIFY2(b, qPrintable(name));
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(7, b->height() / 2));
    }
    QButtonGroup* group(const char* name) const {
        return box->findChild<QButtonGroup*>(QString::fromUtf8(name));
    }

    // Clicks into the field, replaces its text by typing.
    void type(QLineEdit* e, const QString& text) {
        QTest::mouseClick(e, Qt::LeftButton);
        QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(e, text);
    }
};

double Stored(const MeasurementSettings& s, const QString& field) {
    if (field == QStringLiteral("centerfreq")) return s.centerFreq;
    if (field == QString::fromUtf8("dämpf")) return s.attenuation;
    if (field == QStringLiteral("rausch")) return s.noiseSuppression;
    if (field == QStringLiteral("aktime")) return s.actualInterval;
    if (field == QStringLiteral("pktime")) return s.peakInterval;
    if (field == QStringLiteral("avtime")) return s.averageInterval;
    qFatal("unknown field");
}

void Store(MeasurementSettings& s, const QString& field, double v) {
    if (field == QStringLiteral("centerfreq")) s.centerFreq = static_cast<float>(v);
    if (field == QString::fromUtf8("dämpf")) s.attenuation = static_cast<float>(v);
    if (field == QStringLiteral("rausch")) s.noiseSuppression = static_cast<float>(v);
    if (field == QStringLiteral("aktime")) s.actualInterval = static_cast<std::int32_t>(v);
    if (field == QStringLiteral("pktime")) s.peakInterval = static_cast<std::int32_t>(v);
    if (field == QStringLiteral("avtime")) s.averageInterval = static_cast<std::int32_t>(v);
}

QString Caption(QObject* o) {
    if (auto* b = qobject_cast<QAbstractButton*>(o)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(o)) return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(o)) return g->title();
    return QStringLiteral("<no caption>");
}

}  // namespace

class TestControlBox : public QObject {
    Q_OBJECT
private slots:
    void captions_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        const char* rows[][2] = {
            {"lbcenterfreq", "Center Freq."},
            {"frscan", "Scanwidth"},
            {"scan0", "100 MHz"},
            {"scan7", "0.5 MHz"},
            {"scan10", "ZERO SCAN"},
            {"scan11", "0.05 MHz"},
            {"frbw", "Bandwidth"},
            {"opBW0", "9 kHz"},
            {"opBW1", "20 kHz"},
            {"opBW2", "120 kHz"},
            {"opBW3", "400 kHz"},
            {"chVideoFilter", "Video Filter"},
            {"frunit", "Unit"},
            {"Einheit0", "dB&pW"},
            {"Einheit1", "dB&m"},
            {"Einheit2", "dB&uV"},
            {"Einheit3", "User"},
            {"lbdämpf", "Attenuation"},
            {"lbrausch", "Noise suppression"},
            {"frcurves", "Signal curves"},
            {"ckaktuell", "Actual"},
            {"ckpeak", "Peak"},
            {"ckaverage", "Average"},
            {"frtransfer", "Transfer rate"},
            {"frlimits", "Boundaries"},
            {"cklimak", "Actual"},
            {"cklimpk", "Peak"},
            {"cklimav", "Average"},
            {"ckeichen", "Calibrate"},
        };
        for (const auto& r : rows) QTest::newRow(r[0]) << QString::fromUtf8(r[0]) << QString::fromUtf8(r[1]);
    }
    void captions() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        Rig r;
        QObject* o = r.box->findChild<QObject*>(name);
        QVERIFY2(o, qPrintable(name));
        QCOMPARE(Caption(o), caption);
    }

    void controls() {
        Rig r;
        QCOMPARE(r.box->objectName(), QStringLiteral("boxcon"));
        QCOMPARE(r.box->windowTitle(), QStringLiteral("Display setup"));
        const char* pairs[][2] = {{"centerfreq", "Spin3"}, {"dämpf", "Spin2"},   {"rausch", "Spin1"},
                                  {"aktime", "Spinak"},    {"pktime", "Spinpk"}, {"avtime", "Spinav"}};
        for (const auto& p : pairs) {
            QVERIFY2(r.edit(QString::fromUtf8(p[0])), p[0]);
            QVERIFY2(r.spin(QString::fromUtf8(p[1]), "up") && r.spin(QString::fromUtf8(p[1]), "down"), p[1]);
        }
        QCOMPARE(r.group("scan")->buttons().size(), 12);
        QCOMPARE(r.group("scan")->id(r.button(QStringLiteral("scan10"))), 10);
        QCOMPARE(r.group("opBW")->buttons().size(), 4);
        QCOMPARE(r.group("Einheit")->buttons().size(), 4);
    }

    void showsTheDefaults() {
        Rig r;
        QVERIFY(r.open());
        QCOMPARE(r.edit(QStringLiteral("centerfreq"))->text(), QStringLiteral("500"));
        QCOMPARE(r.edit(QString::fromUtf8("dämpf"))->text(), QStringLiteral("0"));
        QCOMPARE(r.edit(QStringLiteral("rausch"))->text(), QStringLiteral("0"));
        QCOMPARE(r.edit(QStringLiteral("aktime"))->text(), QStringLiteral("4"));
        QCOMPARE(r.edit(QStringLiteral("pktime"))->text(), QStringLiteral("60"));
        QCOMPARE(r.edit(QStringLiteral("avtime"))->text(), QStringLiteral("60"));
        QCOMPARE(r.group("scan")->checkedId(), 0);
        QCOMPARE(r.group("Einheit")->checkedId(), 1);
        QCOMPARE(r.group("opBW")->checkedId(), 3);
        QVERIFY(!r.button(QStringLiteral("chVideoFilter"))->isChecked());
        for (const char* on : {"ckaktuell", "ckpeak", "ckaverage"})
            QVERIFY(r.button(QString::fromUtf8(on))->isChecked());
        for (const char* off : {"cklimak", "cklimpk", "cklimav", "ckeichen"})
            QVERIFY(!r.button(QString::fromUtf8(off))->isChecked());
        QVERIFY(!r.model.redrawPending);
    }

    void repaintShowsChangesMadeElsewhere() {
        Rig r;
        QVERIFY(r.open());
        MeasurementSettings& s = r.model.settings;
        s.centerFreq = 123.25f;
        s.scanWidth = 0.2f;
        s.levelUnit = 3;
        s.userUnitName.set(QStringLiteral("  dBA"));
        s.bandwidthIndex = 0;
        s.videoFilterOn = 1;
        s.attenuation = -12.5f;
        s.noiseSuppression = 7;
        s.actualInterval = 5;
        s.showPeak = false;
        s.limitAverage = true;
        s.calibrationOn = true;
        r.box->repaint();
        QCOMPARE(r.edit(QStringLiteral("centerfreq"))->text(), QStringLiteral("123.25"));
        QCOMPARE(r.edit(QString::fromUtf8("dämpf"))->text(), QStringLiteral("-12.5"));
        QCOMPARE(r.edit(QStringLiteral("rausch"))->text(), QStringLiteral("7"));
        QCOMPARE(r.edit(QStringLiteral("aktime"))->text(), QStringLiteral("5"));
        QCOMPARE(r.group("scan")->checkedId(), 8);
        QCOMPARE(r.group("Einheit")->checkedId(), 3);
        QCOMPARE(r.button(QStringLiteral("Einheit3"))->text(), QStringLiteral("dBA"));
        QCOMPARE(r.group("opBW")->checkedId(), 0);
        QVERIFY(r.button(QStringLiteral("chVideoFilter"))->isChecked());
        QVERIFY(!r.button(QStringLiteral("ckpeak"))->isChecked());
        QVERIFY(r.button(QStringLiteral("cklimav"))->isChecked());
        QVERIFY(r.button(QStringLiteral("ckeichen"))->isChecked());
        // Showing values is no change of them.
        QVERIFY(!r.model.redrawPending);

        // A width that no option stands for leaves every option unselected.
        s.scanWidth = 3.0f;
        r.box->repaint();
        QCOMPARE(r.group("scan")->checkedId(), -1);
    }

    void typedValues_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("byEnter");
        QTest::addColumn<double>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("redraw");
        const QString cf = QStringLiteral("centerfreq");
        const QString att = QString::fromUtf8("dämpf");
        const QString noise = QStringLiteral("rausch");
        QTest::newRow("center 3500 enter") << cf << "3500" << true << 3000.0 << "3000" << true;
        QTest::newRow("center 3500 leave") << cf << "3500" << false << 3000.0 << "3000" << false;
        QTest::newRow("center -5 enter") << cf << "-5" << true << 0.0 << "0" << true;
        QTest::newRow("center -5 leave") << cf << "-5" << false << 0.0 << "0" << false;
        QTest::newRow("center leading number") << cf << "123.25MHz" << true << 123.25 << "123.25" << true;
        QTest::newRow("center no number") << cf << "MHz" << true << 0.0 << "0" << true;
        QTest::newRow("attenuation below") << att << "-100" << true << -80.0 << "-80" << true;
        QTest::newRow("attenuation above, leave") << att << "95" << false << 80.0 << "80" << true;
        QTest::newRow("attenuation fraction") << att << "-12.5" << true << -12.5 << "-12.5" << true;
        QTest::newRow("noise below, leave") << noise << "-3" << false << 0.0 << "0" << true;
        QTest::newRow("noise above") << noise << "81" << true << 80.0 << "80" << true;
        QTest::newRow("interval abc") << "aktime"
                                      << "abc" << true << 1.0 << "1" << false;
        QTest::newRow("interval half to even down") << "aktime"
                                                    << "2.5" << true << 2.0 << "2" << false;
        QTest::newRow("interval half to even up") << "pktime"
                                                  << "3.5" << true << 4.0 << "4" << false;
        QTest::newRow("interval zero") << "pktime"
                                       << "0" << false << 1.0 << "1" << false;
        QTest::newRow("interval above") << "avtime"
                                        << "40000" << false << 30000.0 << "30000" << false;
        QTest::newRow("interval with blanks") << "avtime"
                                              << " 1 2 s" << true << 12.0 << "12" << false;
    }
    void typedValues() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(bool, byEnter);
        QFETCH(double, stored);
        QFETCH(QString, shown);
        QFETCH(bool, redraw);
        Rig r;
        QVERIFY(r.open());
        QLineEdit* e = r.edit(field);
        r.type(e, typed);
        QCOMPARE(e->text(), typed);
        if (byEnter) {
            QTest::keyClick(e, Qt::Key_Return);
            QVERIFY(e->hasFocus());
        } else {
            QTest::keyClick(e, Qt::Key_Tab);
            QVERIFY(!e->hasFocus());
        }
        QCOMPARE(Stored(r.model.settings, field), stored);
        QCOMPARE(e->text(), shown);
        QCOMPARE(bool(r.model.redrawPending), redraw);
        QVERIFY(!r.host.keysPassedOn.contains(Qt::Key_Return));
    }

    void enterOnTheKeypadCounts() {
        Rig r;
        QVERIFY(r.open());
        QLineEdit* e = r.edit(QStringLiteral("rausch"));
        r.type(e, QStringLiteral("12"));
        QTest::keyClick(e, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(r.model.settings.noiseSuppression, 12.0f);
        QVERIFY(!r.host.keysPassedOn.contains(Qt::Key_Enter));
    }

    void otherKeysStillReachTheWindow() {
        // The control of the consumed Enter key: a key the field does not use travels on.
        Rig r;
        QVERIFY(r.open());
        QTest::keyClick(r.edit(QStringLiteral("rausch")), Qt::Key_F5);
        QVERIFY(r.host.keysPassedOn.contains(Qt::Key_F5));
    }

    void unconfirmedTextIsReplacedOnRepaint() {
        Rig r;
        QVERIFY(r.open());
        QLineEdit* e = r.edit(QStringLiteral("centerfreq"));
        r.type(e, QStringLiteral("1234"));
        // The field's own paints while typing leave the text alone.
        e->repaint();
        QApplication::processEvents();
        QCOMPARE(e->text(), QStringLiteral("1234"));
        r.box->repaint();
        QCOMPARE(e->text(), QStringLiteral("500"));
        QCOMPARE(r.model.settings.centerFreq, 500.0f);
        // Leaving the field afterwards takes the value shown, the stored one.
        QTest::keyClick(e, Qt::Key_Tab);
        QCOMPARE(r.model.settings.centerFreq, 500.0f);
    }

    void spinButtons_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("spin");
        QTest::addColumn<double>("start");
        QTest::addColumn<int>("steps");  // positive: up, negative: down
        QTest::addColumn<double>("stored");
        QTest::addColumn<bool>("redraw");
        const QString cf = QStringLiteral("centerfreq");
        QTest::newRow("center past the typed limit") << cf << "Spin3" << 3000.0 << 1 << 3001.0 << true;
        QTest::newRow("center spin limit") << cf << "Spin3" << 19999.0 << 3 << 20000.0 << true;
        QTest::newRow("center down at 0") << cf << "Spin3" << 0.0 << -1 << 0.0 << true;
        QTest::newRow("center down") << cf << "Spin3" << 500.0 << -2 << 498.0 << true;
        QTest::newRow("attenuation up at 80")
            << QString::fromUtf8("dämpf") << "Spin2" << 80.0 << 1 << 80.0 << true;
        QTest::newRow("attenuation down at -80")
            << QString::fromUtf8("dämpf") << "Spin2" << -80.0 << -1 << -80.0 << true;
        QTest::newRow("attenuation fraction")
            << QString::fromUtf8("dämpf") << "Spin2" << 2.5 << 1 << 3.5 << true;
        QTest::newRow("noise down at 0") << "rausch"
                                         << "Spin1" << 0.0 << -1 << 0.0 << true;
        QTest::newRow("noise up at 80") << "rausch"
                                        << "Spin1" << 80.0 << 1 << 80.0 << true;
        QTest::newRow("actual interval down at 1") << "aktime"
                                                   << "Spinak" << 1.0 << -1 << 1.0 << false;
        QTest::newRow("peak interval up at 30000") << "pktime"
                                                   << "Spinpk" << 30000.0 << 1 << 30000.0 << false;
        QTest::newRow("average interval up") << "avtime"
                                             << "Spinav" << 60.0 << 1 << 61.0 << false;
    }
    void spinButtons() {
        QFETCH(QString, field);
        QFETCH(QString, spin);
        QFETCH(double, start);
        QFETCH(int, steps);
        QFETCH(double, stored);
        QFETCH(bool, redraw);
        Rig r;
        QVERIFY(r.open());
        Store(r.model.settings, field, start);
        r.box->repaint();
        QToolButton* b = r.spin(spin, steps > 0 ? "up" : "down");
        for (int i = 0; i < std::abs(steps); ++i) QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(Stored(r.model.settings, field), stored);
        QCOMPARE(r.edit(field)->text(), QString::number(stored));
        QCOMPARE(bool(r.model.redrawPending), redraw);
    }

    void centerFrequencySpinsUpTo20000() {
        Rig r;
        QVERIFY(r.open());
        QLineEdit* e = r.edit(QStringLiteral("centerfreq"));
        r.type(e, QStringLiteral("3500"));
        QTest::keyClick(e, Qt::Key_Return);
        QCOMPARE(r.model.settings.centerFreq, 3000.0f);
        QToolButton* up = r.spin(QStringLiteral("Spin3"), "up");
        for (int i = 0; i < 17000; ++i) up->click();
        QCOMPARE(r.model.settings.centerFreq, 20000.0f);
        QCOMPARE(e->text(), QStringLiteral("20000"));
        up->click();
        QCOMPARE(r.model.settings.centerFreq, 20000.0f);
        // Confirming the field applies the typed range again.
        QTest::mouseClick(e, Qt::LeftButton);
        QTest::keyClick(e, Qt::Key_Return);
        QCOMPARE(r.model.settings.centerFreq, 3000.0f);
    }

    void spinTakesTypedTextFirst() {
        // The arrows take the focus when clicked, so the number in the field is taken before the step.
        Rig r;
        QVERIFY(r.open());
        QLineEdit* e = r.edit(QString::fromUtf8("dämpf"));
        r.type(e, QStringLiteral("10"));
        QTest::mouseClick(r.spin(QStringLiteral("Spin2"), "up"), Qt::LeftButton);
        QCOMPARE(r.model.settings.attenuation, 11.0f);
        QCOMPARE(e->text(), QStringLiteral("11"));
    }

    void passingThroughAFieldKeepsASpunValue() {
        Rig r;
        QVERIFY(r.open());
        QLineEdit* e = r.edit(QStringLiteral("centerfreq"));
        r.model.settings.centerFreq = 3000;
        r.box->repaint();
        QToolButton* up = r.spin(QStringLiteral("Spin3"), "up");
        for (int i = 0; i < 5; ++i) QTest::mouseClick(up, Qt::LeftButton);
        QCOMPARE(e->text(), QStringLiteral("3005"));
        r.model.redrawPending = false;
        QTest::mouseClick(e, Qt::LeftButton);
        QTest::keyClick(e, Qt::Key_Tab);
        QVERIFY(!e->hasFocus());
        QCOMPARE(r.model.settings.centerFreq, 3005.0f);
        QVERIFY(!r.model.redrawPending);
        // Once the user types, leaving takes the text.
        r.type(e, QStringLiteral("3005"));
        QTest::keyClick(e, Qt::Key_Tab);
        QCOMPARE(r.model.settings.centerFreq, 3000.0f);
    }

    void optionsAndBoxes_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("field");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("redraw");
        QTest::newRow("scan 50") << "scan1"
                                 << "scanWidth" << 50.0 << true;
        QTest::newRow("scan 0.1") << "scan9"
                                  << "scanWidth" << double(0.1f) << true;
        QTest::newRow("zero scan") << "scan10"
                                   << "scanWidth" << 0.0 << true;
        QTest::newRow("scan 0.05") << "scan11"
                                   << "scanWidth" << double(0.05f) << true;
        QTest::newRow("unit dBpW") << "Einheit0"
                                   << "levelUnit" << 0.0 << true;
        QTest::newRow("user unit") << "Einheit3"
                                   << "levelUnit" << 3.0 << true;
        QTest::newRow("bandwidth 9 kHz") << "opBW0"
                                         << "bandwidthIndex" << 0.0 << false;
        QTest::newRow("bandwidth 120 kHz") << "opBW2"
                                           << "bandwidthIndex" << 2.0 << false;
        QTest::newRow("video filter") << "chVideoFilter"
                                      << "videoFilterOn" << 1.0 << false;
        QTest::newRow("actual off") << "ckaktuell"
                                    << "showActual" << 0.0 << true;
        QTest::newRow("peak off") << "ckpeak"
                                  << "showPeak" << 0.0 << true;
        QTest::newRow("average off") << "ckaverage"
                                     << "showAverage" << 0.0 << true;
        QTest::newRow("limit actual") << "cklimak"
                                      << "limitActual" << -1.0 << true;
        QTest::newRow("limit peak") << "cklimpk"
                                    << "limitPeak" << -1.0 << true;
        QTest::newRow("limit average") << "cklimav"
                                       << "limitAverage" << -1.0 << true;
        QTest::newRow("calibrate") << "ckeichen"
                                   << "calibrationOn" << -1.0 << false;
    }
    void optionsAndBoxes() {
        QFETCH(QString, control);
        QFETCH(QString, field);
        QFETCH(double, value);
        QFETCH(bool, redraw);
        Rig r;
        QVERIFY(r.open());
        r.click(control);
        const MeasurementSettings& s = r.model.settings;
        const QHash<QString, double> now{
            {"scanWidth", s.scanWidth},
            {"levelUnit", s.levelUnit},
            {"bandwidthIndex", s.bandwidthIndex},
            {"videoFilterOn", s.videoFilterOn},
            {"showActual", s.showActual.raw()},
            {"showPeak", s.showPeak.raw()},
            {"showAverage", s.showAverage.raw()},
            {"limitActual", s.limitActual.raw()},
            {"limitPeak", s.limitPeak.raw()},
            {"limitAverage", s.limitAverage.raw()},
            {"calibrationOn", s.calibrationOn.raw()},
        };
        QCOMPARE(now.value(field), value);
        QCOMPARE(bool(r.model.redrawPending), redraw);
    }

    void zeroScanPutsEveryPointAtTheCenter() {
        Rig r;
        QVERIFY(r.open());
        r.click(QStringLiteral("scan10"));
        QCOMPARE(r.model.settings.scanWidth, 0.0f);
        QVERIFY(r.button(QStringLiteral("scan10"))->isChecked());
        for (int i : {0, 250, 500}) QCOMPARE(FrequencyOfPoint(r.model.settings, i), 500.0f);
        // The option stays chosen when the window shows the model again.
        r.box->repaint();
        QCOMPARE(r.group("scan")->checkedId(), 10);
    }
};

QTEST_MAIN(TestControlBox)
#include "tst_controlbox.moc"
