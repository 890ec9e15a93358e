// "Set Database" of the tray menu: the user picks a catalogue, the test
// connection opens it, and the check window decides on its timer.
#include "forms/tray/FrmMenu.h"

#include "catalogue/DataEnvironment1.h"
#include "desktop/FileDialog.h"
#include "desktop/MsgBox.h"
#include "forms/checkconn/FrmCheckConn.h"
#include "forms/convert/CatalogueLocation.h"
#include "forms/record/Form1.h"

#include <QCoreApplication>
#include <QLineEdit>

void FrmMenu::MnuLocate_Click()
{
    const FileDialogRequest request{QStringLiteral("Morvo II"), QStringLiteral("*.res"),
                                    QStringLiteral("Database (*.res)")};
    const std::optional<QString> chosen = ShowOpenDialog(request, Forms::Loaded<Form1>());
    if (!chosen)
        return;
    // A Windows catalogue is converted first; one that cannot be is never opened.
    const PreparedCatalogue catalogue = prepareCatalogue(*chosen);
    if (catalogue.outcome == PreparedCatalogue::Refused)
        MsgBox(catalogue.reason, MsgIcon::Exclamation);
    ChosenPath = catalogue.location;

    // Failures here leave the test set closed; the check window reports them.
    DataEnvironment1 &environment = DataEnvironment1::instance();
    if (catalogue.usable()) {
        environment.ConnTest.ConnectionString = ChosenPath;
        environment.ConnTest.Open();
        environment.rsTest.Open();
    }
    QCoreApplication::processEvents();

    Forms::Get<FrmCheckConn>()->Text1->setText(ChosenPath);
    Forms::Get<FrmCheckConn>()->show();
}
