#include "RemoteServer.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <QPointer>
#include <QTcpSocket>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "ScpiSession.h"

namespace tk {
namespace {

// The peer has closed its end and sent nothing that is still to be read: it has left, even if the event
// loop has not yet come round to its socket.
bool PeerLeft(const QTcpSocket& socket) {
    char byte = 0;
    return ::recv(static_cast<int>(socket.socketDescriptor()), &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
}

// A client whose machine went away without closing (a crash, a cable) is found within about 90 s.
void KeepAlive(QTcpSocket& socket) {
    socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    const int fd = static_cast<int>(socket.socketDescriptor());
    const int idle = 60, interval = 10, count = 3;
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
}

}  // namespace

std::optional<QHostAddress> ListenAddress(QString text) {
    if (text.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0)
        return QHostAddress(QHostAddress::LocalHost);
    if (text.startsWith(u'[') && text.endsWith(u']')) text = text.mid(1, text.size() - 2);
    QHostAddress address;
    if (!address.setAddress(text)) return std::nullopt;
    return address;
}

struct RemoteServer::Client {
    QTcpSocket* socket = nullptr;  // a key only once the client is gone; `live` holds it while it exists
    QPointer<QTcpSocket> live;
    std::shared_ptr<ScpiSession> session;
    LineFramer framer;
    bool taking = false;
    bool takeQueued = false;
    bool gone = false;  // the client left; its commands may still run
};

RemoteServer::RemoteServer(RemoteTarget& target, RemoteOptions options, QObject* parent)
    : QObject(parent), m_target(target), m_options(std::move(options)) {
    m_server.setMaxPendingConnections(MAX_CLIENTS + 1);
    connect(&m_server, &QTcpServer::newConnection, this, &RemoteServer::Accept);
}

RemoteServer::~RemoteServer() {
    for (auto& c : m_clients) {
        if (!c->live) continue;
        c->live->disconnect(this);
        c->live->abort();
        delete c->live.data();
    }
}

bool RemoteServer::Listen(QString* error) {
    if (m_server.listen(m_options.address, m_options.port)) return true;
    if (error) *error = m_server.errorString();
    return false;
}

bool RemoteServer::Allowed(const QHostAddress& peer) const {
    if (m_options.allowed.isEmpty()) return true;
    // An IPv4 client of a dual-stack socket comes as ::ffff:a.b.c.d.
    bool mapped = false;
    const QHostAddress v4(peer.toIPv4Address(&mapped));
    for (const auto& subnet : m_options.allowed)
        if (peer.isInSubnet(subnet) || (mapped && v4.isInSubnet(subnet))) return true;
    return false;
}

void RemoteServer::Drop(QTcpSocket* socket, const char* why) {
    std::fprintf(stderr, "tk820-2: remote client %s:%u %s\n", qPrintable(socket->peerAddress().toString()),
                 socket->peerPort(), why);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

// The client's session and line buffer go once the event loop is back: a client may leave while its own
// lines are being cut and run (from an answer that overflows, or from the events that run while an
// exchange waits), and what is running must not lose them under its feet.
void RemoteServer::Forget(QTcpSocket* socket) {
    QMetaObject::invokeMethod(
        this,
        [this, socket] { std::erase_if(m_clients, [socket](const auto& k) { return k->socket == socket; }); },
        Qt::QueuedConnection);
}

void RemoteServer::Accept() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        if (!Allowed(socket->peerAddress())) {
            Drop(socket, "is not in --remote-allow: closed");
            continue;
        }
        if (Clients() >= MAX_CLIENTS) {
            Drop(socket, "refused: too many clients");
            continue;
        }
        auto client = std::make_unique<Client>();
        client->socket = socket;
        client->live = socket;
        // Answers are small and awaited: they go out without waiting to be joined with others.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        KeepAlive(*socket);
        Client* c = client.get();
        client->session = ScpiSession::Create(
            m_target, m_options.folder, [this, socket = QPointer<QTcpSocket>(socket)](const QByteArray& answer) {
                if (!socket || socket->state() != QAbstractSocket::ConnectedState) return;
                socket->write(answer);
                // The answer leaves now, not when the event loop next comes round: during a read of the line
                // that may be a pump's slice later.
                socket->flush();
                if (socket->bytesToWrite() > MAX_UNREAD) {
                    // The client asks and never reads: it goes, before its answers fill the memory.
                    Drop(socket, "does not read its answers: closed");
                    Forget(socket);
                }
            });
        m_clients.push_back(std::move(client));
        socket->setReadBufferSize(READ_BUFFER);
        connect(socket, &QTcpSocket::readyRead, this, [this, c] { Take(c); });
        // A client held back by its waiting commands is read on as they run.
        c->session->SetCommandDone([this, session = c->session.get()] {
            if (Client* k = Find(session)) TakeLater(k);
        });
        // A client may send its last commands and leave at once ("SYST:EXIT", then close): what it sent
        // still runs, in its order, and its session goes after that; the answers go nowhere.
        connect(socket, &QTcpSocket::disconnected, this, [this, socket, c] {
            c->gone = true;
            socket->disconnect(this);
            Feed(c, socket->readAll());  // at most what the socket held back
            socket->deleteLater();
            c->session->WhenIdle([this, c] {
                QMetaObject::invokeMethod(
                    this, [this, c] { std::erase_if(m_clients, [c](const auto& k) { return k.get() == c; }); },
                    Qt::QueuedConnection);
            });
        });
    }
}

int RemoteServer::Clients() const {
    // A client that has left frees its slot at once, while its last commands still run.
    return static_cast<int>(std::count_if(m_clients.begin(), m_clients.end(), [](const auto& c) {
        return c->live && !c->gone && !PeerLeft(*c->live);
    }));
}

std::size_t RemoteServer::Queued() const {
    std::size_t n = 0;
    for (const auto& c : m_clients) n += c->session->Pending();
    return n;
}

RemoteServer::Client* RemoteServer::Find(const ScpiSession* session) const {
    for (const auto& k : m_clients)
        if (k->session.get() == session) return k.get();
    return nullptr;
}

bool RemoteServer::MoreToTake(const Client* c) {
    return c->live && c->live->bytesAvailable() > 0 && c->session->Pending() < MAX_QUEUED;
}

void RemoteServer::Take(Client* c) {
    if (!c->taking && MoreToTake(c)) {
        // The commands of the bytes being taken run (and end) while they are taken.
        c->taking = true;
        Feed(c, c->live->read(TAKE_CHUNK));
        c->taking = false;
    }
    TakeLater(c);
}

// The rest at the event loop's next turn: the other clients and the line are served between chunks.
void RemoteServer::TakeLater(Client* c) {
    if (c->takeQueued || !MoreToTake(c)) return;
    c->takeQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this, session = c->session.get()] {
            if (Client* k = Find(session)) {
                k->takeQueued = false;
                Take(k);
            }
        },
        Qt::QueuedConnection);
}

void RemoteServer::Feed(Client* c, const QByteArray& bytes) {
    // The session may be gone by the time a line of it ran: a weak reference decides.
    std::weak_ptr<ScpiSession> session = c->session;
    c->framer.Feed(
        bytes,
        [session](const QByteArray& line) {
            if (auto s = session.lock()) s->Receive(line);
        },
        [session] {
            if (auto s = session.lock()) s->Refuse(-223, QStringLiteral("a line longer than 64 KiB"));
        });
}

}  // namespace tk
