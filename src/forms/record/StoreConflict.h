#pragma once

#include "catalogue/Recordset.h"
#include "program/Seam.h"

#include <QStringList>
#include <functional>

class QWidget;

// When a store or a delete meets someone else's change, the user decides:
// nothing typed is dropped without the user saying so.
enum class ConflictChoice {
    StoreMine, // store my fields over their version (also: try again)
    TakeTheirs, // drop what I typed, or keep their version instead of deleting it
    StoreAsNew, // their deletion stands; my version becomes a new record
    UseFreeNumber, // store my new record with the next free job number
    DeleteAnyway, // delete their changed version
    KeepEditing, // go back to the record as I typed it
};

// The question put to the user, with the choices that fit it (first is the default).
struct ConflictQuestion
{
    QString text;
    // The fields that differ: caption, mine, theirs (empty when there is no "theirs").
    struct Field
    {
        QString caption, mine, theirs;
    };
    QList<Field> fields;
    struct Choice
    {
        ConflictChoice choice;
        QString label;
    };
    QList<Choice> choices;
};

// Tests answer the question instead of the dialog.
using ConflictSeam = Seam<struct ConflictTag, ConflictChoice(const ConflictQuestion &)>;

// What became of the operation that met the conflict.
enum class Settled {
    Retry, // the pending edit is stored or dropped: the operation may go on
    Finished, // the user's choice completed the operation (a delete)
    Stop, // the user keeps editing, or the catalogue refused: stop here
};

// Asks the user about the record set's failure and carries out the choice,
// asking again if that meets another change. A plain refusal of the catalogue
// is only reported, unless closing: then the user may also drop the edit.
Settled settleStoreFailure(Recordset &recordset, QWidget *parent, bool closing = false);

// Runs a record command; a store it makes that fails is settled with the user
// and the command tried again where that fits. True when the command went through.
bool performSettled(Recordset &recordset, QWidget *parent, const std::function<bool()> &command, bool closing = false);

// The question for the record set's failure.
ConflictQuestion conflictQuestion(const Recordset &recordset, bool closing);
