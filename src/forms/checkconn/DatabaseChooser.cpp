// "Set Database" and "Set Database Server" of the tray menu: the user picks a
// catalogue file or types a server's address, and the check window decides.
#include "forms/tray/FrmMenu.h"

#include "catalogue/DataEnvironment1.h"
#include "desktop/FileDialog.h"
#include "desktop/MsgBox.h"
#include "forms/checkconn/FrmCheckConn.h"
#include "forms/convert/CatalogueLocation.h"
#include "forms/record/Form1.h"
#include "stores/StoreFactory.h"
#include "stores/postgres/PgStore.h"

#include <QFileInfo>
#include <QInputDialog>
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
    checkChosen(catalogue.location);
}

void FrmMenu::MnuLocateServer_Click()
{
    const QString current = DataEnvironment1::instance().Connection1.ConnectionString;
    bool accepted = false;
    const QString address =
        QInputDialog::getText(Forms::Loaded<Form1>(), QStringLiteral("Morvo II"),
                              QStringLiteral("Address of a catalogue on a PostgreSQL server\n"
                                             "(postgresql://user@host/database or service=name):"),
                              QLineEdit::Normal, namesServer(current) ? current : QStringLiteral("postgresql://"),
                              &accepted)
            .trimmed();
    if (!accepted || address.isEmpty())
        return;
    if (!namesServer(address)) {
        MsgBox(QStringLiteral("\"%1\" is not the address of a PostgreSQL server: it begins with postgresql://, "
                              "postgres:// or service=.")
                   .arg(address),
               MsgIcon::Exclamation);
        return;
    }
    // The address is kept in the settings file, which is no place for a password.
    if (PgStore::holdsPassword(address)) {
        MsgBox(QStringLiteral("Morvo II never keeps a password. Leave it out of the address: put it in "
                              "~/.pgpass, or type it when the server asks for it."),
               MsgIcon::Exclamation);
        return;
    }
    checkChosen(address);
}

// The check window turns its spinner while the catalogue is checked off the
// window's thread, and then decides.
void FrmMenu::checkChosen(const QString &location)
{
    ChosenPath = location;
    FrmCheckConn *check = Forms::Get<FrmCheckConn>();
    check->startCheck(ChosenPath);
    check->show();
}
