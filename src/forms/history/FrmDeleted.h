#pragma once

#include "stores/CatalogueStore.h"

#include <QDialog>

class Form1;
class QTableWidget;

// "Deleted Records": the records of the catalogue deleted and not stored
// again, newest deletion first, with when and by whom. "Undelete" adds the
// chosen one as a new record through the record window, under its own job
// number, or, when another record holds that now and the user agrees, under
// the next free one.
class FrmDeleted : public QDialog
{
    Q_OBJECT
public:
    FrmDeleted(std::vector<RecordVersion> records, const QStringList &fields, Form1 *window);

    // Reads the deleted records and shows them, modal; says why when there are none.
    static void showFor(Form1 *window);

    void CmdUndelete_Click();

    QTableWidget *GridDeleted = nullptr;

private:
    std::vector<RecordVersion> records_;
    QStringList fields_;
    Form1 *window_;
};
