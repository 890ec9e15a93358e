#include "forms/history/GridDialog.h"

#include "widgets/ScreenPlace.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace GridDialog {

QTableWidget *makeGrid(QDialog *dialog, const char *name, const QString &accessibleName, const QStringList &headers)
{
    auto *grid = new QTableWidget(0, int(headers.size()), dialog);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setAccessibleName(accessibleName);
    grid->setHorizontalHeaderLabels(headers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return grid;
}

QPushButton *layOut(QDialog *dialog, QTableWidget *grid, const char *name, const QString &caption, QSize size)
{
    grid->resizeColumnsToContents();
    grid->horizontalHeader()->setStretchLastSection(true);
    if (grid->rowCount() > 0)
        grid->selectRow(0);
    auto *command = new QPushButton(caption, dialog);
    command->setObjectName(QString::fromLatin1(name));
    auto *close = new QPushButton(QStringLiteral("Close"), dialog);
    close->setObjectName(QStringLiteral("CmdClose"));
    close->setDefault(true);
    QObject::connect(close, &QPushButton::clicked, dialog, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(command);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(dialog);
    layout->addWidget(grid, 1);
    layout->addLayout(buttons);
    dialog->resize(ScreenPlace::fittedToScreen(dialog, size));
    return command;
}
}
