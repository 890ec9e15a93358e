#include "desktop/SingleInstance.h"

#include "program/ProgramFacts.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// "activate", then a blank and the launcher's token where there is one.
constexpr char ActivateRequest[] = "activate";
constexpr int ConnectTimeoutMs = 300;

// A folder no one but this user can enter: a real folder (no link), the
// user's own, closed to everyone else.
bool isPrivateFolder(const QString &path)
{
    struct stat status;
    return !path.isEmpty() && lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISDIR(status.st_mode)
        && status.st_uid == getuid() && (status.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

// Another user must not be able to take the socket's name first: it lives in
// the user's runtime folder or, where there is none, in a folder of the
// user's own, never in a shared one such as /tmp.
QString privateSocketFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (isPrivateFolder(runtime))
        return runtime;
    const QString own = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + u'/'
        + QString::fromLatin1(ProgramFacts::UserDataFolderName);
    if (QDir().mkpath(own))
        chmod(QFile::encodeName(own).constData(), S_IRWXU);
    return isPrivateFolder(own) ? own : QString();
}
}

QString SingleInstance::serverNameFor(const QString &name)
{
    const QString folder = privateSocketFolder();
    return folder.isEmpty() ? QString() : folder + u'/' + name;
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
    if (serverName_.isEmpty())
        return true; // no private folder: run without the guard rather than not at all
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
                if (!peer->canReadLine())
                    return;
                const QList<QByteArray> words = peer->readLine().trimmed().split(' ');
                if (words.first() == ActivateRequest)
                    emit activationRequested(words.value(1));
                peer->disconnectFromServer();
            });
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        }
    });
    return true;
}

bool SingleInstance::activateRunning(const QByteArray &launchToken)
{
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(ConnectTimeoutMs))
        return false;
    QByteArray request = ActivateRequest;
    if (!launchToken.isEmpty())
        request += ' ' + launchToken;
    socket.write(request + '\n');
    socket.flush();
    socket.waitForBytesWritten(ConnectTimeoutMs);
    socket.waitForDisconnected(ConnectTimeoutMs);
    return true;
}
