#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "FileBytes.h"
#include "LinkRig.h"
#include "Rows.h"
#include "SerialSetup.h"

using namespace tk;
using namespace tk::test;

namespace {

using Message = ScriptedDialogs::Message;
using Ints = QList<int>;
const char* const kGroups[] = {"com", "baud", "res"};  // port, rate and resolution

struct Rig : LinkRig {
    QTemporaryDir dir;
    std::unique_ptr<SerialSetup> window;

    QString mapPath() const { return dir.filePath(QString::fromLatin1(PORT_MAP_FILE_NAME)); }
    // Creates and shows the window, as the menu entry does.
    bool open(const QString& path = {}) {
        window = std::make_unique<SerialSetup>(link, portMap, path.isEmpty() ? mapPath() : path);
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
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
        QLineEdit* edit = device()->lineEdit();
        QTest::mouseClick(edit, Qt::LeftButton);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, text);
        return edit;
    }
    void choose(const Ints& c) const {
        for (int i = 0; i < 3; ++i) click(QString::fromLatin1(kGroups[i]) + QString::number(c[i]));
    }
};

}  // namespace

class TestSerialSetup : public QObject {
    Q_OBJECT
private slots:
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
        QFETCH(QByteArray, written);
        Rig r;
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
        QCOMPARE(r.port.written, written);
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
        Rig r;
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
        Rig r;
        QMdiArea area;
        auto* w = new SerialSetup(r.link, r.portMap, r.mapPath());
        QPointer<QMdiSubWindow> frame = area.addSubWindow(w);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        QMdiSubWindow* other = area.addSubWindow(new QWidget);
        area.show();
        frame->show();
        other->show();
        area.setActiveSubWindow(other);
        r.model.settings.portNumber = 3;
        r.model.settings.resolution = 2;
        area.setActiveSubWindow(frame);
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
        Rig r;
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
        Rig r;
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

QTEST_MAIN(TestSerialSetup)
#include "tst_serialsetup.moc"
