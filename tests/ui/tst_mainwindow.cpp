#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "GraphWindow.h"
#include "HelpWindow.h"
#include "LinkRig.h"
#include "MainWindow.h"
#include "ParameterFile.h"
#include "ScriptedDialogs.h"
#include "ScriptedPort.h"

using namespace tk;
using namespace tk::test;

namespace {

class FakeHelp final : public HelpViewer {
public:
    bool ShowContents(const QString& path) override {
        shown.append(path);
        return QFile::exists(path);
    }
    QStringList shown;
};

struct Rig {
    QTemporaryDir home;
    QTemporaryDir helpDir;
    MeasurementModel model;
    FakeClock clock;
    ScriptedPort port{clock};
    ScriptedDialogs dialogs;
    FakeHelp help;
    PortMap portMap;
    MainWindow window{{model, port, clock, dialogs, help, portMap, home.path(), {helpDir.path()}}};

    QAction* act(const char* name) { return window.action(QString::fromUtf8(name)); }
    QCheckBox* box(const char* name) { return window.findChild<QCheckBox*>(QString::fromUtf8(name)); }
};

using Message = ScriptedDialogs::Message;

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void menuTree_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("enabled");
        // name|caption|enabled (+) or not yet available (-)
        const QStringList rows =
            QStringLiteral(
                "mnufile|&Data|+;mnuload|&Load Data|+;mnusetload|&Setup|+;mnueichload|C&alibration Curve|+;"
                "mnusave|&Store "
                "Data|+;mnutabsave|&Table|+;mnutabpW|dB&pW|+;mnutabuser|User|+;mnuprint|&Print|+;"
                "mnusetprint|Prin&ter Setup|+;mnudefuser|&User def.|+;mnuzwischenab|&Clipboard|+;"
                "mnustartscp|St&art Script|+;mnuexit|&Exit|+;mnumessen|&Measurement|+;mopen|M&odule online|+;"
                "mnusleep|Mod&ule sleeping|+;mnurechen|Module &calculating|+;mnuauto|&Auto measurement|+;"
                "mnufastmode|&Fast-Mode|+;mnucontrollbox|&Display setup|+;mnuwertebox|Le&vel window|+;"
                "mnuwerteuv|dB&uV|+;mnugrenzübbox|Surpass Boundar&ies|+;mnugrenzübuser|User|+;"
                "mnugrenzbox|&Boundary-Edit|+;mnuboxeich|Cali&bration level-Edit|+;"
                "mnuboxvergl|Co&mparative measurement|+;mnurefbox|&Reference "
                "calcul.|+;"
                "mnuconfig|Confi&guration|+;mnulöschen|&Erase display|+;mnuscript|&Script|+;"
                "mnugenscript|Script &edit|+;mnufenster|&Windows|+;mnuüberlap|&Cascading|+;"
                "mnuüberein|&Tile vertical|+;mnunebenein|T&ile horizontal|+;mnusymbole|&Arrange icons|+;"
                "mnuliste|W&indows|+;Hilfe|?|+;mnuHelp|Help|+;hlpdeutsch|Deutsch|+;hlpenglish|English|+;"
                "mnuabout|&About/Support|+")
                .split(u';');
        for (const QString& row : rows) {
            const QStringList f = row.split(u'|');
            QTest::newRow(qPrintable(f[0])) << f[0] << f[1] << (f[2] == u"+");
        }
    }
    void menuTree() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(bool, enabled);
        Rig r;
        QAction* a = r.window.action(name);
        QVERIFY2(a, qPrintable(name));
        QCOMPARE(a->objectName(), name);
        QCOMPARE(a->text(), caption);
        QCOMPARE(a->isEnabled(), enabled);
    }

    void menuOrder() {
        Rig r;
        auto names = [](QMenu* m) {
            QStringList out;
            for (QAction* a : m->actions())
                out.append(a->isSeparator() ? QStringLiteral("-") : a->objectName());
            return out;
        };
        QCOMPARE(names(r.window.findChild<QMenu*>(QStringLiteral("mnufile"))),
                 (QStringList{"mnuload", "mnusave", "-", "mnuprint", "mnusetprint", "-", "mnudefuser",
                              "mnuzwischenab", "mnupicture", "-", "mnustartscp", "mnuexit"}));
        QCOMPARE(names(r.window.findChild<QMenu*>(QStringLiteral("Hilfe"))),
                 (QStringList{"mnuHelp", "-", "hlpdeutsch", "hlpenglish", "-", "mnuabout"}));
    }

    // Within a menu each access letter leads to one entry; the clashes left are the program's own of old.
    void accessLettersAreUnique() {
        Rig r;
        QStringList clashes;
        const auto menus = r.window.findChildren<QMenu*>();
        for (const QMenu* menu : menus) {
            QHash<QChar, QString> taken;
            for (const QAction* a : menu->actions()) {
                const QString text = a->text();
                const qsizetype at = text.indexOf(u'&');
                if (at < 0 || at + 1 >= text.size()) continue;
                const QChar letter = text.at(at + 1).toLower();
                if (taken.contains(letter)) clashes << taken.value(letter) + QStringLiteral(" / ") + text;
                taken.insert(letter, text);
            }
        }
        QCOMPARE(clashes, (QStringList{QStringLiteral("&Boundary-Edit / Cali&bration level-Edit"),
                                       QStringLiteral("T&ile horizontal / W&indows")}));
    }

    // Arranged by the window menu, every child window keeps room for what it shows.
    void arrangedWindowsKeepTheirMinimumSize_data() {
        QTest::addColumn<QString>("entry");
        QTest::newRow("cascading") << QStringLiteral("mnuüberlap");
        QTest::newRow("tile vertical") << QStringLiteral("mnuüberein");
        QTest::newRow("tile horizontal") << QStringLiteral("mnunebenein");
    }
    void arrangedWindowsKeepTheirMinimumSize() {
        QFETCH(QString, entry);
        Rig r;
        r.window.resize(800, 500);
        r.window.show();
        r.window.Load(QString());
        for (const char* name : {"mnucontrollbox", "mnuwertemw", "mnugrenzbox", "mnurefbox"})
            r.act(name)->trigger();
        r.window.action(entry)->trigger();
        const auto frames = r.window.findChildren<QMdiSubWindow*>();
        QCOMPARE(frames.size(), 5);
        for (const QMdiSubWindow* frame : frames) {
            const QSize need = frame->widget()->minimumSizeHint();
            QVERIFY2(frame->widget()->width() >= need.width() && frame->widget()->height() >= need.height(),
                     qPrintable(frame->widget()->objectName()));
        }
        QVERIFY(r.window.findChild<GraphWindow*>()->height() >= 200);
    }

    void toolbar() {
        Rig r;
        const QStringList buttons =
            QStringLiteral(
                "Command1:Single Command2:Config Command3:Setup Command5:Print Command6:Ref-C. "
                "Command7:Clipboard "
                "Command4:Erase Command8:Ac-m Command9:Av-m Command10:Pk-m Command11:Off Command12:On "
                "Command13:Correction")
                .split(u' ');
        for (const QString& b : buttons) {
            auto* button = r.window.findChild<QToolButton*>(b.section(u':', 0, 0));
            QVERIFY2(button && button->text() == b.section(u':', 1), qPrintable(b));
        }
        QCOMPARE(r.box("mdiauto")->text(), QStringLiteral("Auto"));
        QCOMPARE(r.box("mdifast")->text(), QStringLiteral("Fast"));
        QCOMPARE(r.window.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
                 QStringLiteral("ZELOR Instruments"));
    }

    void firstStartAndExit() {
        Rig r;
        r.window.Load(QString());
        const Message cannotOpen{QStringLiteral("Cannot open file"), QStringLiteral("File handling")};
        QCOMPARE(r.dialogs.messages, QList<Message>{cannotOpen});
        QCOMPARE(r.window.windowTitle(), QStringLiteral("TK820-2E V2-68     Interface: "));
        QVERIFY(r.act("mnurechen")->isChecked());
        QVERIFY(!r.act("mopen")->isChecked());

        r.window.show();
        r.act("mnuexit")->trigger();
        QVERIFY(!r.window.isVisible());
        QVERIFY(r.port.written.isEmpty());
        QFile f(r.window.parameterFilePath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.size(), PARAMETER_FILE_SIZE);
        QCOMPARE(f.read(5), QByteArray("par01"));
    }

    // The line gets its start settings before the start-up sequence, which may start a script that opens
    // the port at its own rate. The graph shows its frame and labels before the first read, and the
    // clipboard gets that picture also after the graph window was closed.
    void startLineGraphAndClipboard() {
        Rig r;
        QStringList settingsDuringStartUp;
        r.dialogs.duringMessage = [&] { settingsDuringStartUp = r.port.settingsHistory; };
        r.window.show();  // as the program starts: the window is shown, then loaded
        QVERIFY(QTest::qWaitForWindowExposed(&r.window));
        r.window.Load(QString());
        const QStringList start{QStringLiteral("2400,N,8,1")};
        QCOMPARE(settingsDuringStartUp, start);
        QCOMPARE(r.port.settingsHistory, start);
        auto* grafik = r.window.findChild<GraphWindow*>(QStringLiteral("grafik"));
        grafik->repaint();
        const QImage shown = grafik->image();
        QVERIFY(shown.width() > 100);
        bool drawn = false;
        for (int y = 0; y < shown.height() && !drawn; ++y)
            for (int x = 0; x < shown.width() && !drawn; ++x) drawn = shown.pixel(x, y) != shown.pixel(0, 0);
        QVERIFY(drawn);
        QVERIFY(!r.model.graphOpen);
        grafik->parentWidget()->close();
        QGuiApplication::clipboard()->clear();
        r.window.findChild<QToolButton*>(QStringLiteral("Command7"))->click();
        QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(shown.format()), shown);
    }

    void closingByFrameWritesNothing() {
        Rig r;
        r.window.Load(QString());
        r.window.show();
        r.window.close();
        QCOMPARE(QFileInfo(r.window.parameterFilePath()).size(), 0);
    }

    void moduleOnlineFollowsThePort() {
        Rig r;
        r.window.Load(QString());
        r.port.responder = GoodInterface;
        r.act("mopen")->trigger();
        QVERIFY(r.act("mopen")->isChecked());
        QVERIFY(r.port.isOpen());
        QCOMPARE(r.port.written, QByteArray("bo"));
        QCOMPARE(r.port.openedDevices, QStringList{QStringLiteral("/dev/ttyS1")});
        QCOMPARE(r.port.lineSettings(), QStringLiteral("2400,N,8,1"));

        r.act("mnusleep")->trigger();
        QVERIFY(r.act("mnusleep")->isChecked());
        r.act("mnurechen")->trigger();
        QVERIFY(!r.act("mnurechen")->isChecked());
        QCOMPARE(r.port.written, QByteArray("bobpbn"));

        // The interface stops answering: the exchange fails and the mark follows the closed port.
        r.port.responder = [](char, int) { return QByteArray(); };
        r.act("mnusleep")->trigger();
        QCOMPARE(r.dialogs.messages.last(),
                 (Message{QStringLiteral("Command ignored"), QStringLiteral("Transmission Error")}));
        QVERIFY(!r.act("mopen")->isChecked());
        QVERIFY(!r.port.isOpen());

        // With the port closed, the sleeping entry changes nothing at all.
        const bool sleepingMark = r.act("mnusleep")->isChecked();
        const bool sleeping = r.model.moduleSleeping;
        r.act("mnusleep")->trigger();
        QCOMPARE(r.act("mnusleep")->isChecked(), sleepingMark);
        QCOMPARE(bool(r.model.moduleSleeping), sleeping);
    }

    void autoAndFastModeStayInStep() {
        Rig r;
        r.window.Load(QString());
        // Automatic measurement, then fast mode: in the model, the menu and the toolbar.
        const auto state = [&r] {
            return QStringLiteral("%1%2%3 %4%5%6")
                .arg(int(r.model.autoMeasurement))
                .arg(int(r.act("mnuauto")->isChecked()))
                .arg(int(r.box("mdiauto")->isChecked()))
                .arg(int(r.model.fastMode))
                .arg(int(r.act("mnufastmode")->isChecked()))
                .arg(int(r.box("mdifast")->isChecked()));
        };
        QCOMPARE(state(), QStringLiteral("111 000"));
        r.act("mnuauto")->trigger();
        QCOMPARE(state(), QStringLiteral("000 000"));
        r.act("mnufastmode")->trigger();  // fast mode also switches automatic measurement on
        QCOMPARE(state(), QStringLiteral("111 111"));
        r.act("mnufastmode")->trigger();  // switching it off leaves automatic measurement on
        QCOMPARE(state(), QStringLiteral("111 000"));
        r.box("mdiauto")->click();
        QCOMPARE(state(), QStringLiteral("000 000"));
        r.box("mdifast")->click();
        QCOMPARE(state(), QStringLiteral("111 111"));
    }

    void singleReadsTheShownTraces() {
        Rig r;
        r.window.Load(QString());
        r.port.responder = [](char c, int) -> QByteArray {
            if (c == 'a' || c == 's' || c == 'm') {
                QByteArray t;
                for (int n = 0; n < 5; ++n)
                    t += QByteArray(1, static_cast<char>(c - 32)) + char(n) + QByteArray(100, 'x');
                return t;
            }
            return GoodInterface(c, 0);
        };
        r.act("mopen")->trigger();
        r.port.written.clear();
        r.window.findChild<QToolButton*>(QStringLiteral("Command1"))->click();
        QCOMPARE(r.port.written, QByteArray("asm"));
        QVERIFY(!r.model.autoMeasurement);
        QVERIFY(!r.act("mnuauto")->isChecked());
        QVERIFY(!r.box("mdiauto")->isChecked());
        QCOMPARE(r.model.traceAverage[499], std::int16_t{'x'});
        QVERIFY(
            r.window.findChild<QLabel*>(QStringLiteral("uhr"))->text().startsWith(QStringLiteral(" Time: ")));
        // The graph window shows the read traces and its caption the read times.
        auto* grafik = r.window.findChild<QWidget*>(QStringLiteral("grafik"));
        QVERIFY(grafik);
        QVERIFY(r.model.graphOpen);
        QVERIFY(grafik->parentWidget()->windowTitle().startsWith(QStringLiteral("Ac: 10:00:")));

        // Erase clears the traces and restarts the sweep at the current resolution.
        r.port.written.clear();
        r.act("mnulöschen")->trigger();
        QCOMPARE(r.model.traceAverage[499], 0);
        QCOMPARE(r.port.written, QByteArray("bf"));
        r.act("mopen")->trigger();
        r.port.written.clear();
        r.window.findChild<QToolButton*>(QStringLiteral("Command4"))->click();
        QVERIFY(r.port.written.isEmpty());
    }

    void comparisonCurve() {
        Rig r;
        r.window.Load(QString());
        r.model.settings.resolution = 4;
        r.model.tracePeak.fill(9);
        r.model.traceComparison.fill(-1);
        r.window.findChild<QToolButton*>(QStringLiteral("Command10"))->click();
        QCOMPARE(r.model.traceComparison[1000], 9);
        QCOMPARE(r.model.traceComparison[1001], -1);
        QVERIFY(r.model.showComparison);
        r.window.findChild<QToolButton*>(QStringLiteral("Command11"))->click();
        QVERIFY(!r.model.showComparison);
        r.model.tracePeak.fill(3);
        r.window.findChild<QToolButton*>(QStringLiteral("Command12"))->click();
        QVERIFY(r.model.showComparison);
        QCOMPARE(r.model.traceComparison[0], 9);  // "On" copies nothing
    }

    void referenceWindow() {
        Rig r;
        r.window.Load(QString());
        r.window.show();
        r.act("mnurefbox")->trigger();
        auto* boxref = r.window.findChild<QWidget*>(QStringLiteral("boxref"));
        QVERIFY(boxref);
        QCOMPARE(boxref->windowTitle(), QStringLiteral("Reference calculations"));
        auto group = [&](const char* name) {
            return boxref->findChild<QButtonGroup*>(QString::fromLatin1(name));
        };
        QCOMPARE(group("RefMode")->checkedId(), 3);
        QCOMPARE(group("RefAk")->checkedId(), 3);
        QCOMPARE(group("RefMode")->button(1)->text(), QStringLiteral("Act - Ref"));
        QCOMPARE(group("Refpe")->button(2)->text(), QStringLiteral("Ref-Pk"));
        group("RefMode")->button(0)->click();
        group("RefAk")->button(1)->click();
        group("Refav")->button(2)->click();
        group("Refpe")->button(0)->click();
        boxref->findChild<QCheckBox*>(QStringLiteral("RefRechnen"))->click();
        const MeasurementModel& m = r.model;
        QCOMPARE((QList<int>{m.refMode, m.refSelActual, m.refSelAverage, m.refSelPeak}),
                 (QList<int>{0, 1, 2, 0}));
        QVERIFY(m.referenceCalcOn);

        r.model.traceActual.fill(4);
        r.model.traceAverage.fill(5);
        r.model.tracePeak.fill(6);
        r.model.refPeak.fill(-2);
        boxref->findChild<QPushButton*>(QStringLiteral("Refdat"))->click();
        QCOMPARE((QList<int>{m.refActual[500], m.refAverage[500], m.refPeak[500], m.refPeak[501]}),
                 (QList<int>{4, 5, 6, -2}));

        // Closed and opened again, the window shows the model as it is now.
        r.model.refMode = 2;
        r.model.referenceCalcOn = false;
        boxref->parentWidget()->close();
        QTest::qWait(0);
        r.window.findChild<QToolButton*>(QStringLiteral("Command6"))->click();
        boxref = r.window.findChild<QWidget*>(QStringLiteral("boxref"));
        QCOMPARE(group("RefMode")->checkedId(), 2);
        QVERIFY(!boxref->findChild<QCheckBox*>(QStringLiteral("RefRechnen"))->isChecked());
    }

    void helpWindowShowsTheFile() {
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(QStringLiteral("TK820_2E.hlp"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<h1>Contents</h1><p>Connecting the interface</p>");
        f.close();
        QWidget owner;
        HelpWindow help(&owner);
        QVERIFY(!help.ShowContents(QDir(dir.path()).filePath(QStringLiteral("missing.hlp"))));
        QVERIFY(help.ShowContents(path));
        QVERIFY(help.browser()->toPlainText().contains(QStringLiteral("Connecting the interface")));
        // Closing the main window ends the program even while the help is open.
        QVERIFY(!help.browser()->testAttribute(Qt::WA_QuitOnClose));
    }

    void helpLanguage() {
        Rig r;
        r.window.Load(QString());
        r.act("mnuHelp")->trigger();
        QCOMPARE(r.help.shown.size(), 1);
        QVERIFY(r.help.shown[0].endsWith(QStringLiteral("TK820_2E.hlp")));
        // No help file exists in these directories: a message says so instead of failing silently.
        QCOMPARE(r.dialogs.messages.last().title, QStringLiteral("Help"));

        QFile german(QDir(r.helpDir.path()).filePath(QStringLiteral("TK820_2D.hlp")));
        QVERIFY(german.open(QIODevice::WriteOnly));
        german.write("<h1>Hilfe</h1>");
        german.close();
        const auto before = r.dialogs.messages.size();
        r.act("hlpdeutsch")->trigger();
        QCOMPARE(r.model.parameters.languageIndex, 0);
        QCOMPARE(r.help.shown.last(), german.fileName());
        QCOMPARE(r.dialogs.messages.size(), before);
        // The window texts stay English.
        QCOMPARE(r.act("mnuexit")->text(), QStringLiteral("&Exit"));
        r.act("hlpenglish")->trigger();
        QCOMPARE(r.model.parameters.languageIndex, 1);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
