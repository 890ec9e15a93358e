#include "forms/history/FrmDeleted.h"

#include "catalogue/CatalogueFields.h"
#include "catalogue/DataEnvironment1.h"
#include "desktop/MsgBox.h"
#include "forms/history/GridDialog.h"
#include "forms/history/RecordBoxes.h"
#include "forms/record/Form1.h"

#include <QDateTime>
#include <QPushButton>
#include <QTableWidget>

namespace {
QString valueOf(const RecordVersion &record, const QStringList &fields, const char *field)
{
    const qsizetype column = fields.indexOf(QLatin1String(field));
    return column >= 0 && size_t(column) < record.values.size() ? record.values[size_t(column)].toString() : QString();
}
}

FrmDeleted::FrmDeleted(std::vector<RecordVersion> records, const QStringList &fields, Form1 *window)
    : QDialog(window), records_(std::move(records)), fields_(fields), window_(window)
{
    setObjectName(QStringLiteral("FrmDeleted"));
    setWindowTitle(QStringLiteral("Deleted Records"));
    const QStringList headers{QStringLiteral("Job Number"), QStringLiteral("Project Name"), QStringLiteral("Deleted"),
                              QStringLiteral("By")};
    GridDeleted = GridDialog::makeGrid(this, "GridDeleted", QStringLiteral("Deleted records"), headers);
    GridDeleted->setRowCount(int(records_.size()));
    for (int row = 0; row < int(records_.size()); ++row) {
        const RecordVersion &record = records_[size_t(row)];
        const QStringList cells{
            valueOf(record, fields_, JobNumberField), valueOf(record, fields_, "ProjectName"),
            QLocale::system().toString(QDateTime::fromString(record.time, Qt::ISODate).toLocalTime(),
                                       QLocale::ShortFormat),
            record.user};
        for (int column = 0; column < int(cells.size()); ++column)
            GridDeleted->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    connect(GridDialog::layOut(this, GridDeleted, "CmdUndelete", QStringLiteral("Undelete"), QSize(640, 320)),
            &QPushButton::clicked, this, &FrmDeleted::CmdUndelete_Click);
}

void FrmDeleted::CmdUndelete_Click()
{
    const int row = GridDeleted->currentRow();
    if (row < 0 || row >= int(records_.size()))
        return;
    QPushButton *update = RecordBoxes::updateButtonUnlocked(window_);
    if (!update)
        return;
    const RecordVersion &record = records_[size_t(row)];
    const QString job = valueOf(record, fields_, JobNumberField);
    // Add gives the box the next free number; the record's own is kept when free.
    const bool taken = DataEnvironment1::instance().rsConJobnr.holdsSortKey(job);
    if (taken
        && !MsgBoxYesNo(QStringLiteral("The job number %1 is held by another record now. Store the deleted record "
                                       "under the next free job number?")
                            .arg(job)))
        return;
    window_->findChild<QPushButton *>(QStringLiteral("CmdAdd"))->click();
    if (!DataEnvironment1::instance().rsConJobnr.adding())
        return; // the Add said why
    RecordBoxes::type(window_, fields_, record.values, taken);
    if (RecordBoxes::storeAsRestore(update))
        accept();
}

void FrmDeleted::showFor(Form1 *window)
{
    Recordset &rs = DataEnvironment1::instance().rsConJobnr;
    std::optional<std::vector<RecordVersion>> records = rs.deletedRecords();
    if (!records) {
        MsgBox(rs.lastError(), MsgIcon::Information);
        return;
    }
    if (records->empty()) {
        MsgBox(QStringLiteral("No deleted record is waiting to be undeleted in this catalogue."), MsgIcon::Information);
        return;
    }
    FrmDeleted deleted(std::move(*records), rs.fields(), window);
    deleted.exec();
}
