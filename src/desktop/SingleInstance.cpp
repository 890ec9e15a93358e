#include "desktop/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

namespace {
constexpr char ActivateRequest[] = "activate\n";
constexpr int ConnectTimeoutMs = 300;
}

QString SingleInstance::serverNameFor(const QString &name)
{
    return QStringLiteral("%1-%2").arg(name).arg(getuid());
}

SingleInstance::SingleInstance(const QString &name, QObject *parent) : QObject(parent), serverName_(serverNameFor(name))
{
}

SingleInstance::~SingleInstance()
{
    if (server_)
        server_->close();
}

bool SingleInstance::claim()
{
    {
        QLocalSocket probe;
        probe.connectToServer(serverName_);
        if (probe.waitForConnected(ConnectTimeoutMs))
            return false;
        // Only a refused connection means the socket is stale: a busy instance
        // that is slow to answer still owns the name.
    }
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(serverName_)) {
        QLocalServer::removeServer(serverName_);
        if (!server_->listen(serverName_))
            return true; // run without the single-instance guard rather than not at all
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *peer = server_->nextPendingConnection()) {
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                if (peer->readAll().contains("activate"))
                    emit activationRequested();
                peer->disconnectFromServer();
            });
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        }
    });
    return true;
}

bool SingleInstance::activateRunning()
{
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(ConnectTimeoutMs))
        return false;
    socket.write(ActivateRequest);
    socket.flush();
    socket.waitForBytesWritten(ConnectTimeoutMs);
    socket.waitForDisconnected(ConnectTimeoutMs);
    return true;
}
