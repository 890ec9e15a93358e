#include "import/NewCatalogue.h"

#include "import/FilePlacement.h"
#include "program/ProgramFacts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
constexpr int MaxNames = 1000;
}

namespace NewCatalogue {

QString userDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u'/'
        + QString::fromLatin1(ProgramFacts::UserDataFolderName);
}

QString folderFor(const QString &original, const QString &dataFolder, bool *inDataFolder)
{
    int errorNumber = 0;
    const QString probe = FilePlacement::createTemporaryBeside(original, &errorNumber);
    *inDataFolder = probe.isEmpty();
    if (probe.isEmpty()) {
        QDir().mkpath(dataFolder);
        return dataFolder;
    }
    QFile::remove(probe);
    return QFileInfo(original).absolutePath();
}

SqliteCatalogueWriter::Names namesFor(const QString &original, const QString &folder)
{
    const QString name = QFileInfo(original).completeBaseName();
    return [name, folder](int attempt) {
        if (attempt >= MaxNames)
            return QString();
        const QString mark =
            attempt == 0 ? QStringLiteral("converted") : QStringLiteral("converted %1").arg(attempt + 1);
        return QDir(folder).filePath(QStringLiteral("%1 (%2).res").arg(name, mark));
    };
}
}
