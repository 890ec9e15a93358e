#include "import/ImportSource.h"

#include "import/CatalogueFile.h"
#include "import/CatalogueRecordSource.h"
#include "import/CsvRecordSource.h"
#include "import/JetRecordSource.h"
#include "import/JetVerdict.h"
#include "import/ServerRecordSource.h"
#include "stores/StoreFactory.h"

#include <QDir>
#include <QFileInfo>

ImportSource importSourceFor(const QString &path, const QString &jetReaderProgram)
{
    ImportSource result;
    if (namesServer(path)) {
        result.source = std::make_unique<ServerRecordSource>(path);
        return result;
    }
    const QString shown = QDir::toNativeSeparators(path);
    const CatalogueFile file = inspectCatalogueFile(path);
    switch (file.kind) {
    case CatalogueFile::Unreadable:
        result.refusal = QFileInfo::exists(path) ? QStringLiteral("The file \"%1\" cannot be read.").arg(shown)
                                                 : QStringLiteral("The file \"%1\" does not exist.").arg(shown);
        break;
    case CatalogueFile::NotRegular:
        result.refusal = QStringLiteral("\"%1\" is not a file.").arg(shown);
        break;
    case CatalogueFile::Empty:
        result.refusal = QStringLiteral("The file \"%1\" is empty.").arg(shown);
        break;
    case CatalogueFile::Jet: {
        result.isWindowsCatalogue = true;
        const JetVerdict verdict = judgeJetFile(path, file);
        if (verdict.convertible)
            result.source = std::make_unique<JetRecordSource>(path, jetReaderProgram, jetReaderLimitsFor(file.size));
        else
            result.refusal = verdict.refusal;
        break;
    }
    case CatalogueFile::Sqlite:
        result.source = std::make_unique<CatalogueRecordSource>(path);
        break;
    case CatalogueFile::Other:
        result.source = std::make_unique<CsvRecordSource>(path);
        break;
    }
    return result;
}
