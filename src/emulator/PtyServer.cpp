#include "PtyServer.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "EmulatorOptions.h"

namespace tk::emu {
namespace {

// At high rates bytes are due every few tens of microseconds; they are written in batches at most this far
// apart instead of one wake-up per byte.
constexpr double MIN_WAIT_S = 0.001;

std::optional<int> RateOfSpeed(speed_t speed) {
    switch (speed) {
        case B1200:
            return 1200;
        case B2400:
            return 2400;
        case B4800:
            return 4800;
        case B9600:
            return 9600;
        case B19200:
            return 19200;
        case B38400:
            return 38400;
        case B57600:
            return 57600;
        case B115200:
            return 115200;
        case B230400:
            return 230400;
        default:
            return std::nullopt;
    }
}

QString SystemError(const char* what) {
    return QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
}

}  // namespace

PtyServer::PtyServer(const DeviceConfig& config, Clock& clock, PcRate pcRate)
    : m_clock(clock), m_device(config, clock.seconds()), m_pcRate(pcRate) {}

PtyServer::~PtyServer() {
    closeTerminal();
    for (int& fd : m_stopPipe)
        if (fd >= 0) ::close(fd);
}

bool PtyServer::open(QString* error) {
    const auto fail = [&](const char* what) {
        if (error) *error = SystemError(what);
        closeTerminal();
        return false;
    };
    if (::pipe2(m_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) return fail("pipe");
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0) return fail("posix_openpt");
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) return fail("grantpt/unlockpt");
    char name[128] = {};
    if (::ptsname_r(m_master, name, sizeof name) != 0) return fail("ptsname");
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0) return fail("open slave");
    termios t{};
    if (::tcgetattr(m_slave, &t) != 0) return fail("tcgetattr");
    ::cfmakeraw(&t);
    // The line starts at the interface's rate, as a port left there by an earlier session would be.
    ::cfsetspeed(&t, B2400);
    if (::tcsetattr(m_slave, TCSANOW, &t) != 0) return fail("tcsetattr");
    m_slavePath = QString::fromLocal8Bit(name);
    return true;
}

void PtyServer::closeTerminal() {
    if (m_slave >= 0) ::close(m_slave);
    if (m_master >= 0) ::close(m_master);
    m_slave = m_master = -1;
}

void PtyServer::stop() {
    if (m_stopPipe[1] >= 0) {
        const char c = 's';
        [[maybe_unused]] const auto n = ::write(m_stopPipe[1], &c, 1);
    }
}

std::optional<int> PtyServer::pcBaud() const {
    if (m_pcRate == PcRate::SameAsDevice) return std::nullopt;
    termios t{};
    if (::tcgetattr(m_master, &t) != 0) return std::nullopt;
    return RateOfSpeed(::cfgetospeed(&t));
}

void PtyServer::takeInput() {
    char buffer[256];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0) return;
        const double now = m_clock.seconds();
        const auto rate = pcBaud();
        for (ssize_t i = 0; i < n && !m_device.vanished(); ++i) m_device.receive(buffer[i], now, rate);
    }
}

void PtyServer::deliverDue() {
    m_pending.append(m_device.takeOutput(m_clock.seconds(), pcBaud()));
    flushOutput();
}

void PtyServer::flushOutput() {
    while (!m_pending.isEmpty()) {
        const ssize_t n = ::write(m_master, m_pending.constData(), static_cast<size_t>(m_pending.size()));
        if (n <= 0) return;  // the terminal is full; poll says when it takes more
        m_pending.remove(0, n);
    }
}

void PtyServer::setControlInput(int fd, std::function<void(const QString&)> reply) {
    m_control = fd;
    m_reply = std::move(reply);
}

QString PtyServer::applyControlLine(const QString& line) {
    const QStringList words = line.simplified().split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty()) return {};
    if (words.size() == 2 && words[0] == u"loss") {
        if (const auto db = ParseLossDb(words[1])) {
            m_device.setLossDb(*db, m_clock.seconds());
            return QStringLiteral("loss %1 dB at the last sweep point").arg(*db);
        }
    }
    return QStringLiteral("not understood: %1 (try \"loss 10\")").arg(line.simplified());
}

void PtyServer::takeControlInput() {
    char buffer[256];
    const ssize_t n = ::read(m_control, buffer, sizeof buffer);
    if (n <= 0) {
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
        // The end of the input, or a terminal that a background process may not read: serving goes on
        // without it.
        m_control = -1;
        return;
    }
    m_controlLine.append(buffer, n);
    for (qsizetype end = m_controlLine.indexOf('\n'); end >= 0; end = m_controlLine.indexOf('\n')) {
        const QString answer = applyControlLine(QString::fromLocal8Bit(m_controlLine.left(end)));
        m_controlLine.remove(0, end + 1);
        if (!answer.isEmpty() && m_reply) m_reply(answer);
    }
}

void PtyServer::serve() {
    if (m_master < 0) return;
    for (;;) {
        if (m_device.vanished()) {
            closeTerminal();
            return;
        }
        deliverDue();
        pollfd fds[3] = {{m_master, static_cast<short>(POLLIN | (m_pending.isEmpty() ? 0 : POLLOUT)), 0},
                         {m_stopPipe[0], POLLIN, 0},
                         {m_control, POLLIN, 0}};  // a negative descriptor is passed over
        timespec wait{};
        timespec* timeout = nullptr;  // nothing queued: sleep until a byte comes
        if (const auto next = m_device.nextOutputTime()) {
            const double s = std::max(*next - m_clock.seconds(), MIN_WAIT_S);
            wait.tv_sec = static_cast<time_t>(s);
            wait.tv_nsec = static_cast<long>((s - std::floor(s)) * 1e9);
            timeout = &wait;
        }
        const int ready = ::ppoll(fds, 3, timeout, nullptr);
        if (ready < 0 && errno != EINTR) return;
        if (fds[1].revents & POLLIN) return;
        if (fds[2].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) takeControlInput();
        if (fds[0].revents & POLLIN) takeInput();
        if (fds[0].revents & POLLOUT) flushOutput();
        // A terminal in error would wake poll at once; the pause keeps that from turning into a spin.
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) ::usleep(10000);
    }
}

}  // namespace tk::emu
