#include <sys/stat.h>

#include <QLineEdit>
#include <QTcpSocket>
#include <QtTest>
#include <cstring>

#include "EmulatorAppRig.h"
#include "ErrorQueue.h"
#include "FakeRemoteTarget.h"
#include "FileBytes.h"
#include "LineFramer.h"
#include "RemoteDialogs.h"
#include "RemotePaths.h"
#include "RemoteServer.h"
#include "Rows.h"
#include "ScpiParser.h"
#include "ScpiSession.h"
#include "SessionRemoteTarget.h"

using namespace tk;
using tk::test::EmulatorAppRig;
using tk::test::FakeTarget;
using tk::test::Row;
using tk::test::WriteBytes;

namespace {

// A session over the fake target, its files in `folder`, that keeps every answer.
struct FakeSession {
    explicit FakeSession(const QString& folder = QDir::tempPath())
        : session(ScpiSession::Create(target, folder, [this](const QByteArray& a) { answers << a; })) {}
    FakeTarget target;
    QList<QByteArray> answers;
    std::shared_ptr<ScpiSession> session;
};

// The server on a free loopback port, over a fake target.
struct Served {
    FakeTarget target;
    RemoteServer server;
    explicit Served(const QList<QPair<QHostAddress, int>>& allowed = {})
        : server(target, {.port = 0, .allowed = allowed, .folder = {}}) {
        server.Listen(nullptr);
    }
    std::unique_ptr<QTcpSocket> Connect() {
        auto client = std::make_unique<QTcpSocket>();
        client->connectToHost(QHostAddress::LocalHost, server.Port());
        client->waitForConnected(5000);
        return client;
    }
};

// Asks *IDN? and waits for the answer or the end of the connection: whether the client is served.
bool Identified(QTcpSocket& client) {
    client.write("*IDN?\n");
    return QTest::qWaitFor(
               [&] { return client.canReadLine() || client.state() != QAbstractSocket::ConnectedState; }) &&
           client.readLine().startsWith("ZELOR");
}

QString Render(const std::vector<ScpiItem>& items) {
    QStringList out;
    for (const ScpiItem& item : items) {
        if (const auto* e = std::get_if<ScpiError>(&item)) {
            out << QString::number(e->code);
            continue;
        }
        const auto& c = std::get<ScpiCommand>(item);
        QString text = QString::fromLatin1(c.nodes.join(':')) + (c.query ? QStringLiteral("?") : QString());
        for (const ScpiParameter& p : c.parameters)
            text += QStringLiteral(" %1<%2>")
                        .arg(QChar::fromLatin1("TSB"[int(p.kind)]))
                        .arg(QString::fromLatin1(p.value));
        out << text;
    }
    return out.join(QStringLiteral(" | "));
}

// The main window over the emulated interface in simulated time, with its dialogs behind the remote ones,
// and one remote session whose files are in a folder of their own.
struct RemoteRig : EmulatorAppRig {
    QTemporaryDir folder;
    RemoteDialogs remoteDialogs{dialogs};
    std::unique_ptr<SessionRemoteTarget> target;
    std::shared_ptr<ScpiSession> session;
    QList<QByteArray> answers;

    RemoteRig() : EmulatorAppRig({}, NoWindow{}) {
        start(remoteDialogs);
        target = std::make_unique<SessionRemoteTarget>(window->session(), remoteDialogs, nullptr);
        session = ScpiSession::Create(*target, folder.path(), [this](const QByteArray& a) { answers << a; });
        for (const char* f : {"limits/cispr32-class-b-mains.grn", "scripts/campaign.set"})
            QFile::copy(QStringLiteral(TK_SOURCE_DIR "/examples/") + QString::fromLatin1(f),
                        QDir(folder.path()).filePath(QFileInfo(QString::fromLatin1(f)).fileName()));
    }
    // The answer to a line that ends with a query.
    QByteArray ask(const QByteArray& line) {
        answers.clear();
        session->Receive(line);
        return answers.isEmpty() ? QByteArray("(none)") : answers.join("|").chopped(1);
    }
};

}  // namespace

class TestScpi : public QObject {
    Q_OBJECT
private slots:
    void parse_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("expected");
        Row("common query", QByteArray("*idn?"), "*IDN?");
        Row("nodes, CR LF, blanks", QByteArray(" :trac:Data?  ACT \r"), "TRAC:DATA? T<ACT>");
        Row("several commands", QByteArray("INIT:IMM;*OPC?;;FORM REAL,32"),
            "INIT:IMM | *OPC? | FORM T<REAL> T<32>");
        Row("strings keep ; and , and doubled quotes",
            QByteArray("MMEM:LOAD:LIM \"a;b,\"\"c\"\"\";MMEM:LOAD:STAT 'x''y'"),
            "MMEM:LOAD:LIM S<a;b,\"c\"> | MMEM:LOAD:STAT S<x'y>");
        Row("block", QByteArray("X #15ab;c\n,1"), "X B<ab;c\n> T<1>");
        Row("block shorter than its length", QByteArray("*CLS;X #19abc"), "*CLS | -161");
        Row("block longer than its length", QByteArray("X #12abc"), "-161");
        Row("indefinite block", QByteArray("X #0abc"), "-161");
        Row("non-text byte ends the line", QByteArray("*CLS;SYST:ERR\x01?;*OPC?"), "*CLS | -101");
        Row("byte above ASCII in a string", QByteArray("MMEM:LOAD:LIM \"\xe4\""), "-101");
        Row("DEL in a string", QByteArray("MMEM:LOAD:LIM \"\x7f\""), "-101");
        Row("empty node", QByteArray("TRAC::DATA?"), "-102");
        Row("punctuation in a header", QByteArray("TRAC%DATA?"), "-102");
        Row("common with nodes", QByteArray("*IDN:X?"), "-102");
        Row("unterminated string", QByteArray("MMEM:LOAD:LIM \"abc"), "-102");
        Row("missing comma", QByteArray("CALC:LIM:STAT ACT ON"), "-102");
        Row("empty parameter", QByteArray("CALC:LIM:STAT ACT,"), "-102");
    }
    void parse() {
        QFETCH(QByteArray, line);
        QTEST(Render(ParseProgramLine(line)), "expected");
    }

    void headers_data() {
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<QString>("nodes");
        QTest::addColumn<bool>("matches");
        Row("short", QByteArray("TRACe:DATA"), "TRAC:DATA", true);
        Row("long", QByteArray("TRACe:DATA"), "TRACE:DATA", true);
        Row("neither short nor long", QByteArray("TRACe:DATA"), "TRA:DATA", false);
        Row("optional left out", QByteArray("[SENSe:]FREQuency:CENTer"), "FREQ:CENT", true);
        Row("optional given", QByteArray("[SENSe:]FREQuency:CENTer"), "SENS:FREQ:CENTER", true);
        Row("optional at the end", QByteArray("INITiate[:IMMediate]"), "INIT", true);
        Row("one node too many", QByteArray("INITiate[:IMMediate]"), "INIT:IMM:X", false);
        Row("one node too few", QByteArray("SYSTem:ERRor"), "SYST", false);
    }
    void headers() {
        QFETCH(QByteArray, pattern);
        QFETCH(QString, nodes);
        QTEST(HeaderMatches(pattern, nodes.toLatin1().split(':')), "matches");
    }

    void errorQueueKeepsTheFirstCauses() {
        ErrorQueue q;
        for (int i = 0; i < 20; ++i) q.Push(-100 - i, QStringLiteral("e%1").arg(i));
        QCOMPARE(q.Size(), ErrorQueue::CAPACITY);
        QCOMPARE(q.Next(), QByteArray("-100,\"e0\""));
        for (std::size_t i = 1; i + 1 < ErrorQueue::CAPACITY; ++i) q.Next();
        QCOMPARE(q.Next(), QByteArray("-350,\"Queue overflow\""));
        QCOMPARE(q.Next(), QByteArray("0,\"No error\""));
        q.Push(-200, QStringLiteral("say \"hi\""));  // a quote is doubled, as in any SCPI string
        QCOMPARE(q.Next(), QByteArray("-200,\"say \"\"hi\"\"\""));
    }

    void framer() {
        LineFramer f;
        QStringList seen;
        const auto line = [&](const QByteArray& l) { seen << QString::fromLatin1(l); };
        const auto tooLong = [&] { seen << QStringLiteral("TOO LONG"); };
        f.Feed("*IDN?\n*O", line, tooLong);
        f.Feed("PC?\r\n", line, tooLong);
        f.Feed(QByteArray(LineFramer::MAX_LINE, 'A'), line, tooLong);  // exactly the limit: taken
        f.Feed("\n", line, tooLong);
        f.Feed(QByteArray(LineFramer::MAX_LINE, 'B'), line, tooLong);
        f.Feed("B", line, tooLong);  // one more: refused once, dropped up to its LF
        f.Feed(QByteArray(100, 'B') + "\n*CLS\n", line, tooLong);
        QCOMPARE(seen.size(), 5);
        QCOMPARE(seen[0], QStringLiteral("*IDN?"));
        QCOMPARE(seen[1], QStringLiteral("*OPC?\r"));
        QCOMPARE(seen[2].size(), LineFramer::MAX_LINE);
        QCOMPARE(seen.mid(3), (QStringList{"TOO LONG", "*CLS"}));
    }

    void paths_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("write");
        QTest::addColumn<QString>("expected");  // path inside the folder, or the error
        Row("plain file", "a.grn", false, "a.grn");
        Row("in a subfolder", "sub/b.set", false, "sub/b.set");
        Row("missing", "c.grn", false, "-256");
        Row("new file", "c.mes", true, "c.mes");
        Row("new file in a missing folder", "none/c.mes", true, "-256");
        Row("absolute", "/etc/passwd", false, "-256");
        Row("drive letter", "C:\\x.set", true, "-256");
        Row("dot dot", "sub/../a.grn", false, "-256");
        Row("backslash dot dot", "sub\\..\\..\\x", true, "-256");
        Row("link inside", "in.grn", false, "a.grn");
        Row("link out, read", "out", false, "-200");
        Row("link out, write", "out", true, "-200");
        Row("folder link out, write", "outdir/x.mes", true, "-200");
        Row("dangling link, write", "dangling", true, "-200");
        Row("device file", "null", false, "-200");
        Row("pipe", "fifo", false, "-200");
        Row("folder", "sub", false, "-200");
    }
    void paths() {
        QFETCH(QString, name);
        QFETCH(bool, write);
        QTemporaryDir outside;
        QTemporaryDir dir;
        const QString root = dir.path();
        QDir(root).mkdir(QStringLiteral("sub"));
        for (const char* f : {"a.grn", "sub/b.set"})
            QVERIFY(WriteBytes(QDir(root).filePath(QString::fromLatin1(f)), {}));
        const QDir in(root), out(outside.path());
        const QList<std::pair<QString, QString>> links{{in.filePath("a.grn"), "in.grn"},
                                                       {"/etc/hostname", "out"},
                                                       {outside.path(), "outdir"},
                                                       {out.filePath("x"), "dangling"},
                                                       {"/dev/null", "null"}};
        for (const auto& [to, name] : links) QFile::link(to, in.filePath(name));
        QCOMPARE(::mkfifo(qPrintable(QDir(root).filePath(QStringLiteral("fifo"))), 0600), 0);
        const RemotePath p = ResolveRemotePath(root, name, write ? RemoteAccess::Write : RemoteAccess::Read);
        const QString canonicalRoot = QFileInfo(root).canonicalFilePath() + u'/';
        QTEST(p.path.isEmpty() ? QString::number(p.error) : QString(p.path).remove(canonicalRoot),
              "expected");
    }

    void commands_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("expected");  // the answer lines, then the error queue, joined by " | "
        Row("identity, several answers in one line", QStringList{"*idn?;*OPC?"},
            "ZELOR Instruments,TK820-2,0,2.68;1 | 0,\"No error\"");
        // Frequencies in Hz, or with a suffix.
        Row("center frequency",
            QStringList{"SENSE:FREQUENCY:CENTER 123.5MHZ;:FREQ:CENT?", "FREQ:CENT 15e6;FREQ:CENT?",
                        "FREQ:CENT 250khz;FREQ:CENT?", "FREQ:CENT MAX;FREQ:CENT?", "FREQ:CENT 3.0005GHZ",
                        "FREQ:CENT 5PHZ"},
            "123500000 | 15000000 | 250000 | 3000000000 | -222,\"Data out of range;0 to 3000 MHz\" | "
            "-131,\"Invalid suffix;HZ, KHZ, MHZ or GHZ\" | 0,\"No error\"");
        Row("scan widths of the display setup and the span",
            QStringList{"FREQ:SPAN:DIV 50KHZ;FREQ:SPAN:DIV?;:FREQ:CENT 100MHZ;:FREQ:STAR?;STOP?;SPAN?",
                        "FREQ:SPAN:DIV 0.3MHZ"},
            "50000;99750000;100250000;500000 | -222,\"Data out of range;one of the display setup's scan "
            "widths\" | "
            "0,\"No error\"");
        Row("resolution and bandwidth",
            QStringList{"RES 4;RES?;BAND 120KHZ;BAND?;BAND MIN;BAND?", "RES 3", "BAND 3"},
            "4;120000;9000 | -222,\"Data out of range;1, 2, 4 or 8\" | -224,\"Illegal parameter value;9, 20, "
            "120 or "
            "400 kHz\" | 0,\"No error\"");
        Row("unit", QStringList{"UNIT:POW dbuv;UNIT:POW?", "UNIT:POW DBW"},
            "DBUV | -224,\"Illegal parameter value;DBM, DBUV, DBPW or USER\" | 0,\"No error\"");
        Row("an error ends its line", QStringList{"FOO?;*OPC?", "*OPC?"},
            "1 | -113,\"Undefined header\" | 0,\"No error\"");
        Row("parameter counts and types",
            QStringList{"INIT:CONT", "*CLS 1", "FREQ:CENT ON", "INST:CONN MAYBE"},
            "-109,\"Missing parameter\" | -108,\"Parameter not allowed\" | "
            "-104,\"Data type error;a number\" | -224,\"Illegal parameter value;ON or OFF\" | 0,\"No "
            "error\"");
        Row("*WAI and *OPC are taken", QStringList{"*WAI;*OPC;*OPC?"}, "1 | 0,\"No error\"");
        // A line of thousands of commands that end at once (queries, and commands on a free line) is
        // answered whole, without one call per command piling up.
        Row("a long line of quick commands", QStringList{QString("*CLS;*OPC?;").repeated(5000).chopped(1)},
            QString("1;").repeated(5000).chopped(1) + " | 0,\"No error\"");
        Row("*CLS empties the queue", QStringList{"FOO", "*CLS"}, "0,\"No error\"");
        Row("switches", QStringList{"INST:CONN ON;INST:CONN?;INIT:CONT 0;INIT:CONT?;FAST 1;FAST?"},
            "1;0;1 | 0,\"No error\"");
        Row("boundary checks",
            QStringList{"CALC:LIM:STAT PEAK,ON;CALC:LIM:STAT? PEAK;CALC:LIM:STAT? AVER",
                        "CALC:LIM:STAT COMP,ON"},
            "1;0 | -224,\"Illegal parameter value;ACT, AVER or PEAK\" | 0,\"No error\"");
        Row("margin of a trace without check", QStringList{"CALC:LIM:MARG? PEAK", "*ESR?"},
            "16 | -200,\"Execution error;the boundary check of that trace is off\" | 0,\"No error\"");
        Row("file names",
            QStringList{"MMEM:LOAD:LIM \"/etc/passwd\"", "MMEM:LOAD:LIM x.grn", "MMEM:STOR:CORR \"x.eic\""},
            "-256,\"File name not found;absolute names are refused\" | "
            "-104,\"Data type error;a quoted name\" | -113,\"Undefined header\" | 0,\"No error\"");
        Row("status registers",
            QStringList{"*ESE 48;*SRE 32;*ESE?;*SRE?", "FOO", "*STB?;*ESR?;*ESR?;*STB?", "*OPC;*ESR?",
                        "*CLS;*STB?;SYST:ERR:COUN?", "*ESE 256"},
            "48;32 | 100;32;0;4 | 1 | 0;0 | -222,\"Data out of range;0 to 255\" | 0,\"No error\"");
        Row("error queue at once",
            QStringList{"FOO", "BAR", "SYST:ERR:COUN?;SYST:ERR:ALL?;SYST:ERR:ALL?;SYST:VERS?;*TST?"},
            "2;-113,\"Undefined header\",-113,\"Undefined header\";0,\"No error\";1999.0;0 | 0,\"No error\"");
        Row("byte order", QStringList{"FORM:BORD?;FORM:BORD NORM;FORM:BORD?", "FORM:BORD BIG"},
            "SWAP;NORM | -224,\"Illegal parameter value;NORM or SWAP\" | 0,\"No error\"");
        Row("sweep points",
            QStringList{"SWE:POIN 1000;SWE:POIN?;RES?;SWE:POIN DEF;SWE:POIN?;RES 1;SWE:POIN?",
                        "SWE:POIN 300"},
            "1000;4;500;4000 | -222,\"Data out of range;500, 1000, 2000 or 4000\" | 0,\"No error\"");
        Row("a read while offline", QStringList{"INIT:IMM;*OPC?"},
            "1 | -213,\"Init ignored;the interface is offline (INST:CONN ON)\" | 0,\"No error\"");
        Row("script state", QStringList{"SCR:STAT?"}, "0,0,\"00:00\" | 0,\"No error\"");
        Row("exit with windows", QStringList{"SYST:EXIT"},
            "-200,\"Execution error;the program with windows is ended by its user\" | 0,\"No error\"");
    }
    void commands() {
        QFETCH(QStringList, lines);
        FakeSession s;
        for (const QString& l : lines) s.session->Receive(l.toLatin1());
        for (int i = 0; i < 8 && !s.answers.endsWith("0,\"No error\"\n"); ++i)
            s.session->Receive("SYST:ERR?");
        QTEST(QString::fromLatin1(s.answers.join(" | ").replace('\n', "")), "expected");
    }

    void tracesInTheLevelUnitAsTextAndBlock() {
        FakeSession s;
        MeasurementModel& m = s.target.model;
        m.settings.resolution = 8;  // 500 points
        m.settings.levelUnit = 1;   // dBm: raw 0 is -107 dBm, a raw step 80/255 dB
        m.traceActual[1] = 255;
        m.traceActual[500] = 51;
        s.session->Receive("TRAC? ACT;:FORM REAL,32;:TRAC? ACT;:FORM?");
        QCOMPARE(s.answers.size(), 1);
        const QByteArray& a = s.answers[0];
        const QList<QByteArray> text = a.left(a.indexOf('#') - 1).split(',');
        QCOMPARE(text.size(), 500);
        QCOMPARE(text[0], QByteArray("-27.00"));
        QCOMPARE(text[1], QByteArray("-107.00"));
        QCOMPARE(text[499], QByteArray("-91.00"));
        const qsizetype block = a.indexOf('#');
        QCOMPARE(a.mid(block, 6), QByteArray("#42000"));
        float first = 0, last = 0;
        std::memcpy(&first, a.constData() + block + 6, 4);
        std::memcpy(&last, a.constData() + block + 6 + 499 * 4, 4);
        QCOMPARE(first, -27.0f);
        QCOMPARE(last, -91.0f);
        QCOMPARE(a.mid(block + 6 + 2000), QByteArray(";REAL,32\n"));
        // The most significant byte first: -27.0f is C1 D8 00 00.
        s.session->Receive("FORM:BORD NORM;:TRAC? ACT");
        QCOMPARE(s.answers[1].left(10), QByteArray("#42000\xC1\xD8\x00\x00", 10));
    }

    void failAndMarginOfShownTraces() {
        FakeSession s;
        s.target.margins = {{0, false, 2.5, 10.0f}, {1, false, std::nullopt, 0.0f}, {2, true, -1.25, 3.9f}};
        s.session->Receive("CALC:LIM:FAIL?;MARG? ACT;MARG? PEAK;MARG? AVER");
        s.target.model.settings.showPeak = false;  // a trace not shown fails nothing
        s.session->Receive("CALC:LIM:FAIL?");
        QCOMPARE(s.answers, (QList<QByteArray>{"1;2.50,10;-1.25,3.9;9.91E+37,9.91E+37\n", "0\n"}));
    }

    void commandsWaitForTheLineInOrder() {
        FakeSession s;
        s.target.online = true;
        s.target.busy = true;  // an exchange has the line
        s.session->Receive("INIT:IMM;*OPC?");
        s.session->Receive("MMEM:STOR:TABL \"t.tab\"");
        QVERIFY(s.answers.isEmpty());
        QVERIFY(s.target.calls.isEmpty());
        s.target.Release();
        // the read that "Single" asked for ran before *OPC? answered
        QCOMPARE(s.target.calls, (QStringList{"single", "read", QStringLiteral("store 5 t.tab 1")}));
        QCOMPARE(s.answers, QList<QByteArray>{"1\n"});
    }

    // ABOR stops the running read as it comes, not after the commands waiting before it.
    void abortActsAtOnce() {
        FakeSession s;
        s.target.online = true;
        s.target.busy = true;
        s.session->Receive("INIT:IMM;*OPC?");
        s.session->Receive("ABOR;*OPC?");
        QCOMPARE(s.target.calls, QStringList{"abort"});
        s.target.Release();
        QCOMPARE(s.answers, (QList<QByteArray>{"1\n", "1\n"}));
    }

    void aSessionThatEndsDropsWhatWaits() {
        FakeTarget target;
        target.busy = true;
        {
            auto session =
                ScpiSession::Create(target, QDir::tempPath(), [](const QByteArray&) { QFAIL("answered"); });
            session->Receive("INIT:IMM;*OPC?");
        }
        target.Release();  // the client left: nothing runs, nothing is answered
        QVERIFY(target.calls.isEmpty());
    }

    // A client that floods the server with commands while the line is busy is read only as far as its
    // waiting commands allow; another client is answered meanwhile, and the flood runs whole, in order.
    void aFloodWaitsInTheSocketNotInTheMemory() {
        Served s;
        s.target.busy = true;
        const auto flood = s.Connect();
        const int lines = 20000;
        for (int i = 0; i < lines; ++i)
            flood->write(QByteArray("FREQ:CENT ") + QByteArray::number(i % 3000) + '\n');
        flood->write("FREQ:CENT?\n");
        QTRY_VERIFY(s.server.Queued() >= RemoteServer::MAX_QUEUED);
        for (int i = 0; i < 100; ++i) QCoreApplication::processEvents();
        QVERIFY2(s.server.Queued() < RemoteServer::MAX_QUEUED + 400,
                 qPrintable(QString::number(s.server.Queued())));
        QVERIFY(Identified(*s.Connect()));
        s.target.Release();
        QTRY_VERIFY_WITH_TIMEOUT(flood->canReadLine(), 20000);
        QCOMPARE(flood->readLine(), QByteArray::number((lines - 1) % 3000) + '\n');
        QCOMPARE(s.server.Queued(), std::size_t{0});
    }

    // Clients that come and go in quick succession free their slots as they go: each one is served, also
    // when the server meets several connections and their ends at once, and four clients at once after a
    // thousand quick connections more.
    void clientsThatComeAndGoFreeTheirSlots() {
        Served s;
        for (int i = 0; i < 20; ++i) {
            std::vector<std::unique_ptr<QTcpSocket>> batch;
            for (int k = 0; k < 6; ++k) batch.push_back(s.Connect());  // met by the server at once
            for (int k = 0; k < 5; ++k) batch[std::size_t(k)]->close();
            QVERIFY(Identified(*batch.back()));
        }
        for (int i = 0; i < 1000; ++i) {
            s.Connect()->close();
            QCoreApplication::processEvents();
        }
        std::vector<std::unique_ptr<QTcpSocket>> four;
        for (int k = 0; k < 4; ++k) four.push_back(s.Connect());
        for (auto& client : four) QVERIFY(Identified(*client));
    }

    // Only clients from the listed networks are served.
    void allowList_data() {
        QTest::addColumn<QString>("allowed");
        QTest::addColumn<bool>("served");
        Row("the client's network", "127.0.0.0/8", true);
        Row("another network", "10.0.0.0/8", false);
    }
    void allowList() {
        QFETCH(QString, allowed);
        Served s({QHostAddress::parseSubnet(allowed)});
        QTEST(Identified(*s.Connect()), "served");
    }

    void listenAddresses_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("address");  // empty: refused
        Row("IPv4", "127.0.0.1", "127.0.0.1");
        Row("IPv6 in brackets", "[::1]", "::1");
        Row("IPv6 bare", "::1", "::1");
        Row("localhost", "LocalHost", "127.0.0.1");
        Row("a name", "example.org", "");
        Row("an open bracket", "[::1", "");
    }
    void listenAddresses() {
        QFETCH(QString, text);
        const auto address = ListenAddress(text);
        QTEST(address ? address->toString() : QString(), "address");
    }

    // The catalogue lists the folder's plain files, not its links and folders.
    void catalogueOfTheFolder() {
        QTemporaryDir dir;
        const QDir d(dir.path());
        QVERIFY(WriteBytes(d.filePath(QStringLiteral("b.grn")), "12345"));
        QVERIFY(WriteBytes(d.filePath(QStringLiteral("a.set")), "123"));
        QVERIFY(QFile::link(d.filePath(QStringLiteral("a.set")), d.filePath(QStringLiteral("link.set"))));
        QVERIFY(d.mkdir(QStringLiteral("sub")));
        FakeSession s(dir.path());
        s.session->Receive("MMEM:CAT?");
        const QList<QByteArray> fields = s.answers.value(0).trimmed().split(',');
        QCOMPARE(fields.value(0), QByteArray("8"));
        QVERIFY(fields.value(1).toLongLong() > 0);
        QCOMPARE(fields.mid(2).join(','), QByteArray("\"a.set,,3\",\"b.grn,,5\""));
    }

    void scriptMessagesHaveAQueryOfTheirOwn() {
        FakeSession s;
        s.target.scriptMessages = {"Script info: say \"hi\"", "Script info: Script done"};
        s.session->Receive("SCR:MESS?;MESS?;:SYST:ERR?");
        QCOMPARE(s.answers,
                 QList<QByteArray>{"\"Script info: say \"\"hi\"\"\",\"Script info: Script done\";\"\";0,\"No "
                                   "error\"\n"});
    }

    void messagesBecomeExecutionErrors() {
        QTemporaryDir dir;
        QVERIFY(WriteBytes(QDir(dir.path()).filePath(QStringLiteral("bad.grn")), {}));
        FakeSession s(dir.path());
        s.target.messages = {QStringLiteral("Boundaries: Wrong file format  ")};
        s.session->Receive("MMEM:LOAD:LIM \"bad.grn\";*OPC?");
        s.session->Receive("SYST:ERR?");
        QCOMPARE(s.target.calls, QStringList{"load 1 bad.grn"});
        QCOMPARE(s.answers,
                 (QList<QByteArray>{"1\n", "-200,\"Execution error;Boundaries: Wrong file format\"\n"}));
    }

    // A remote load refreshes the open windows as the menu's load does, and a remote reset the check marks.
    void remoteCommandsRefreshTheWindows() {
        RemoteRig rig;
        rig.trigger("mnucontrollbox");
        rig.ask("MMEM:LOAD:STAT \"campaign.set\"");
        QCOMPARE(rig.window->findChild<QLineEdit*>(QStringLiteral("centerfreq"))->text(),
                 QString::number(double(rig.model.settings.centerFreq)));
        rig.ask("FAST ON");
        QVERIFY(rig.window->action(QStringLiteral("mnufastmode"))->isChecked());
        rig.ask("*RST");
        QVERIFY(!rig.window->action(QStringLiteral("mnufastmode"))->isChecked());
        QVERIFY(rig.dialogs.messages.isEmpty());
    }
};

QTEST_MAIN(TestScpi)
#include "tst_scpi.moc"
