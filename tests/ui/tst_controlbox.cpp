#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>

#include "ControlBox.h"
#include "FileBytes.h"
#include "LinkRig.h"
#include "MeasurementModel.h"
#include "Rows.h"
#include "SerialSetup.h"

using namespace tk;
using namespace tk::test;

namespace {

const QString kCenter = QStringLiteral("centerfreq");

// Shows the window and makes it the active one, so focus moves as it does for a user.
bool Activate(QWidget& w) {
    w.show();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

struct Rig {
    MeasurementModel model;
    QWidget host;
    ControlBox* box = new ControlBox(model, &host);

    Rig() { (new QVBoxLayout(&host))->addWidget(box); }
    bool open() { return Activate(host); }
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

// Puts `w` into a work area beside another window, lets `change` alter the model while the other one is
// active, and activates the frame of `w` again.
QMdiSubWindow* ActivateAgain(QMdiArea& area, QWidget* w, const std::function<void()>& change) {
    QMdiSubWindow* frame = area.addSubWindow(w);
    QMdiSubWindow* other = area.addSubWindow(new QWidget);
    area.show();
    frame->show();
    other->show();
    area.setActiveSubWindow(other);
    change();
    area.setActiveSubWindow(frame);
    return frame;
}

using Message = ScriptedDialogs::Message;
using Ints = QList<int>;
const char* const kGroups[] = {"com", "baud", "res"};  // port, rate and resolution

struct SetupRig : LinkRig {
    QTemporaryDir dir;
    std::unique_ptr<SerialSetup> window;

    QString mapPath() const { return dir.filePath(QString::fromLatin1(PORT_MAP_FILE_NAME)); }
    // Creates and shows the window, as the menu entry does.
    bool open(const QString& path = {}) {
        window = std::make_unique<SerialSetup>(link, portMap, path.isEmpty() ? mapPath() : path);
        return Activate(*window);
    }
    QAbstractButton* button(const QString& name) const { return window->findChild<QAbstractButton*>(name); }
    QComboBox* device() const { return window->findChild<QComboBox*>(QStringLiteral("device")); }
    // Port, rate and resolution: as selected in the window, and as stored in the model.
    Ints shown() const {
        Ints ids;
        for (const char* g : kGroups)
            ids << window->findChild<QButtonGroup*>(QString::fromLatin1(g))->checkedId();
        return ids;
    }
    Ints stored() const {
        return {model.settings.portNumber, model.settings.baudIndex, model.settings.resolution};
    }
    // Options are clicked on their indicator, push buttons anywhere.
    void click(const QString& name) const {
        QAbstractButton* b = button(name);
        QVERIFY2(b, qPrintable(name));
        const QPoint at = qobject_cast<QRadioButton*>(b) ? QPoint(7, b->height() / 2) : b->rect().center();
        QTest::mouseClick(b, Qt::LeftButton, {}, at);
    }
    // Replaces the device of the selected port by typing; returns the field.
    QLineEdit* typeDevice(const QString& text) const {
        Rig::type(device()->lineEdit(), text);
        return device()->lineEdit();
    }
    void choose(const Ints& c) const {
        for (int i = 0; i < 3; ++i) click(QString::fromLatin1(kGroups[i]) + QString::number(c[i]));
    }
};

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
        ActivateAgain(area, box, [&] { model.settings.centerFreq = 777.5f; });
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
        QTEST(bool(r.model.redrawPending), "redraw");
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

    // The serial interface's setup window.
    void buttons_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<Ints>("choice");  // port, rate and resolution clicked
        QTest::addColumn<Ints>("stored");
        QTest::addColumn<QString>("settings");  // of the line, when connected
        QTest::addColumn<QByteArray>("written");
        Row("&Cancel", QString("cbcancel"), Ints{3, 4, 2}, Ints{2, 1, 8}, QString(), QByteArray());
        // "&OK": rate switch, version, online, then resolution, online, calculating.
        Row("&OK", QString("cbok"), Ints{3, 3, 4}, Ints{3, 3, 4}, QString("19200,N,8,1"),
            QByteArray("i3bvbobebobr"));
        // "&Init ser. I/F": the interface already runs at the rate; version, online and the resolution.
        Row("&Init ser. I/F", QString("cbinitport"), Ints{1, 4, 1}, Ints{1, 4, 1}, QString("38400,N,8,1"),
            QByteArray("bvbobc"));
    }
    void buttons() {
        QFETCH(QString, button);
        QFETCH(Ints, choice);
        QFETCH(Ints, stored);
        QFETCH(QString, settings);
        SetupRig r;
        r.port.responder = GoodInterface;
        r.model.moduleSleeping = true;
        ParameterFields& p = r.model.parameters;
        p.replyTimeout = p.settleDelay = 0;
        p.traceTimeout = 7;  // left alone; 0 would become 20
        QVERIFY(r.open());
        // Zero timing values are repaired on opening.
        QCOMPARE((Ints{p.replyTimeout, p.traceTimeout, p.settleDelay}), (Ints{1, 7, 2}));
        r.choose(choice);
        // A clicked option's own paint keeps the click.
        QAbstractButton* rate = r.button(QStringLiteral("baud%1").arg(choice[1]));
        rate->repaint();
        QCOMPARE(r.shown(), choice);
        r.click(button);
        QVERIFY(!r.window->isVisible());
        QCOMPARE(r.stored(), stored);
        QTEST(r.port.written, "written");
        const bool connects = !settings.isEmpty();
        QCOMPARE(r.port.openedDevices,
                 connects ? QStringList{PortMap::defaultDevice(choice[0])} : QStringList());
        QCOMPARE(r.port.isOpen() && r.view.online && !r.model.moduleSleeping, connects);
        QCOMPARE(connects ? r.port.lineSettings() : QString(), settings);
        if (connects)
            QVERIFY(settings.startsWith(rate->text() + QLatin1Char(',')));  // the rate shown is the rate used
        QVERIFY(r.dialogs.messages.isEmpty() && !QApplication::overrideCursor());
        // Opened again, the window shows the model's choice.
        r.window->show();
        QCOMPARE(r.shown(), stored);
    }

    // The window shows what the search tries, then the found choice (also repainted) or, after a fruitless
    // search, the model's; the model waits for "&OK", which takes what is shown and connects.
    void autoConfigShowsTheFoundChoiceUntilOk_data() {
        QTest::addColumn<bool>("present");  // the interface, on COM2 at 19200 baud
        QTest::addColumn<QString>("lastTried");
        QTest::addColumn<Ints>("shown");
        QTest::newRow("found") << true << "Trying COM2 at 19200 baud ..." << Ints{2, 3, 8};
        QTest::newRow("not found") << false << "Trying COM4 at 115200 baud ..." << Ints{2, 1, 8};
    }
    void autoConfigShowsTheFoundChoiceUntilOk() {
        QFETCH(bool, present);
        QFETCH(Ints, shown);
        SetupRig r;
        QVERIFY(r.open());
        auto* label = r.window->findChild<QLabel*>(QStringLiteral("lbprogress"));
        QVERIFY(label);
        QString progress;  // what the window showed at the last question
        r.port.responder = [&](char c, int) -> QByteArray {
            if (c == 'i') progress = label->text();
            const bool there = present && r.port.openedDevices.last() == QStringLiteral("/dev/ttyS1") &&
                               r.port.lineSettings().startsWith(QStringLiteral("19200,"));
            return there ? GoodInterface(c, 0) : QByteArray();
        };
        r.click(QStringLiteral("cbautoconfig"));
        QTEST(progress, "lastTried");
        QVERIFY(!QApplication::overrideCursor() && label->text().isEmpty());
        QVERIFY(r.window->isVisible());
        r.window->repaint();
        QCOMPARE(r.shown(), shown);
        QCOMPARE(r.stored(), (Ints{2, 1, 8}));
        r.port.responder = GoodInterface;
        r.click(QStringLiteral("cbok"));
        QCOMPARE(r.stored(), shown);
        QVERIFY(r.port.isOpen());
    }

    // In the work area: activated again, the window shows what changed in the model meanwhile; "&Cancel"
    // closes its frame.
    void inTheWorkArea() {
        SetupRig r;
        QMdiArea area;
        auto* w = new SerialSetup(r.link, r.portMap, r.mapPath());
        QPointer<QMdiSubWindow> frame = ActivateAgain(area, w, [&] {
            r.model.settings.portNumber = 3;
            r.model.settings.resolution = 2;
        });
        frame->setAttribute(Qt::WA_DeleteOnClose);
        QCOMPARE(w->findChild<QButtonGroup*>(QStringLiteral("com"))->checkedId(), 3);
        QCOMPARE(w->findChild<QButtonGroup*>(QStringLiteral("res"))->checkedId(), 2);
        QTest::mouseClick(w->findChild<QAbstractButton*>(QStringLiteral("cbcancel")), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(frame.isNull());
    }

    void deviceChoiceIsStoredAndSaved_data() {
        QTest::addColumn<bool>("byEnter");
        QTest::addColumn<bool>("saveable");
        QTest::newRow("by Enter") << true << true;
        QTest::newRow("on leaving the field") << false << true;
        QTest::newRow("file cannot be written") << true << false;
    }
    void deviceChoiceIsStoredAndSaved() {
        QFETCH(bool, byEnter);
        QFETCH(bool, saveable);
        SetupRig r;
        QVERIFY(WriteBytes(r.mapPath(), "COM1=/dev/ttyUSB0\n"));
        r.portMap.load(r.mapPath());
        r.portMap.set(4, QStringLiteral("emulator"));  // for this run only
        QVERIFY(r.open(saveable ? r.mapPath() : r.dir.filePath(QStringLiteral("missing/map"))));
        QCOMPARE(r.button(QStringLiteral("com4"))->text(), QStringLiteral("COM4 (emulator)"));
        r.click(QStringLiteral("com3"));
        QCOMPARE(r.device()->currentText(), QStringLiteral("/dev/ttyS2"));
        QLineEdit* edit = r.typeDevice(QStringLiteral("/dev/ttyUSB7"));
        if (byEnter)
            QTest::keyClick(edit, Qt::Key_Return);
        else
            r.click(QStringLiteral("baud2"));  // the focus leaves the field
        QCOMPARE(r.portMap.deviceFor(3), QStringLiteral("/dev/ttyUSB7"));
        QCOMPARE(r.button(QStringLiteral("com3"))->text(), QStringLiteral("COM3 (/dev/ttyUSB7)"));
        QCOMPARE(r.model.settings.portNumber, std::int16_t(2));
        QCOMPARE(FileBytes(r.mapPath()),
                 QByteArray("COM1=/dev/ttyUSB0\n") + (saveable ? "COM3=/dev/ttyUSB7\n" : ""));
        const Message fileError{QStringLiteral("File error"), QStringLiteral("File handling")};
        QCOMPARE(r.dialogs.messages, saveable ? QList<Message>() : QList<Message>{fileError});
        // Each port option shows its own device; "&OK" opens the one chosen.
        r.click(QStringLiteral("com1"));
        QCOMPARE(r.device()->currentText(), QStringLiteral("/dev/ttyUSB0"));
        r.click(QStringLiteral("com3"));
        r.port.responder = GoodInterface;
        r.click(QStringLiteral("cbok"));
        QCOMPARE(r.port.openedDevices, QStringList{QStringLiteral("/dev/ttyUSB7")});
    }

    void deviceLineNamesDeniedAccess() {
        SetupRig r;
        r.port.deniedDevices = QStringList{QStringLiteral("/dev/ttyS0")};
        QVERIFY(r.open());
        auto* access = r.window->findChild<QLabel*>(QStringLiteral("lbdeviceaccess"));
        QVERIFY(access && access->isHidden());  // COM2, /dev/ttyS1, is open to the user
        r.click(QStringLiteral("com1"));
        QVERIFY(access->isVisible());
        QVERIFY(access->text().startsWith(QStringLiteral("Access to /dev/ttyS0 denied")));
        // Another device for the port: the line no longer says so.
        QTest::keyClick(r.typeDevice(QStringLiteral("/dev/ttyUSB0")), Qt::Key_Return);
        QVERIFY(access->isHidden());
    }
};

QTEST_MAIN(TestControlBox)
#include "tst_controlbox.moc"
