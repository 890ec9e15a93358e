#pragma once

#include "stores/CatalogueStore.h"

#include <QHash>
#include <QString>
#include <map>
#include <optional>

// What the user typed into the current record and has not stored yet, or the
// new record they are adding; it holds no record of its own, only the fields
// typed by column and the change cursor of the view the edit began from.
class PendingEdit
{
public:
    bool pending() const { return adding_ || !typed_.isEmpty(); }
    bool adding() const { return adding_; }
    // The change cursor the edit began at: a job number stored since by someone
    // else clashes with it.
    qint64 since() const { return since_; }

    void beginAdding(qint64 since);
    // Stores the text of one field; the first field typed fixes since().
    void type(int column, const QString &text, qint64 cursorNow);
    // Every non-null value of the record becomes a typed field of a new record,
    // keeping the cursor the edit began at.
    void addAsNew(const FieldValues &values);
    std::optional<QString> typed(int column) const;
    void clear();
    // How the history names the store of this edit when not the plain way ("restore").
    void setChange(const char *change) { change_ = change; }
    const char *change() const { return change_; }

    // The typed fields that differ from the record as read; what the user did
    // not change is never written back. A new record has nothing to compare with.
    std::map<int, QString> changesOver(const FieldValues &read) const;
    // The record as read with the typed fields over it: what the user would store.
    FieldValues over(const FieldValues &read, size_t columns) const;

private:
    bool adding_ = false;
    QHash<int, QString> typed_;
    qint64 since_ = 0;
    const char *change_ = nullptr;
};
