// Round trips of TRAC:DATA? ACT for a 4000-point trace through the SCPI server on loopback: the median as
// text and as a REAL,32 block from one client, then 1,000 queries from 4 clients at once, with the errors
// seen and the memory of the process before and after.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "LineGuard.h"
#include "RemoteServer.h"

using namespace tk;

namespace {

// The program's model with a full trace, behind the real guard of the line.
class BenchTarget final : public RemoteTarget {
public:
    BenchTarget() {
        model.settings.resolution = 1;
        for (std::size_t i = 0; i < model.traceActual.size(); ++i) model.traceActual[i] = std::int16_t(i % 256);
    }
    MeasurementModel model;
    LineGuard guard{[] { return 0.0; }};
    void WhenLineFree(std::function<void()> step) override { guard.Run(std::move(step)); }
    MeasurementModel& Model() override { return model; }
    QString ProgramVersion() const override { return QStringLiteral("2.68"); }
    void KeepMessages() override {}
    QStringList TakeMessages() override { return {}; }
    QStringList TakeScriptMessages() override { return {}; }
    void Reset() override {}
    void Abort() override {}
    bool Online() override { return true; }
    void SetOnline(bool) override {}
    void Single() override {}
    void SetAutoMeasurement(bool) override {}
    void SetFastMode(bool) override {}
    void SettingsChanged() override {}
    void Load(RemoteFile, const QString&) override {}
    void Store(RemoteFile, const QString&, int) override {}
    std::vector<RemoteMargin> Margins() override { return {}; }
    void RunScript(const QString&) override {}
    void StopScript() override {}
    bool Exit() override { return true; }
};

long RssKiB() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

class Client {
public:
    explicit Client(quint16 port) {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_ok = ::connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    ~Client() { ::close(m_fd); }
    bool ok() const { return m_ok; }
    // Sends a line and reads its answer: a line, or a block and its LF.
    std::string Ask(const std::string& line) {
        const std::string out = line + '\n';
        if (::send(m_fd, out.data(), out.size(), 0) != ssize_t(out.size())) return {};
        std::string answer;
        for (;;) {
            if (!answer.empty() && answer[0] == '#' && answer.size() >= 2) {
                const std::size_t digits = std::size_t(answer[1] - '0');
                if (answer.size() >= 2 + digits) {
                    const std::size_t total = 2 + digits + std::stoul(answer.substr(2, digits)) + 1;
                    if (answer.size() >= total) return answer;
                }
            } else if (!answer.empty() && answer.back() == '\n') {
                return answer;
            }
            char buf[65536];
            const ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
            if (n <= 0) return {};
            answer.append(buf, std::size_t(n));
        }
    }

private:
    int m_fd = -1;
    bool m_ok = false;
};

double MedianMs(quint16 port, const char* format, int queries, std::size_t* bytes) {
    Client c(port);
    c.Ask(std::string("FORM ") + format + ";*OPC?");
    std::vector<double> ms;
    for (int i = 0; i < queries; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        *bytes = c.Ask("TRAC:DATA? ACT").size();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    BenchTarget target;
    RemoteOptions options;
    options.port = 0;
    options.folder = QDir::tempPath();
    RemoteServer server(target, options);
    QString error;
    if (!server.Listen(&error)) {
        std::fprintf(stderr, "listen: %s\n", qPrintable(error));
        return 1;
    }
    const quint16 port = server.Port();
    int status = 0;
    std::thread clients([&] {
        std::size_t asciiBytes = 0, blockBytes = 0;
        const double ascii = MedianMs(port, "ASC", 300, &asciiBytes);
        const double block = MedianMs(port, "REAL,32", 300, &blockBytes);
        std::printf("TRAC:DATA? ACT, 4000 points: median %.3f ms as text (%zu bytes), %.3f ms as REAL,32 (%zu bytes)\n",
                    ascii, asciiBytes, block, blockBytes);
        const long before = RssKiB();
        std::atomic<int> errors{0};
        std::vector<std::thread> four;
        const auto t0 = std::chrono::steady_clock::now();
        for (int k = 0; k < 4; ++k)
            four.emplace_back([&, k] {
                Client c(port);
                if (!c.ok()) ++errors;
                c.Ask(k % 2 ? "FORM REAL,32;*OPC?" : "FORM ASC;*OPC?");
                for (int i = 0; i < 250; ++i) {
                    const std::string a = c.Ask("TRAC:DATA? ACT");
                    if (a.size() != (k % 2 ? blockBytes : asciiBytes)) ++errors;
                }
                if (c.Ask("SYST:ERR?") != "0,\"No error\"\n") ++errors;
            });
        for (auto& t : four) t.join();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const long after = RssKiB();
        std::printf("1000 queries from 4 clients: %.2f s, %d errors, memory %ld KiB before, %ld KiB after\n",
                    seconds, errors.load(), before, after);
        status = errors.load() ? 1 : 0;
        QMetaObject::invokeMethod(&app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    });
    QCoreApplication::exec();
    clients.join();
    return status;
}
