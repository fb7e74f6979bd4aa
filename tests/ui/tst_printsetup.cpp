#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "PrinterSetupWindow.h"
#include "Rows.h"

using namespace tk;

namespace {

struct Rig {
    MeasurementModel model;
    int printed = 0;
    int unitChanges = 0;
    std::unique_ptr<PrinterSetupWindow> window;

    Rig() {
        SetModelDefaults(model, QStringLiteral("06.12.2026"));
        window = std::make_unique<PrinterSetupWindow>(
            model, [this] { ++printed; }, [this] { ++unitChanges; });
    }
    template <class T>
    T* child(const QString& name) {
        return window->findChild<T*>(name);
    }
};

}  // namespace

class TestPrintSetup : public QObject {
    Q_OBJECT

private slots:
    void buttons_data();
    void buttons();
    void frequency_data();
    void frequency();
    void headlineAndUnit();
    void hintWhileNothingIsDrawn();
};

void TestPrintSetup::buttons_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("printed");
    QTest::addColumn<int>("cursorAndSettings");  // their check state afterwards; all boxes were toggled
    QTest::newRow("print stores all and prints") << "prok" << 1 << 0;
    QTest::newRow("cancel keeps cursor and settings") << "prcancel" << 0 << 1;
}

void TestPrintSetup::buttons() {
    QFETCH(QString, button);
    QFETCH(int, printed);
    QFETCH(int, cursorAndSettings);

    Rig r;
    const auto boxes = r.window->findChildren<QCheckBox*>();
    QCOMPARE(boxes.size(), 12);
    for (QCheckBox* box : boxes) box->click();
    QVERIFY(r.model.printBlackWhite);  // nothing is stored before a button
    r.child<QPushButton>(button)->click();

    QCOMPARE(r.printed, printed);
    QVERIFY(!r.model.printBlackWhite);
    QVERIFY(!r.model.printDateTime && !r.model.printFileName);
    QVERIFY(r.model.printActual && r.model.printAverage && r.model.printPeak && r.model.printComparison);
    QVERIFY(r.model.printBoundaryActual && r.model.printBoundaryAverage && r.model.printBoundaryPeak);
    QCOMPARE(r.model.printCursor, cursorAndSettings);
    QCOMPARE(r.model.printSettings, cursorAndSettings);
}

void TestPrintSetup::frequency_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<float>("stored");
    QTest::addColumn<QString>("shown");
    tk::test::Row("below 0", "drucklgrn", "-5", 0.0f, "0");
    tk::test::Row("above 3000", "druckrgrn", "4000", 3000.0f, "3000");
    tk::test::Row("leading number", "drucklgrn", "12.5abc", 12.5f, "12.5");
    tk::test::Row("no number", "druckrgrn", "abc", 0.0f, "0");
    tk::test::Row("no binary noise", "drucklgrn", "433.92", 433.92f, "433.92");
}

void TestPrintSetup::frequency() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(float, stored);
    QFETCH(QString, shown);

    Rig r;
    auto* edit = r.child<QLineEdit>(field);
    edit->setText(typed);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(field == "drucklgrn" ? r.model.printFromMHz : r.model.printToMHz, stored);
    QCOMPARE(edit->text(), shown);
}

void TestPrintSetup::headlineAndUnit() {
    Rig r;
    QCOMPARE(r.window->windowTitle(), QStringLiteral("Printer setup"));
    QVERIFY(r.child<QRadioButton>(QStringLiteral("opunit1"))->isChecked());
    r.child<QLineEdit>(QStringLiteral("prtxtüberschr"))->setText(QStringLiteral("Site 4"));
    QCOMPARE(r.model.printHeadline.rightTrimmed(), QStringLiteral("Site 4"));
    QCOMPARE(r.model.printHeadline.bytes().size(), 80);
    r.child<QRadioButton>(QStringLiteral("opunit0"))->click();
    QCOMPARE(r.model.settings.levelUnit, 0);
    QCOMPARE(r.unitChanges, 1);
}

// The defaults choose nothing to draw: a hint says so until a trace or a boundary is checked.
void TestPrintSetup::hintWhileNothingIsDrawn() {
    Rig r;
    auto* hint = r.child<QWidget>(QStringLiteral("prhint"));
    QVERIFY(!hint->isHidden());
    for (const char* name : {"sw", "ckdruckdatum", "chprcursor"}) r.child<QCheckBox>(name)->click();
    QVERIFY(!hint->isHidden());
    r.child<QCheckBox>(QStringLiteral("prliaver"))->click();
    QVERIFY(hint->isHidden());
    r.child<QCheckBox>(QStringLiteral("prliaver"))->click();
    r.child<QCheckBox>(QStringLiteral("praktuell"))->click();
    QVERIFY(hint->isHidden());
    QVERIFY(!r.model.printActual);  // the hint stores nothing
}

QTEST_MAIN(TestPrintSetup)
#include "tst_printsetup.moc"
