#pragma once

#include "stores/CatalogueStore.h"

#include <QDialog>

class Form1;
class QTableWidget;

// "History": every version the catalogue keeps of the job on screen, newest
// first, each field that changed against the version before it in bold on a
// tinted ground. "Restore this version" puts the chosen version into the
// record window's boxes and stores it as any store is stored: someone else's
// change meanwhile is the user's decision (one stored since the list was read
// is shown first), and a locked window refuses.
class FrmHistory : public QDialog
{
    Q_OBJECT
public:
    FrmHistory(const QString &job, std::vector<RecordVersion> versions, const QStringList &fields, Form1 *window);

    // Reads the versions of the job on screen and shows them, modal; says why
    // when there are none.
    static void showFor(Form1 *window);

    void CmdRestore_Click();

    QTableWidget *GridVersions = nullptr;

private:
    void fill(const QStringList &fields);

    QString job_;
    QStringList fields_;
    std::vector<RecordVersion> versions_;
    Form1 *window_;
};
