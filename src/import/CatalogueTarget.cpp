#include "import/CatalogueTarget.h"

#include "import/CatalogueFile.h"
#include "import/ServerCatalogueWriter.h"
#include "import/SqliteCatalogueWriter.h"
#include "stores/StoreFactory.h"

#include <QDir>
#include <QFileInfo>

namespace {
CatalogueTarget intoCatalogueFile(const QString &given)
{
    const QString location = QFileInfo(given).absoluteFilePath();
    const QString shown = QDir::toNativeSeparators(location);
    if (!QFileInfo::exists(location)) {
        auto writer = SqliteCatalogueWriter::newCatalogue([location](int attempt) {
            return attempt == 0 ? location : QString(); // never over a file made meanwhile
        });
        return {std::move(writer), QString()};
    }
    switch (inspectCatalogueFile(location).kind) {
    case CatalogueFile::Sqlite:
        return {SqliteCatalogueWriter::addTo(location), QString()};
    case CatalogueFile::Jet:
        return {nullptr,
                QStringLiteral("\"%1\" is a catalogue of the Windows version: records can only be added to "
                               "catalogues of this version (convert it first).")
                    .arg(shown)};
    default:
        return {nullptr,
                QStringLiteral("\"%1\" is no catalogue; records are never written over another file.").arg(shown)};
    }
}

// Never a file named after the address: a server is no folder.
CatalogueTarget intoServer(const QString &location)
{
    return {std::make_unique<ServerCatalogueWriter>(location), QString()};
}

struct TargetKind
{
    bool (*names)(const QString &location);
    CatalogueTarget (*open)(const QString &location);
};

// Asked in order; the last row takes every location.
constexpr TargetKind TargetKinds[] = {
    {namesServer, intoServer},
    {[](const QString &) { return true; }, intoCatalogueFile},
};
}

CatalogueTarget catalogueTargetFor(const QString &location)
{
    for (const TargetKind &kind : TargetKinds) {
        if (kind.names(location))
            return kind.open(location);
    }
    return {};
}
