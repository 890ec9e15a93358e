#pragma once

#include "stores/CatalogueStore.h"

// The history tables of both stores hold the same entries; this turns them
// into the versions a user sees.
namespace RecordHistory {

// One entry as a history table holds it: values as JSON arrays.
struct Entry
{
    qint64 lineage; // the record through its updates; new at each insert
    QString time, user, change;
    QVariant before, after; // JSON arrays, null where there is none
    qint64 recordId;
};

// The values of a JSON array, JSON null as NULL.
FieldValues valuesOf(const QVariant &json);
// The versions of the entries (oldest first), numbered from 1, newest first.
// A record stored before the history was kept shows its first entry's
// "before" as an added version without time or user.
std::vector<RecordVersion> versionsOf(const std::vector<Entry> &entries);
// Each entry as the record it deleted.
std::vector<RecordVersion> deletedOf(const std::vector<Entry> &entries);
}
