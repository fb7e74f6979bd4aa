#pragma once

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPair>
#include <QTcpServer>
#include <memory>
#include <optional>

#include "LineFramer.h"
#include "RemoteTarget.h"

class QTcpSocket;

namespace tk {

class ScpiSession;

struct RemoteOptions {
    QHostAddress address = QHostAddress::LocalHost;
    quint16 port = 5025;
    // Who may connect; empty: anyone who can reach the address (only the machine itself on loopback).
    QList<QPair<QHostAddress, int>> allowed;
    QString folder;  // MMEM names are taken inside it
};

// The address of --remote [ADDRESS:]PORT: an IPv4 or IPv6 address, an IPv6 one also in brackets ("[::1]"),
// or "localhost"; nullopt for anything else.
std::optional<QHostAddress> ListenAddress(QString text);

// The SCPI server on a raw TCP socket: at most MAX_CLIENTS at once, each with its own session.
class RemoteServer final : public QObject {
    Q_OBJECT
public:
    static constexpr int MAX_CLIENTS = 4;
    // Answers a client leaves unread beyond this end its connection.
    static constexpr qint64 MAX_UNREAD = 16 * 1024 * 1024;
    // A client with this many commands waiting is not read from until they have run: its bytes stay with
    // the operating system, whose window makes the client wait, instead of filling the memory.
    static constexpr std::size_t MAX_QUEUED = 1000;
    static constexpr qint64 READ_BUFFER = 64 * 1024;
    // Taken at a time, so that the waiting commands overshoot their bound by little.
    static constexpr qint64 TAKE_CHUNK = 4096;

    RemoteServer(RemoteTarget& target, RemoteOptions options, QObject* parent = nullptr);
    ~RemoteServer() override;

    bool Listen(QString* error);
    quint16 Port() const { return m_server.serverPort(); }
    // Clients connected now.
    int Clients() const;
    // Commands received from the clients and not yet run.
    std::size_t Queued() const;

private:
    struct Client;
    void Accept();
    Client* Find(const ScpiSession* session) const;
    static bool MoreToTake(const Client* c);
    void Take(Client* c);
    void TakeLater(Client* c);
    void Feed(Client* c, const QByteArray& bytes);
    void Drop(QTcpSocket* socket, const char* why);
    void Forget(QTcpSocket* socket);
    bool Allowed(const QHostAddress& peer) const;

    RemoteTarget& m_target;
    RemoteOptions m_options;
    QTcpServer m_server;
    std::vector<std::unique_ptr<Client>> m_clients;
};

}  // namespace tk
