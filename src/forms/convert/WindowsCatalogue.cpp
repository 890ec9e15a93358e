#include "forms/convert/WindowsCatalogue.h"

#include "catalogue/CatalogueFields.h"
#include "catalogue/FieldValues.h"
#include "desktop/AppPaths.h"
#include "desktop/MsgBox.h"
#include "desktop/Settings.h"
#include "drawingpaths/DrawingPaths.h"
#include "forms/convert/ConversionProgress.h"
#include "forms/drawingfolders/FrmDrawingFolders.h"
#include "forms/record/Form1.h"
#include "import/CatalogueFile.h"
#include "import/JetReaderProtocol.h"
#include "import/JetRecordSource.h"
#include "import/JetVerdict.h"
#include "import/NewCatalogue.h"
#include "program/ProgramFacts.h"

#include <QDir>

namespace {
const QString Question = QStringLiteral("This catalogue was made by the Windows version of Morvo II. Make a copy that "
                                        "this version can use? The original file stays as it is.");
const QString FoldersQuestion = QStringLiteral(
    "The drawing paths of the converted catalogue are Windows paths that do not lead to drawings on this "
    "computer yet. Tell the program where their drives and shares are now (Drawing Folders)?");
// Enough drawing paths to tell whether the drives and shares are set up.
constexpr int PathsLookedAt = 200;

void storeLocation(const QString &path)
{
    saveSetting(SettingsKeys::DbsLocation, path);
}

// What the user should know about a finished conversion: where the copy went
// when not beside the original, and what was left out.
void tellAboutTheCopy(const ConversionResult &result, bool inDataFolder)
{
    QStringList lines = result.notes;
    if (inDataFolder)
        lines.prepend(QStringLiteral("The folder of the Windows catalogue cannot be written, so the copy was made in "
                                     "your data folder:\r\n%1")
                          .arg(QDir::toNativeSeparators(result.target)));
    if (!lines.isEmpty())
        MsgBox(lines.join(QStringLiteral("\r\n")), MsgIcon::Information);
}
}

bool isWindowsCatalogue(const QString &location)
{
    return inspectCatalogueFile(location).kind == CatalogueFile::Jet;
}

PreparedCatalogue convertWindowsCatalogue(const QString &location)
{
    const CatalogueFile file = inspectCatalogueFile(location);
    const JetVerdict verdict = judgeJetFile(location, file);
    if (!verdict.convertible)
        return {PreparedCatalogue::Refused, location, verdict.refusal};
    if (!MsgBoxYesNo(Question))
        return {PreparedCatalogue::Declined, location,
                QStringLiteral("The catalogue \"%1\" was made by the Windows version of Morvo II and has not been "
                               "converted.")
                    .arg(QDir::toNativeSeparators(location))};

    bool inDataFolder = false;
    const QString folder = NewCatalogue::folderFor(location, NewCatalogue::userDataFolder(), &inDataFolder);
    const QString reader = AppPaths::helperProgram(QString::fromLatin1(JetReaderProtocol::ProgramName));
    auto pathsUnresolved = std::make_shared<bool>(false);
    const ConversionResult result = runWithProgress(
        [=](const std::atomic<bool> &cancelled, const ConversionProgress &progress) {
            JetRecordSource source(location, reader, jetReaderLimitsFor(file.size));
            auto writer = SqliteCatalogueWriter::newCatalogue(NewCatalogue::namesFor(location, folder));
            ConversionResult converted = convertRecords(source, *writer, cancelled, progress);
            if (converted.outcome == ConversionResult::Done)
                *pathsUnresolved = DrawingPaths::someWindowsPathsUnresolved(
                    distinctFieldValues(converted.target, QLatin1String(DrawingPathField)).value_or(QStringList()),
                    PathsLookedAt);
            return converted;
        },
        Forms::Loaded<Form1>());
    if (result.outcome == ConversionResult::Cancelled)
        return {PreparedCatalogue::Declined, location,
                QStringLiteral("The conversion of the catalogue \"%1\" was cancelled.")
                    .arg(QDir::toNativeSeparators(location))};
    if (result.outcome == ConversionResult::Failed)
        return {PreparedCatalogue::Refused, location, result.error};
    storeLocation(result.target);
    tellAboutTheCopy(result, inDataFolder);
    if (*pathsUnresolved && MsgBoxYesNo(FoldersQuestion))
        FrmDrawingFolders(result.target, Forms::Loaded<Form1>()).exec();
    return {PreparedCatalogue::Converted, result.target, QString()};
}
