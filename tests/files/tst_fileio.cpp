#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "ByteCodec.h"
#include "FileIO.h"

using namespace tk;

class TestFileIO : public QObject {
    Q_OBJECT

    static QByteArray contents(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

private slots:
    void readerStoresOnlyCompleteFields() {
        ByteWriter w;
        w.write(std::int16_t(-2));
        w.write(std::int32_t(70000));
        w.write(1.5f);
        w.writeBytes("ab");
        QCOMPARE(w.bytes().toHex(), QByteArray("feff701101000000c03f6162"));

        ByteReader r(w.bytes());
        std::int16_t a = 0;
        std::int32_t b = 0;
        float c = 0;
        float d = 7.0f;
        std::int16_t e = 9;
        QVERIFY(r.read(a) && r.read(b) && r.read(c));
        QCOMPARE(a, std::int16_t(-2));
        QCOMPARE(b, 70000);
        QCOMPARE(c, 1.5f);
        QVERIFY(!r.read(d));  // two bytes left: the float stays as it was
        QCOMPARE(d, 7.0f);
        QVERIFY(!r.read(e));  // and so does everything after the first short field
        QCOMPARE(e, std::int16_t(9));
        QVERIFY(!r.ok());
    }

    // A save that fails at any point leaves the previous file byte for byte; one that succeeds replaces it.
    void failedSaveKeepsThePreviousFile_data() {
        QTest::addColumn<int>("failAfter");
        QTest::newRow("nothing written") << 0;
        QTest::newRow("half written") << 5;
        QTest::newRow("one byte short") << 9;
    }
    void failedSaveKeepsThePreviousFile() {
        QFETCH(int, failAfter);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.grn"));
        QVERIFY(WriteFileAtomically(path, "old file"));
        const auto failing = [failAfter](QIODevice& device, const QByteArray& bytes) {
            device.write(bytes.left(failAfter));
            return false;
        };
        QVERIFY(!WriteFileAtomically(path, "0123456789", failing));
        QCOMPARE(contents(path), QByteArray("old file"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("x.grn")});
        QVERIFY(WriteFileAtomically(path, "0123456789"));
        QCOMPARE(contents(path), QByteArray("0123456789"));
    }

    void unusablePathsFail() {
        QTemporaryDir dir;
        QVERIFY(!WriteFileAtomically(dir.path(), "x"));
        QVERIFY(!WriteFileAtomically(dir.filePath(QStringLiteral("no/such/folder/x.grn")), "x"));
        QVERIFY(!ReadFileBytes(dir.path(), 100));
        QVERIFY(!ReadFileBytes(dir.filePath(QStringLiteral("missing.grn")), 100));
        QVERIFY(WriteFileAtomically(dir.filePath(QStringLiteral("big")), QByteArray(50, 'z')));
        QCOMPARE(ReadFileBytes(dir.filePath(QStringLiteral("big")), 10)->size(), 10);
    }
};

QTEST_GUILESS_MAIN(TestFileIO)
#include "tst_fileio.moc"
