#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "PrinterSetupWindow.h"

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
    T* child(const char* name) {
        return window->findChild<T*>(QString::fromUtf8(name));
    }
};

}  // namespace

class TestPrintSetup : public QObject {
    Q_OBJECT
private slots:
    // Every box toggled, then "Print" stores all and prints; "Cancel" stores all but cursor and settings.
    void buttons() {
        for (const bool print : {true, false}) {
            Rig r;
            for (QCheckBox* box : r.window->findChildren<QCheckBox*>()) box->click();
            QVERIFY(r.model.printBlackWhite);  // nothing is stored before a button
            r.child<QPushButton>(print ? "prok" : "prcancel")->click();
            QCOMPARE(r.printed, print ? 1 : 0);
            QVERIFY(!r.model.printBlackWhite);
            QVERIFY(!r.model.printDateTime && !r.model.printFileName);
            QVERIFY(r.model.printActual && r.model.printAverage && r.model.printPeak &&
                    r.model.printComparison);
            QVERIFY(r.model.printBoundaryActual && r.model.printBoundaryAverage && r.model.printBoundaryPeak);
            QCOMPARE(r.model.printCursor, print ? 0 : 1);
            QCOMPARE(r.model.printSettings, print ? 0 : 1);
        }
    }

    // A frequency confirmed with Enter is kept within 0 to 3000 MHz and shown again as stored.
    void frequency() {
        const struct {
            bool from;  // "drucklgrn", else "druckrgrn"
            const char* typed;
            float stored;
            const char* shown;
        } rows[] = {{true, "-5", 0.0f, "0"},
                    {false, "4000", 3000.0f, "3000"},
                    {true, "433.92", 433.92f, "433.92"}};  // without binary noise
        for (const auto& row : rows) {
            Rig r;
            auto* edit = r.child<QLineEdit>(row.from ? "drucklgrn" : "druckrgrn");
            edit->setText(QString::fromLatin1(row.typed));
            QTest::keyClick(edit, Qt::Key_Return);
            QCOMPARE(row.from ? r.model.printFromMHz : r.model.printToMHz, row.stored);
            QCOMPARE(edit->text(), QString::fromLatin1(row.shown));
        }
    }

    void headlineUnitAndHint() {
        Rig r;
        QVERIFY(r.child<QRadioButton>("opunit1")->isChecked());
        r.child<QLineEdit>("prtxtüberschr")->setText(QStringLiteral("Site 4"));
        QCOMPARE(r.model.printHeadline.rightTrimmed(), QStringLiteral("Site 4"));
        QCOMPARE(r.model.printHeadline.bytes().size(), 80);
        r.child<QRadioButton>("opunit0")->click();
        QCOMPARE(r.model.settings.levelUnit, 0);
        QCOMPARE(r.unitChanges, 1);
        // The defaults choose nothing to draw: a hint says so until a trace or a boundary is checked.
        auto* hint = r.child<QWidget>("prhint");
        QVERIFY(!hint->isHidden());
        for (const char* name : {"sw", "ckdruckdatum", "chprcursor"}) r.child<QCheckBox>(name)->click();
        QVERIFY(!hint->isHidden());
        r.child<QCheckBox>("prliaver")->click();
        QVERIFY(hint->isHidden());
        r.child<QCheckBox>("prliaver")->click();
        r.child<QCheckBox>("praktuell")->click();
        QVERIFY(hint->isHidden());
        QVERIFY(!r.model.printActual);  // the hint stores nothing
    }
};

QTEST_MAIN(TestPrintSetup)
#include "tst_printsetup.moc"
