#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "ProgramDirectory.h"

using namespace tk;

class TestProgramDirectory : public QObject {
    Q_OBJECT
    QTemporaryDir m_root;

    QString make(const QString& path) {
        const QString full = m_root.filePath(path);
        QDir().mkpath(QFileInfo(full).path());
        if (path.endsWith(u'/')) return full.chopped(1);
        QFile file(full);
        file.open(QIODevice::WriteOnly);
        return full;
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // The parameter file stays beside a program run from its build or unpacked folder, but an installed
    // program's bin folder is no place for one user's file, even where the user may write there.
    void parameterFileFolder_data() {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<bool>("beside");
        QTest::newRow("build tree") << "build/bin/" << true;
        QTest::newRow("installed") << "usr/bin/" << false;
    }
    void parameterFileFolder() {
        QFETCH(QString, executable);
        QFETCH(bool, beside);
        make(QStringLiteral("usr/share/tk820-2/"));
        const QString exeDir = make(executable);
        const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        QCOMPARE(ResolveProgramDirectory(std::nullopt, exeDir), beside ? exeDir : config);
        QCOMPARE(ResolveProgramDirectory(m_root.filePath("home"), exeDir), m_root.filePath("home"));
    }

    void helpFilesAreFoundInOrder() {
        const QString exeDir = make(QStringLiteral("usr/bin/"));
        const QString programDir = make(QStringLiteral("config/"));
        const QStringList dirs = HelpDirectories(programDir, exeDir);
        QCOMPARE(dirs, (QStringList{programDir, exeDir, m_root.filePath("usr/share/tk820-2")}));
        QCOMPARE(HelpDirectories(exeDir, exeDir).size(), 2);

        QCOMPARE(FindHelpFile(dirs, "TK820_2E.hlp"), QString());
        const QString shared = make(QStringLiteral("usr/share/tk820-2/TK820_2E.hlp"));
        QCOMPARE(FindHelpFile(dirs, "TK820_2E.hlp"), shared);
        const QString beside = make(QStringLiteral("usr/bin/TK820_2E.hlp"));
        QCOMPARE(FindHelpFile(dirs, "TK820_2E.hlp"), beside);
        QCOMPARE(FindHelpFile(dirs, "TK820_2D.hlp"), QString());
    }
};

QTEST_GUILESS_MAIN(TestProgramDirectory)
#include "tst_programdirectory.moc"
