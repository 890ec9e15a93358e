#include "forms/history/FrmHistory.h"

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
// Version, time, user and change come before the fields.
constexpr int FirstFieldColumn = 4;

QString shownTime(const QString &utc)
{
    if (utc.isEmpty())
        return QStringLiteral("before history was kept");
    return QLocale::system().toString(QDateTime::fromString(utc, Qt::ISODate).toLocalTime(), QLocale::ShortFormat);
}

QTableWidgetItem *cell(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

}

FrmHistory::FrmHistory(const QString &job, std::vector<RecordVersion> versions, const QStringList &fields,
                       Form1 *window)
    : QDialog(window), job_(job), fields_(fields), versions_(std::move(versions)), window_(window)
{
    setObjectName(QStringLiteral("FrmHistory"));
    setWindowTitle(QStringLiteral("History"));
    QStringList headers{QStringLiteral("Version"), QStringLiteral("Time"), QStringLiteral("User"),
                        QStringLiteral("Change")};
    for (const QString &field : fields) {
        const auto known = std::ranges::find_if(
            CatalogueFields, [&](const CatalogueField &f) { return field == QLatin1String(f.field); });
        headers << (known != CatalogueFields.end() ? QString::fromLatin1(known->caption) : field);
    }
    GridVersions = GridDialog::makeGrid(this, "GridVersions", QStringLiteral("Versions of the job"), headers);
    fill(fields);
    connect(
        GridDialog::layOut(this, GridVersions, "CmdRestore", QStringLiteral("Restore this version"), QSize(900, 360)),
        &QPushButton::clicked, this, &FrmHistory::CmdRestore_Click);
}

void FrmHistory::fill(const QStringList &fields)
{
    GridVersions->setRowCount(int(versions_.size()));
    for (int row = 0; row < int(versions_.size()); ++row) {
        const RecordVersion &version = versions_[size_t(row)];
        // Newest first: the version before is the next row.
        const RecordVersion *before = row + 1 < int(versions_.size()) ? &versions_[size_t(row) + 1] : nullptr;
        const QStringList lead{QString::number(version.number), shownTime(version.time), version.user, version.change};
        for (int column = 0; column < FirstFieldColumn; ++column)
            GridVersions->setItem(row, column, cell(lead[column]));
        for (size_t field = 0; field < version.values.size() && field < size_t(fields.size()); ++field) {
            QTableWidgetItem *item = cell(version.values[field].toString());
            if (before && field < before->values.size() && before->values[field] != version.values[field]) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
                item->setBackground(palette().color(QPalette::Highlight).lighter(180));
                item->setToolTip(QStringLiteral("Changed in this version"));
            }
            GridVersions->setItem(row, FirstFieldColumn + int(field), item);
        }
    }
}

void FrmHistory::CmdRestore_Click()
{
    const int row = GridVersions->currentRow();
    if (row < 0 || row >= int(versions_.size()))
        return;
    QPushButton *update = RecordBoxes::updateButtonUnlocked(window_);
    if (!update)
        return;
    Recordset &rs = DataEnvironment1::instance().rsConJobnr;
    // A version stored since the list was read is shown before anything is stored over it.
    if (std::optional<std::vector<RecordVersion>> now = rs.versions(job_); now && now->size() != versions_.size()) {
        versions_ = std::move(*now);
        fill(fields_);
        MsgBox(QStringLiteral("Job %1 was changed since this list was read; the list now shows that version too. "
                              "Choose the version to restore again.")
                   .arg(job_),
               MsgIcon::Information);
        return;
    }
    const RecordVersion &version = versions_[size_t(row)];
    RecordBoxes::type(window_, rs.fields(), version.values);
    if (!rs.editPending()) {
        MsgBox(QStringLiteral("Version %1 is the record as it stands.").arg(version.number), MsgIcon::Information);
        return;
    }
    if (RecordBoxes::storeAsRestore(update))
        accept();
}

void FrmHistory::showFor(Form1 *window)
{
    Recordset &rs = DataEnvironment1::instance().rsConJobnr;
    const QString job = rs.value(QString::fromLatin1(JobNumberField)).toString();
    std::optional<std::vector<RecordVersion>> versions = rs.versions(job);
    if (!versions) {
        MsgBox(rs.lastError(), MsgIcon::Information);
        return;
    }
    if (versions->empty()) {
        MsgBox(QStringLiteral("The catalogue keeps no earlier version of job %1: it has not been changed since "
                              "history was kept.")
                   .arg(job),
               MsgIcon::Information);
        return;
    }
    FrmHistory history(job, std::move(*versions), rs.fields(), window);
    history.exec();
}
