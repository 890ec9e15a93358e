#include "forms/history/FrmHistory.h"

#include "catalogue/CatalogueFields.h"
#include "catalogue/DataEnvironment1.h"
#include "desktop/MsgBox.h"
#include "forms/record/Form1.h"
#include "widgets/ScreenPlace.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

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

// Puts the text in the record window's box for the field, as typing would.
void typeInto(Form1 *window, const char *box, const QString &text)
{
    QWidget *widget = window->findChild<QWidget *>(QString::fromLatin1(box));
    if (auto *line = qobject_cast<QLineEdit *>(widget); line && line->text() != text)
        line->setText(text);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(widget); plain && plain->toPlainText() != text)
        plain->setPlainText(text);
}
}

FrmHistory::FrmHistory(std::vector<RecordVersion> versions, const QStringList &fields, Form1 *window)
    : QDialog(window), versions_(std::move(versions)), window_(window)
{
    setObjectName(QStringLiteral("FrmHistory"));
    setWindowTitle(QStringLiteral("History"));
    GridVersions = new QTableWidget(0, FirstFieldColumn + int(fields.size()), this);
    GridVersions->setObjectName(QStringLiteral("GridVersions"));
    GridVersions->setAccessibleName(QStringLiteral("Versions of the job"));
    GridVersions->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridVersions->setSelectionMode(QAbstractItemView::SingleSelection);
    fill(fields);

    auto *restore = new QPushButton(QStringLiteral("Restore this version"), this);
    restore->setObjectName(QStringLiteral("CmdRestore"));
    connect(restore, &QPushButton::clicked, this, &FrmHistory::CmdRestore_Click);
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("CmdClose"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(restore);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(GridVersions, 1);
    layout->addLayout(buttons);
    resize(ScreenPlace::fittedToScreen(this, QSize(900, 360)));
}

void FrmHistory::fill(const QStringList &fields)
{
    QStringList headers{QStringLiteral("Version"), QStringLiteral("Time"), QStringLiteral("User"),
                        QStringLiteral("Change")};
    for (const QString &field : fields) {
        const auto known = std::ranges::find_if(
            CatalogueFields, [&](const CatalogueField &f) { return field == QLatin1String(f.field); });
        headers << (known != CatalogueFields.end() ? QString::fromLatin1(known->caption) : field);
    }
    GridVersions->setHorizontalHeaderLabels(headers);
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
    GridVersions->resizeColumnsToContents();
    GridVersions->horizontalHeader()->setStretchLastSection(true);
    if (!versions_.empty())
        GridVersions->selectRow(0);
}

void FrmHistory::CmdRestore_Click()
{
    const int row = GridVersions->currentRow();
    if (row < 0 || row >= int(versions_.size()))
        return;
    auto *update = window_->findChild<QPushButton *>(QStringLiteral("CmdUpdate"));
    if (!update || !update->isEnabled()) {
        MsgBox(QStringLiteral("The form is locked: unlock it to restore a version."), MsgIcon::Information);
        return;
    }
    const RecordVersion &version = versions_[size_t(row)];
    Recordset &rs = DataEnvironment1::instance().rsConJobnr;
    const QStringList &fields = rs.fields();
    for (const CatalogueField &field : CatalogueFields) {
        const qsizetype column = fields.indexOf(QLatin1String(field.field));
        if (column >= 0 && size_t(column) < version.values.size())
            typeInto(window_, field.box, version.values[size_t(column)].toString());
    }
    if (!rs.editPending()) {
        MsgBox(QStringLiteral("Version %1 is the record as it stands.").arg(version.number), MsgIcon::Information);
        return;
    }
    rs.markPendingAsRestore();
    update->click();
    if (!rs.editPending())
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
    FrmHistory history(std::move(*versions), rs.fields(), window);
    history.exec();
}
