#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QLocalServer;

// One running instance per user: the first claims a local socket; a later start
// asks it to bring its window to the front and then ends.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(const QString &name, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this process is now the running instance.
    bool claim();
    // Asks the running instance to activate its window on behalf of this
    // start (the launcher's token, if any); true when it answered.
    bool activateRunning(const QByteArray &launchToken = {});

    // The socket's path: in $XDG_RUNTIME_DIR when it is the user's private
    // folder, else in a private folder in the user's cache; empty without one.
    static QString serverNameFor(const QString &name);

signals:
    void activationRequested(const QByteArray &launchToken);

private:
    QString serverName_;
    QLocalServer *server_ = nullptr;
};
