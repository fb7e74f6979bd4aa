#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QGridLayout>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <functional>

#include "FileBytes.h"
#include "GraphWindow.h"
#include "HelpWindow.h"
#include "LinkRig.h"
#include "MainWindow.h"

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
    void click(const char* name) { window.findChild<QToolButton*>(QString::fromUtf8(name))->click(); }
};

using Message = ScriptedDialogs::Message;

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    // Every menu entry in its order with its caption, "!" when disabled and "*" when checked; the toolbar's
    // captions likewise.
    void captions() {
        Rig r;
        r.window.Load(QString());
        std::function<QString(const QList<QAction*>&)> entries = [&](const QList<QAction*>& actions) {
            QStringList out;
            for (const QAction* a : actions) {
                if (a->isSeparator()) {
                    out << QStringLiteral("-");
                    continue;
                }
                QString e = a->objectName() + u'=' + a->text() + (a->isEnabled() ? "" : "!") +
                            (a->isChecked() ? "*" : "");
                if (a->menu()) e += u'[' + entries(a->menu()->actions()) + u']';
                out << e;
            }
            return out.join(u' ');
        };
        QCOMPARE(
            entries(r.window.menuBar()->actions()),
            QStringLiteral(
                "mnufile=&Data[mnuload=&Load Data[mnusetload=&Setup mnuscriptload=S&cript "
                "mnugrenzenload=&Boundaries mnumessload=&Measurement mnueichload=C&alibration Curve] "
                "mnusave=&Store Data[mnusetsave=&Setup mnuscriptsave=S&cript mnugrenzensave=&Boundaries "
                "mnumesssave=&Measurement mnueichsave=C&alibration Curve "
                "mnutabsave=&Table[mnutabpW=dB&pW mnutabmW=dB&m mnutabuV=dB&uV mnutabuser=User]] - "
                "mnuprint=&Print mnusetprint=Prin&ter Setup - mnudefuser=&User def. "
                "mnuzwischenab=&Clipboard mnupicture=Save P&icture - mnustartscp=St&art Script "
                "mnuexit=&Exit] mnumessen=&Measurement[mopen=M&odule online mnusleep=Mod&ule sleeping "
                "mnurechen=Module &calculating* mnuauto=&Auto measurement* mnufastmode=&Fast-Mode - "
                "mnucontrollbox=&Display setup mnuwertebox=Le&vel window[mnuwertepw=dB&pW "
                "mnuwertemw=dB&m mnuwerteuv=dB&uV mnuwerteuser=User] mnugrenzübbox=Surpass "
                "Boundar&ies[mnugrenzübpw=dB&pW mnugrenzübmw=dB&m mnugrenzübuv=dB&uV "
                "mnugrenzübuser=User] mnupeaks=&Peak table mnugrenzbox=&Boundary-Edit "
                "mnuwaterfall=&Waterfall mnuboxeich=Cali&bration level-Edit mnuboxvergl=Co&mparative "
                "measurement mnurefbox=&Reference calcul. - mnuconfig=Confi&guration - mnulöschen=&Erase "
                "display] mnuscript=&Script[mnugenscript=Script &edit] "
                "mnufenster=&Windows[mnuüberlap=&Cascading mnuüberein=&Tile vertical mnunebenein=T&ile "
                "horizontal mnusymbole=&Arrange icons - mnuliste=W&indows[]] Hilfe=?[mnuHelp=Help - "
                "hlpdeutsch=Deutsch hlpenglish=English - mnuabout=&About/Support]"));
        QStringList bar;
        for (const QToolButton* b :
             r.window.findChildren<QToolButton*>(QRegularExpression(QStringLiteral("^Command"))))
            bar << b->objectName() + u':' + b->text();
        bar << r.box("mdiauto")->text() << r.box("mdifast")->text()
            << r.window.findChild<QLabel*>(QStringLiteral("Label1"))->text();
        QCOMPARE(
            bar.join(u' '),
            QStringLiteral("Command1:Single Command2:Config Command3:Setup Command5:Print Command6:Ref-C. "
                           "Command7:Clipboard Command4:Erase Command8:Ac-m Command9:Av-m Command10:Pk-m "
                           "Command11:Off Command12:On Command13:Correction Auto Fast ZELOR Instruments"));
    }

    // Arranged by the window menu, every child window keeps room for what it shows.
    void arrangedWindowsKeepTheirMinimumSize() {
        for (const char* entry : {"mnuüberlap", "mnuüberein", "mnunebenein"}) {
            Rig r;
            r.window.resize(800, 500);
            r.window.show();
            r.window.Load(QString());
            for (const char* name : {"mnucontrollbox", "mnuwertemw", "mnugrenzbox", "mnurefbox"})
                r.act(name)->trigger();
            r.act(entry)->trigger();
            const auto frames = r.window.findChildren<QMdiSubWindow*>();
            QCOMPARE(frames.size(), 5);
            for (const QMdiSubWindow* frame : frames) {
                const QSize need = frame->widget()->minimumSizeHint();
                QVERIFY2(
                    frame->widget()->width() >= need.width() && frame->widget()->height() >= need.height(),
                    qPrintable(QString::fromUtf8(entry) + u' ' + frame->widget()->objectName()));
            }
            QVERIFY(r.window.findChild<GraphWindow*>()->height() >= 200);
        }
    }

    void firstStartAndExit() {
        Rig r;
        r.window.Load(QString());
        const Message cannotOpen{QStringLiteral("Cannot open file"), QStringLiteral("File handling")};
        QCOMPARE(r.dialogs.messages, QList<Message>{cannotOpen});
        QCOMPARE(r.window.windowTitle(), QStringLiteral("TK820-2E V2-68     Interface: "));

        r.window.show();
        r.act("mnuexit")->trigger();
        QVERIFY(!r.window.isVisible());
        QVERIFY(r.port.written.isEmpty());
        QCOMPARE(FileBytes(r.window.parameterFilePath()).left(5), QByteArray("par01"));
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
        r.click("Command7");
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
        r.click("Command1");
        QCOMPARE(r.port.written, QByteArray("asm"));
        // A single read ends automatic measurement, in the model, the menu and the toolbar.
        QCOMPARE((QList<bool>{r.model.autoMeasurement, r.act("mnuauto")->isChecked(),
                              r.box("mdiauto")->isChecked()}),
                 QList<bool>(3, false));
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
        r.click("Command4");
        QVERIFY(r.port.written.isEmpty());
    }

    void comparisonCurve() {
        Rig r;
        r.window.Load(QString());
        r.model.settings.resolution = 4;
        r.model.tracePeak.fill(9);
        r.model.traceComparison.fill(-1);
        r.click("Command10");
        QCOMPARE(r.model.traceComparison[1000], 9);
        QCOMPARE(r.model.traceComparison[1001], -1);
        QVERIFY(r.model.showComparison);
        r.click("Command11");
        QVERIFY(!r.model.showComparison);
        r.model.tracePeak.fill(3);
        r.click("Command12");
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
        // The mode across the top, the three sources under it, "Calcul." under the first, the copy button
        // under the last.
        auto* grid = qobject_cast<QGridLayout*>(boxref->layout());
        QStringList cells;
        for (int i = 0, row, column, rows, columns; i < grid->count(); ++i) {
            grid->getItemPosition(i, &row, &column, &rows, &columns);
            cells << grid->itemAt(i)->widget()->objectName() +
                         QStringLiteral(" %1,%2 %3").arg(row).arg(column).arg(columns);
        }
        QCOMPARE(cells.join(QStringLiteral("; ")),
                 QStringLiteral("RefModeFrame 0,0 3; RefAktuell 1,0 1; Refaver 1,1 1; Refpeak 1,2 1; "
                                "RefRechnen 2,0 1; Refdat 2,2 1"));
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
        r.click("Command6");
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
