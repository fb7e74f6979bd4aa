#include "AnalyzerLink.h"
#include "FakeClock.h"
#include "RecordingLinkView.h"
#include "ScriptedDialogs.h"
#include "ScriptedPort.h"
#include "SerialSetup.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace tk;
using namespace tk::test;

namespace {

using Message = ScriptedDialogs::Message;

// A well-behaved interface: "b" commands echo upper case, "i" gives "I", digits echo, "v" gives a block.
QByteArray GoodInterface(char c, int) {
    if (c == 'i') return "I";
    if (c >= '1' && c <= '5') return QByteArray(1, c);
    if (c == 'v') return QByteArray(20, '.') + "V3.10" + QByteArray(75, '.');
    if (c >= 'a' && c <= 'z') return QByteArray(1, static_cast<char>(c - 32));
    return {};
}

struct Rig {
    QTemporaryDir dir;
    FakeClock clock;
    ScriptedPort port{clock};
    ScriptedDialogs dialogs;
    RecordingLinkView view;
    PortMap portMap;
    MeasurementModel model;
    AnalyzerLink link{model, port, clock, dialogs, view, portMap};
    std::unique_ptr<SerialSetup> window;

    QString mapPath() const { return dir.filePath(QString::fromLatin1(PORT_MAP_FILE_NAME)); }
    // Creates and shows the window, as the menu entry does.
    bool open(const QString& path = QString()) {
        window = std::make_unique<SerialSetup>(link, portMap, path.isEmpty() ? mapPath() : path);
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }
    QAbstractButton* button(const QString& name) const { return window->findChild<QAbstractButton*>(name); }
    QButtonGroup* group(const char* name) const {
        return window->findChild<QButtonGroup*>(QString::fromLatin1(name));
    }
    QComboBox* device() const { return window->findChild<QComboBox*>(QStringLiteral("device")); }
    void click(const QString& name) const {
        QAbstractButton* b = button(name);
        QVERIFY2(b, qPrintable(name));
        // Options are clicked on their indicator; push buttons anywhere.
        const QPoint at = qobject_cast<QRadioButton*>(b) ? QPoint(7, b->height() / 2) : b->rect().center();
        QTest::mouseClick(b, Qt::LeftButton, {}, at);
    }
    void choose(const char* com, const char* baud, const char* res) const {
        click(QString::fromLatin1(com));
        click(QString::fromLatin1(baud));
        click(QString::fromLatin1(res));
    }
    QString caption(const char* name) const {
        QObject* o = window->findChild<QObject*>(QString::fromLatin1(name));
        if (auto* b = qobject_cast<QAbstractButton*>(o)) return b->text();
        if (auto* l = qobject_cast<QLabel*>(o)) return l->text();
        return QStringLiteral("<missing>");
    }
};

}  // namespace

class TestSerialSetup : public QObject {
    Q_OBJECT
private slots:
    void captions_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        const char* rows[][2] = {
            {"lbport", "Ser. I/F:"},
            {"lbbaud", "Baud:"},
            {"lbres", "Resolution"},
            {"cbok", "&OK"},
            {"cbinitport", "&Init ser. I/F"},
            {"cbautoconfig", "&Auto config"},
            {"cbcancel", "&Cancel"},
            {"com1", "COM1 (/dev/ttyS0)"},
            {"com4", "COM4 (/dev/ttyS3)"},
            {"baud1", "2400"},
            {"baud2", "9600"},
            {"baud3", "19200"},
            {"baud4", "38400"},
            {"baud5", "115200"},
            {"res8", "500 points"},
            {"res4", "1000 points"},
            {"res2", "2000 points"},
            {"res1", "4000 points"},
        };
        for (const auto& r : rows)
            QTest::newRow(r[0]) << QString::fromLatin1(r[0]) << QString::fromLatin1(r[1]);
    }
    void captions() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        Rig r;
        QVERIFY(r.open());
        QCOMPARE(r.caption(qPrintable(name)), caption);
    }

    void windowAndGroups() {
        Rig r;
        QVERIFY(r.open());
        SerialSetup& w = *r.window;
        QCOMPARE(w.objectName(), QStringLiteral("boxcomcon"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Serial communication Setup"));
        const struct {
            const char* group;
            QList<int> ids;
            const char* prefix;
        } groups[] = {
            {"com", {1, 2, 3, 4}, "com"}, {"baud", {1, 2, 3, 4, 5}, "baud"}, {"res", {8, 4, 2, 1}, "res"}};
        for (const auto& g : groups) {
            QButtonGroup* bg = r.group(g.group);
            QVERIFY2(bg, g.group);
            QCOMPARE(bg->buttons().size(), g.ids.size());
            for (int id : g.ids)
                QCOMPARE(bg->button(id)->objectName(), QStringLiteral("%1%2").arg(g.prefix).arg(id));
        }
    }

    void showsTheModelsChoice() {
        Rig r;
        r.model.settings.portNumber = 3;
        r.model.settings.baudIndex = 4;
        r.model.settings.resolution = 2;
        QVERIFY(r.open());
        QCOMPARE(r.group("com")->checkedId(), 3);
        QCOMPARE(r.group("baud")->checkedId(), 4);
        QCOMPARE(r.group("res")->checkedId(), 2);
        QCOMPARE(r.device()->currentText(), QStringLiteral("/dev/ttyS2"));
    }

    void clickingAnOptionSurvivesItsOwnPaint() {
        Rig r;
        QVERIFY(r.open());
        r.click(QStringLiteral("baud3"));
        r.button(QStringLiteral("baud3"))->repaint();
        QApplication::processEvents();
        QCOMPARE(r.group("baud")->checkedId(), 3);
        // A repaint of the whole window shows the model again.
        r.window->repaint();
        QCOMPARE(r.group("baud")->checkedId(), 1);
    }

    void cancelChangesNothing() {
        Rig r;
        QVERIFY(r.open());
        r.choose("com3", "baud4", "res2");
        QCOMPARE(r.group("com")->checkedId(), 3);
        r.click(QStringLiteral("cbcancel"));
        QVERIFY(!r.window->isVisible());
        QCOMPARE(r.model.settings.portNumber, std::int16_t(2));
        QCOMPARE(r.model.settings.baudIndex, std::int16_t(1));
        QCOMPARE(r.model.settings.resolution, std::int16_t(8));
        QVERIFY(r.port.openedDevices.isEmpty());
        QVERIFY(r.port.written.isEmpty());
        QVERIFY(r.dialogs.messages.isEmpty());
        // Opened again, the window shows the old selection.
        r.window->show();
        QCOMPARE(r.group("com")->checkedId(), 2);
        QCOMPARE(r.group("baud")->checkedId(), 1);
        QCOMPARE(r.group("res")->checkedId(), 8);
        QVERIFY(r.open());
        QCOMPARE(r.group("com")->checkedId(), 2);
        QCOMPARE(r.group("baud")->checkedId(), 1);
        QCOMPARE(r.group("res")->checkedId(), 8);
    }

    void okCopiesTheChoiceAndConnects() {
        Rig r;
        r.port.responder = GoodInterface;
        QVERIFY(r.open());
        r.choose("com3", "baud3", "res4");
        r.click(QStringLiteral("cbok"));
        QVERIFY(!r.window->isVisible());
        QCOMPARE(r.model.settings.portNumber, std::int16_t(3));
        QCOMPARE(r.model.settings.baudIndex, std::int16_t(3));
        QCOMPARE(r.model.settings.resolution, std::int16_t(4));
        QCOMPARE(r.port.openedDevices, QStringList{QStringLiteral("/dev/ttyS2")});
        // Baud switch, version, online, then the connection: resolution 4, online, calculating.
        QCOMPARE(r.port.written, QByteArray("i3bvbobebobr"));
        QCOMPARE(r.port.lineSettings(), QStringLiteral("19200,N,8,1"));
        QVERIFY(r.port.isOpen());
        QVERIFY(r.view.online);
        QVERIFY(r.dialogs.messages.isEmpty());
        QVERIFY(!QApplication::overrideCursor());
    }

    void okWithoutAnInterface() {
        Rig r;
        QVERIFY(r.open());
        r.click(QStringLiteral("cbok"));
        QCOMPARE(r.dialogs.messages.last(),
                 (Message{QStringLiteral("No access to analyzer"), QStringLiteral("Configuration")}));
        QVERIFY(!r.port.isOpen());
        QVERIFY(!r.view.online);
    }

    void initPortSendsNoBaudCommand() {
        Rig r;
        r.port.responder = GoodInterface;
        r.model.moduleSleeping = true;
        QVERIFY(r.open());
        r.choose("com1", "baud4", "res1");
        r.click(QStringLiteral("cbinitport"));
        QVERIFY(!r.window->isVisible());
        QCOMPARE(r.model.settings.portNumber, std::int16_t(1));
        QCOMPARE(r.model.settings.baudIndex, std::int16_t(4));
        QCOMPARE(r.model.settings.resolution, std::int16_t(1));
        QCOMPARE(r.port.openedDevices, QStringList{QStringLiteral("/dev/ttyS0")});
        QCOMPARE(r.port.lineSettings(), QStringLiteral("38400,N,8,1"));
        // Version, then online; the interface's rate and resolution are left as they are.
        QCOMPARE(r.port.written, QByteArray("bvbo"));
        QVERIFY(!r.model.moduleSleeping);
        QVERIFY(!r.view.sleeping);
        QVERIFY(r.view.online);
        QCOMPARE(r.view.caption, QStringLiteral("TK820-2E V2-68     Interface: V3.10"));
    }

    void initPortWhenThePortCannotOpen() {
        Rig r;
        r.port.openFails = true;
        r.model.moduleSleeping = true;
        QVERIFY(r.open());
        r.click(QStringLiteral("cbinitport"));
        QCOMPARE(
            r.dialogs.messages,
            (QList<Message>{{QStringLiteral("No access to analyzer"), QStringLiteral("Configuration")}}));
        QVERIFY(r.port.written.isEmpty());
        QVERIFY(!r.view.online);
        QVERIFY(r.model.moduleSleeping);
    }

    void timingValuesRepairedOnOpening_data() {
        QTest::addColumn<int>("reply");
        QTest::addColumn<int>("trace");
        QTest::addColumn<int>("settle");
        QTest::addColumn<int>("replyAfter");
        QTest::addColumn<int>("traceAfter");
        QTest::addColumn<int>("settleAfter");
        QTest::newRow("all zero") << 0 << 0 << 0 << 1 << 20 << 2;
        QTest::newRow("only the trace timeout") << 3 << 0 << 5 << 3 << 20 << 5;
        QTest::newRow("none zero") << 2 << 7 << 1 << 2 << 7 << 1;
    }
    void timingValuesRepairedOnOpening() {
        QFETCH(int, reply);
        QFETCH(int, trace);
        QFETCH(int, settle);
        QFETCH(int, replyAfter);
        QFETCH(int, traceAfter);
        QFETCH(int, settleAfter);
        Rig r;
        r.model.parameters.replyTimeout = static_cast<std::uint8_t>(reply);
        r.model.parameters.traceTimeout = static_cast<std::uint8_t>(trace);
        r.model.parameters.settleDelay = static_cast<std::uint8_t>(settle);
        QVERIFY(r.open());
        QCOMPARE(int(r.model.parameters.replyTimeout), replyAfter);
        QCOMPARE(int(r.model.parameters.traceTimeout), traceAfter);
        QCOMPARE(int(r.model.parameters.settleDelay), settleAfter);
    }

    void autoConfigFindsTheInterfaceAndOkConfirmsIt() {
        Rig r;
        QStringList progress;
        QList<Qt::CursorShape> cursors;
        int ticksDuringSearch = -1;
        QTimer tick;
        int ticks = 0;
        connect(&tick, &QTimer::timeout, [&ticks] { ++ticks; });
        QVERIFY(r.open());
        QLabel* label = r.window->findChild<QLabel*>(QStringLiteral("lbprogress"));
        QVERIFY(label);
        // The interface sits on COM2 at 19200 baud and answers nothing at any other rate.
        bool tickedDuringSearch = false;
        r.port.responder = [&](char c, int) -> QByteArray {
            if (r.port.openedDevices.isEmpty()) return {};
            if (c == 'i') {
                if (progress.isEmpty() || progress.last() != label->text()) progress.append(label->text());
                cursors.append(QApplication::overrideCursor() ? QApplication::overrideCursor()->shape()
                                                              : Qt::ArrowCursor);
                if (ticksDuringSearch < 0) ticksDuringSearch = ticks;
                if (ticks != ticksDuringSearch) tickedDuringSearch = true;
            }
            const bool there = r.port.openedDevices.last() == QStringLiteral("/dev/ttyS1") &&
                               r.port.lineSettings().startsWith(QStringLiteral("19200,"));
            return there ? GoodInterface(c, 0) : QByteArray();
        };
        tick.start(0);
        r.click(QStringLiteral("cbautoconfig"));
        tick.stop();

        QCOMPARE(r.dialogs.messages,
                 (QList<Message>{{QStringLiteral("Analyzer connected Com:  2 Baud: 19200"),
                                  QStringLiteral("Auto config")}}));
        QCOMPARE(progress, (QStringList{"Trying COM1 at 2400 baud ...", "Trying COM1 at 9600 baud ...",
                                        "Trying COM1 at 19200 baud ...", "Trying COM1 at 38400 baud ...",
                                        "Trying COM1 at 115200 baud ...", "Trying COM2 at 2400 baud ...",
                                        "Trying COM2 at 9600 baud ...", "Trying COM2 at 19200 baud ..."}));
        // Busy throughout, and nothing else ran while the search held the window.
        QVERIFY(!cursors.isEmpty());
        for (Qt::CursorShape c : cursors) QCOMPARE(c, Qt::WaitCursor);
        QCOMPARE(ticksDuringSearch, 0);
        QVERIFY(!tickedDuringSearch);
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(label->text().isEmpty());

        // The window stays open with the found choice; the model and the port are left as they were.
        QVERIFY(r.window->isVisible());
        QCOMPARE(r.group("com")->checkedId(), 2);
        QCOMPARE(r.group("baud")->checkedId(), 3);
        QCOMPARE(r.model.settings.baudIndex, std::int16_t(1));
        QVERIFY(!r.port.isOpen());
        r.window->repaint();
        QCOMPARE(r.group("baud")->checkedId(), 3);

        // "&OK" switches the interface at the rate it was found at.
        const qsizetype before = r.port.written.size();
        r.click(QStringLiteral("cbok"));
        QCOMPARE(r.model.settings.portNumber, std::int16_t(2));
        QCOMPARE(r.model.settings.baudIndex, std::int16_t(3));
        QCOMPARE(r.port.written.mid(before), QByteArray("i3bvbobfbobr"));
        QCOMPARE(r.dialogs.messages.size(), 1);
        QVERIFY(r.port.isOpen());
    }

    void autoConfigFindsNothing() {
        Rig r;
        r.view.information = QStringLiteral("Searching");
        QVERIFY(r.open());
        r.click(QStringLiteral("cbautoconfig"));
        QCOMPARE(r.dialogs.messages,
                 (QList<Message>{{QStringLiteral("No access to analyzer"), QStringLiteral("Auto config")}}));
        QCOMPARE(r.port.openedDevices, (QStringList{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"}));
        // The last port tried is no longer selected; the window stays open.
        QCOMPARE(r.group("com")->checkedId(), -1);
        QVERIFY(!r.device()->isEnabled());
        QVERIFY(r.window->isVisible());
        QVERIFY(r.view.information.isEmpty());
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(r.model.settings.portNumber, std::int16_t(2));
        QCOMPARE(r.model.settings.baudIndex, std::int16_t(1));
        // With no port selected, "&OK" keeps the port number.
        r.port.responder = GoodInterface;
        r.click(QStringLiteral("cbok"));
        QCOMPARE(r.model.settings.portNumber, std::int16_t(2));
    }

    void deviceOfTheSelectedPortIsStored() {
        Rig r;
        QVERIFY(r.open());
        r.click(QStringLiteral("com3"));
        QComboBox* combo = r.device();
        QCOMPARE(combo->currentText(), QStringLiteral("/dev/ttyS2"));
        QLineEdit* edit = combo->lineEdit();
        QTest::mouseClick(edit, Qt::LeftButton);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, QStringLiteral("/dev/ttyUSB7"));
        QTest::keyClick(edit, Qt::Key_Return);

        QCOMPARE(r.portMap.deviceFor(3), QStringLiteral("/dev/ttyUSB7"));
        QCOMPARE(r.caption("com3"), QStringLiteral("COM3 (/dev/ttyUSB7)"));
        QFile file(r.mapPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("COM3=/dev/ttyUSB7\n"));
        QVERIFY(r.dialogs.messages.isEmpty());
        // The other ports keep their devices, and the choice is not a choice of port.
        QCOMPARE(r.portMap.deviceFor(2), QStringLiteral("/dev/ttyS1"));
        QCOMPARE(r.model.settings.portNumber, std::int16_t(2));

        // Selecting another port shows its device; the link opens the stored one.
        r.click(QStringLiteral("com1"));
        QCOMPARE(combo->currentText(), QStringLiteral("/dev/ttyS0"));
        r.click(QStringLiteral("com3"));
        QCOMPARE(combo->currentText(), QStringLiteral("/dev/ttyUSB7"));
        r.port.responder = GoodInterface;
        r.click(QStringLiteral("cbok"));
        QCOMPARE(r.port.openedDevices, QStringList{QStringLiteral("/dev/ttyUSB7")});
    }

    void deviceTakenWhenLeavingTheField() {
        Rig r;
        QVERIFY(r.open());
        QLineEdit* edit = r.device()->lineEdit();
        QTest::mouseClick(edit, Qt::LeftButton);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, QStringLiteral("/dev/ttyACM0"));
        r.click(QStringLiteral("baud2"));
        QCOMPARE(r.portMap.deviceFor(2), QStringLiteral("/dev/ttyACM0"));
        PortMap reloaded;
        reloaded.load(r.mapPath());
        QCOMPARE(reloaded.deviceFor(2), QStringLiteral("/dev/ttyACM0"));
    }

    void emulatorShownOnItsPort() {
        Rig r;
        r.portMap.set(2, QStringLiteral("emulator"));
        QVERIFY(r.open());
        QCOMPARE(r.caption("com2"), QStringLiteral("COM2 (emulator)"));
        QCOMPARE(r.device()->currentText(), QStringLiteral("emulator"));
        QVERIFY(r.device()->findText(QStringLiteral("emulator")) >= 0);
    }

    void closesItsFrameInTheMainWindow() {
        Rig r;
        QMdiArea area;
        auto* w = new SerialSetup(r.link, r.portMap, r.mapPath());
        QPointer<QMdiSubWindow> frame = area.addSubWindow(w);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        area.show();
        frame->show();
        QCOMPARE(frame->windowTitle(), QStringLiteral("Serial communication Setup"));
        QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("cbcancel")), Qt::LeftButton);
        QVERIFY(frame.isNull() || !frame->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(frame.isNull());
        QVERIFY(area.subWindowList().isEmpty());
    }

    void devicesOfThisRunOnlyStayOutOfTheFile() {
        Rig r;
        {
            QFile file(r.mapPath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("COM1=/dev/ttyUSB0\n");
        }
        r.portMap.load(r.mapPath());
        r.portMap.set(2, QStringLiteral("emulator"));  // attached for this run
        QVERIFY(r.open());
        r.click(QStringLiteral("com4"));
        QLineEdit* edit = r.device()->lineEdit();
        QTest::mouseClick(edit, Qt::LeftButton);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, QStringLiteral("/dev/ttyUSB3"));
        QTest::keyClick(edit, Qt::Key_Return);
        QFile file(r.mapPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("COM1=/dev/ttyUSB0\nCOM4=/dev/ttyUSB3\n"));
        QCOMPARE(r.portMap.deviceFor(2), QStringLiteral("emulator"));
        QCOMPARE(r.portMap.deviceFor(4), QStringLiteral("/dev/ttyUSB3"));
    }

    void failedSaveOfThePortMap() {
        Rig r;
        QVERIFY(
            r.open(r.dir.filePath(QStringLiteral("missing/dir/") + QString::fromLatin1(PORT_MAP_FILE_NAME))));
        QLineEdit* edit = r.device()->lineEdit();
        QTest::mouseClick(edit, Qt::LeftButton);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, QStringLiteral("/dev/ttyUSB1"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(r.dialogs.messages,
                 (QList<Message>{{QStringLiteral("File error"), QStringLiteral("File handling")}}));
        // The choice holds for this run all the same.
        QCOMPARE(r.portMap.deviceFor(2), QStringLiteral("/dev/ttyUSB1"));
    }
};

QTEST_MAIN(TestSerialSetup)
#include "tst_serialsetup.moc"
