#include "drawingpaths/ShareMounts.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QUrl>

namespace {
constexpr char DefaultMountTable[] = "/proc/self/mounts";
const QStringList ShareTypes{QStringLiteral("cifs"), QStringLiteral("smb3"), QStringLiteral("smbfs")};

QMutex &pathLock()
{
    static QMutex lock;
    return lock;
}

QString &mountTablePath()
{
    static QString path;
    return path;
}

// The mount table writes blanks, tabs, line breaks and backslashes as \ooo.
QString unescapeMountField(const QByteArray &field)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                bytes += char(code);
                i += 3;
                continue;
            }
        }
        bytes += field[i];
    }
    return QFile::decodeName(bytes);
}

// "smb-share:server=fs1,share=drawings,user=bob" → its keys and values.
QHash<QString, QString> gvfsKeys(const QString &name)
{
    QHash<QString, QString> keys;
    for (const QString &pair : name.section(u':', 1).split(u',')) {
        const QString key = pair.section(u'=', 0, 0), value = pair.section(u'=', 1);
        keys.insert(key, QUrl::fromPercentEncoding(value.toUtf8()));
    }
    return keys;
}
}

namespace ShareMounts {

QList<DrawingFolder> fromMountTable(const QByteArray &text)
{
    QList<DrawingFolder> rows;
    for (const QByteArray &line : text.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 3 || !ShareTypes.contains(QString::fromLatin1(fields[2])))
            continue;
        const QString source = unescapeMountField(fields[0]);
        if (source.startsWith(QLatin1String("//")))
            rows.append({source, unescapeMountField(fields[1])});
    }
    return rows;
}

QList<DrawingFolder> fromGvfsFolder(const QString &folder)
{
    QList<DrawingFolder> rows;
    const QStringList names =
        QDir(folder).entryList({QStringLiteral("smb-share:*")}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const QHash<QString, QString> keys = gvfsKeys(name);
        const QString server = keys.value(QStringLiteral("server")), share = keys.value(QStringLiteral("share"));
        if (!server.isEmpty() && !share.isEmpty())
            rows.append({QStringLiteral("//%1/%2").arg(server, share), QDir(folder).filePath(name)});
    }
    return rows;
}

QList<DrawingFolder> current()
{
    QString path;
    {
        QMutexLocker locker(&pathLock());
        path = mountTablePath().isEmpty() ? QString::fromLatin1(DefaultMountTable) : mountTablePath();
    }
    QFile table(path);
    QList<DrawingFolder> rows;
    if (table.open(QIODevice::ReadOnly))
        rows = fromMountTable(table.readAll());
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        rows += fromGvfsFolder(runtime + QStringLiteral("/gvfs"));
    return rows;
}

void setMountTablePath(const QString &path)
{
    QMutexLocker locker(&pathLock());
    mountTablePath() = path;
}
}
