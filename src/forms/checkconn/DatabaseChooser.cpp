// "Set Database" of the tray menu: the user picks a catalogue, the test
// connection opens it, and the check window decides on its timer.
#include "forms/tray/FrmMenu.h"

#include "catalogue/DataEnvironment1.h"
#include "desktop/FileDialog.h"
#include "desktop/MsgBox.h"
#include "forms/checkconn/FrmCheckConn.h"
#include "forms/convert/CatalogueLocation.h"
#include "forms/record/Form1.h"

#include <QFileInfo>
#include <QLineEdit>

void FrmMenu::MnuLocate_Click()
{
    // The dialog opens in the folder of the catalogue in use.
    const QString current = DataEnvironment1::instance().Connection1.ConnectionString;
    const FileDialogRequest request{QStringLiteral("Morvo II"), QStringLiteral("*.res"),
                                    QStringLiteral("Database (*.res)"), QFileInfo(current).absolutePath()};
    const std::optional<QString> chosen = ShowOpenDialog(request, Forms::Loaded<Form1>());
    if (!chosen)
        return;
    // A Windows catalogue is converted first; one that cannot be is refused
    // here and then fails the check below like any catalogue that cannot be opened.
    const PreparedCatalogue catalogue = prepareCatalogue(*chosen);
    if (catalogue.outcome == PreparedCatalogue::Refused)
        MsgBox(catalogue.reason, MsgIcon::Exclamation);
    ChosenPath = catalogue.location;
    // The check window turns its spinner while the catalogue is checked
    // off the window's thread, and then decides.
    FrmCheckConn *check = Forms::Get<FrmCheckConn>();
    check->startCheck(ChosenPath);
    check->show();
}
