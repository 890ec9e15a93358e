#include "forms/record/StoreConflict.h"

#include "catalogue/CatalogueFields.h"
#include "desktop/MsgBox.h"
#include "program/ProgramFacts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
using Conflict = Recordset::Conflict;

QString captionOf(const QString &field)
{
    for (const CatalogueField &f : CatalogueFields) {
        if (field == QLatin1String(f.field))
            return QString::fromUtf8(f.caption);
    }
    return field;
}

QString shown(const QVariant &value)
{
    return value.isNull() ? QStringLiteral("(empty)") : value.toString();
}

// The fields whose two versions differ (all of mine when there is no other version).
QList<ConflictQuestion::Field> differingFields(const Recordset &recordset)
{
    const Recordset::Failure &failure = recordset.failure();
    QList<ConflictQuestion::Field> fields;
    for (size_t i = 0; i < failure.mine.size() && i < size_t(recordset.fields().size()); ++i) {
        const bool hasTheirs = i < failure.theirs.size();
        const QVariant &mine = failure.mine[i];
        if (hasTheirs && mine.isNull() == failure.theirs[i].isNull() && mine.toString() == failure.theirs[i].toString())
            continue;
        if (!hasTheirs && mine.isNull())
            continue;
        fields.append({captionOf(recordset.fields()[qsizetype(i)]), shown(mine),
                       hasTheirs ? shown(failure.theirs[i]) : QString()});
    }
    return fields;
}

ConflictChoice askWithDialog(const ConflictQuestion &question, QWidget *parent)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("ConflictDialog"));
    dialog.setWindowTitle(QString::fromLatin1(ProgramFacts::Title));
    auto *layout = new QVBoxLayout(&dialog);
    auto *text = new QLabel(question.text, &dialog);
    text->setWordWrap(true);
    layout->addWidget(text);
    if (!question.fields.isEmpty()) {
        auto *grid = new QGridLayout;
        const bool hasTheirs = !question.fields.constFirst().theirs.isNull();
        const QStringList heads = hasTheirs
            ? QStringList{QString(), QStringLiteral("Yours"), QStringLiteral("Stored now")}
            : QStringList{QString(), QStringLiteral("Yours")};
        for (int column = 0; column < heads.size(); ++column)
            grid->addWidget(new QLabel(QStringLiteral("<b>%1</b>").arg(heads[column]), &dialog), 0, column);
        for (int row = 0; row < question.fields.size(); ++row) {
            const ConflictQuestion::Field &field = question.fields[row];
            const QStringList cells = hasTheirs ? QStringList{field.caption, field.mine, field.theirs}
                                                : QStringList{field.caption, field.mine};
            for (int column = 0; column < cells.size(); ++column) {
                auto *cell = new QLabel(cells[column], &dialog);
                cell->setTextFormat(Qt::PlainText);
                cell->setTextInteractionFlags(Qt::TextSelectableByMouse);
                cell->setWordWrap(true);
                grid->addWidget(cell, row + 1, column);
            }
        }
        layout->addLayout(grid);
    }
    auto *buttons = new QDialogButtonBox(&dialog);
    ConflictChoice chosen = ConflictChoice::KeepEditing;
    for (const ConflictQuestion::Choice &choice : question.choices) {
        QPushButton *button = buttons->addButton(choice.label, QDialogButtonBox::ActionRole);
        QObject::connect(button, &QPushButton::clicked, &dialog, [&dialog, &chosen, choice = choice.choice] {
            chosen = choice;
            dialog.accept();
        });
        if (choice.choice == ConflictChoice::KeepEditing)
            button->setDefault(true);
    }
    layout->addWidget(buttons);
    dialog.exec();
    return chosen;
}

ConflictChoice ask(const ConflictQuestion &question, QWidget *parent)
{
    if (const auto &handler = ConflictSeam::handler())
        return handler(question);
    return askWithDialog(question, parent);
}
}

ConflictQuestion conflictQuestion(const Recordset &recordset, bool closing)
{
    const Recordset::Failure &failure = recordset.failure();
    ConflictQuestion question{recordset.lastError(), differingFields(recordset), {}};
    const ConflictQuestion::Choice keep{ConflictChoice::KeepEditing, QStringLiteral("&Keep editing")};
    const ConflictQuestion::Choice discard{ConflictChoice::TakeTheirs, QStringLiteral("&Discard my changes")};
    switch (failure.conflict) {
    case Conflict::Changed:
        if (failure.deleting) {
            question.text += QStringLiteral("\nDelete it all the same, or keep their version?");
            question.choices = {{ConflictChoice::DeleteAnyway, QStringLiteral("&Delete their version")},
                                {ConflictChoice::TakeTheirs, QStringLiteral("Keep &their version")}};
        } else {
            question.text += QStringLiteral("\nThe fields below differ. Which version is to be kept?");
            question.choices = {{ConflictChoice::StoreMine, QStringLiteral("&Store mine over theirs")},
                                {ConflictChoice::TakeTheirs, QStringLiteral("&Take theirs, discard mine")},
                                keep};
        }
        break;
    case Conflict::Gone:
        question.text += QStringLiteral("\nStore your version as a new record?");
        question.choices = {{ConflictChoice::StoreAsNew, QStringLiteral("Store as a &new record")}, discard, keep};
        break;
    case Conflict::DuplicateJobNumber:
        question.text +=
            QStringLiteral("\nStore this record with the next free number, %1?").arg(failure.freeJobNumber);
        question.choices = {{ConflictChoice::UseFreeNumber, QStringLiteral("&Use %1").arg(failure.freeJobNumber)},
                            {ConflictChoice::TakeTheirs, QStringLiteral("&Discard my new record")},
                            keep};
        break;
    case Conflict::Failed:
    case Conflict::None:
        if (closing)
            question.text = QStringLiteral("The changes to the current record could not be stored.\n")
                + recordset.lastError() + QStringLiteral("\nClose and discard them?");
        question.choices = {{ConflictChoice::StoreMine, QStringLiteral("Try &again")}, discard, keep};
        break;
    }
    return question;
}

bool performSettled(Recordset &recordset, QWidget *parent, const std::function<bool()> &command, bool closing)
{
    for (;;) {
        if (command())
            return true;
        switch (settleStoreFailure(recordset, parent, closing)) {
        case Settled::Retry:
            continue;
        case Settled::Finished:
            return true;
        case Settled::Stop:
            return false;
        }
    }
}

Settled settleStoreFailure(Recordset &recordset, QWidget *parent, bool closing)
{
    for (;;) {
        const Recordset::Failure &failure = recordset.failure();
        if ((failure.conflict == Conflict::Failed && !closing) || failure.conflict == Conflict::None) {
            // The catalogue refused (locked, read-only, full): the typed text stays.
            MsgBox(recordset.lastError(), MsgIcon::Exclamation);
            return Settled::Stop;
        }
        const bool deleting = failure.deleting;
        const ConflictChoice choice = ask(conflictQuestion(recordset, closing), parent);
        bool done = false;
        switch (choice) {
        case ConflictChoice::KeepEditing:
            return Settled::Stop;
        case ConflictChoice::TakeTheirs:
            recordset.takeTheirs();
            return deleting ? Settled::Stop : Settled::Retry;
        case ConflictChoice::StoreMine:
            done = failure.conflict == Conflict::Failed ? recordset.Update() : recordset.storeMineOverTheirs();
            break;
        case ConflictChoice::StoreAsNew:
            done = recordset.storeAsNewRecord();
            break;
        case ConflictChoice::UseFreeNumber:
            done = recordset.useFreeJobNumber();
            break;
        case ConflictChoice::DeleteAnyway:
            if (recordset.deleteAnyway())
                return Settled::Finished;
            break;
        }
        if (done)
            return Settled::Retry;
    }
}
