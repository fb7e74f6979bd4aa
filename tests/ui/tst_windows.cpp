// Every window the menus and the toolbar open, checked at once: each control sits in a layout (a control left
// out of its layout lands at the top left corner over the others), is shown with its window, and overlaps no
// other control of its parent.
#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include "MainWindowRig.h"
#include "ReplayWindow.h"

using namespace tk;
using namespace tk::test;

namespace {

bool InLayout(const QLayout* layout, const QWidget* w) {
    if (!layout) return false;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == w || InLayout(item->layout(), w)) return true;
    }
    return false;
}

bool IsControl(const QWidget* w) {
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QListWidget*>(w) || qobject_cast<const QTableWidget*>(w) ||
           qobject_cast<const QLabel*>(w);
}

// The controls of a window that break the rules, each with why.
QStringList Faults(QWidget* window) {
    QStringList faults;
    QList<QWidget*> controls;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!IsControl(w) || w->isHidden() || w->window() != window->window()) continue;
        // The parts Qt builds inside its own widgets (a spin box's line edit, a table's headers) are not
        // ours.
        if (w->objectName().startsWith(QStringLiteral("qt_")) ||
            qobject_cast<QAbstractSpinBox*>(w->parentWidget()) || qobject_cast<QComboBox*>(w->parentWidget()))
            continue;
        if (qobject_cast<QMdiSubWindow*>(w->parentWidget()) ||
            qobject_cast<QAbstractScrollArea*>(w->parentWidget()))
            continue;
        const QString name =
            w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
        if (!InLayout(w->parentWidget()->layout(), w)) faults << name + QStringLiteral(" is in no layout");
        if (!w->isVisible()) faults << name + QStringLiteral(" is not shown");
        controls << w;
    }
    for (int i = 0; i < controls.size(); ++i)
        for (int j = i + 1; j < controls.size(); ++j)
            if (controls[i]->parentWidget() == controls[j]->parentWidget() &&
                controls[i]->geometry().intersects(controls[j]->geometry()))
                faults << controls[i]->objectName() + QStringLiteral(" overlaps ") +
                              controls[j]->objectName();
    return faults;
}

}  // namespace

class TestWindows : public QObject {
    Q_OBJECT
private slots:
    void everyWindowLaysOutItsControls() {
        MainWindowRig r;
        r.window.resize(1600, 1200);
        r.window.show();
        for (const char* name : {"mnurefbox", "mnugenscript", "mnuboxeich", "mnuboxvergl", "mnuwertepw",
                                 "mnugrenzübpw", "mnupeaks", "mnugrenzbox", "mnuwaterfall", "mnudefuser"})
            r.trigger(name);
        for (const char* button : {"Command2", "Command3", "Command5"})  // "Config", "Setup", "Print"
            r.find<QToolButton>(button)->click();
        QStringList faults = Faults(&r.window);
        const auto frames = r.window.findChild<QMdiArea*>()->subWindowList();
        QVERIFY(frames.size() >= 12);
        for (QMdiSubWindow* frame : frames) {
            frame->resize(frame->widget()->sizeHint().expandedTo(frame->minimumSizeHint()) + QSize(40, 60));
            QTest::qWait(0);
            for (const QString& f : Faults(frame->widget()))
                faults << frame->widget()->objectName() + QStringLiteral(": ") + f;
        }
        // The replay window, a window of its own.
        const QString file = r.home.filePath(QStringLiteral("r.tkrec"));
        Recorder recorder;
        QString error;
        QVERIFY(recorder.Open(file, RECORDING_SIZE_LIMIT, &error) &&
                recorder.Append(ReadOfModel(r.model, RecordedTrace::Actual, 0, 0), &error));
        r.dialogs.openAnswers << file;
        OpenReplay(r.model, r.dialogs, &r.window);
        auto* replay = r.window.findChild<ReplayWindow*>();
        QVERIFY(replay);
        replay->show();
        QVERIFY(QTest::qWaitForWindowExposed(replay));
        faults << Faults(replay);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
