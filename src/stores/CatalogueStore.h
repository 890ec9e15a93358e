#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <atomic>
#include <functional>
#include <map>
#include <optional>
#include <vector>

// One value per column of a table, in the table's order; a null QVariant is NULL.
using FieldValues = std::vector<QVariant>;

// One field as UTF-8 bytes as the store holds them; a null data pointer is NULL.
struct FieldBytes
{
    const char *data;
    int length;
};

// A record as it was read: its values and what tells this version of it from
// a later one. Several people may have one catalogue open, so a store changes
// a record only while it still is the version read.
struct StoredRecord
{
    qint64 id = -1; // the row's identity in the store
    qint64 version = 0; // changes with every store of the record; 0 when the store keeps none
    qint64 born = 0; // changes when the identity is given to another record
    FieldValues values;
};

enum class StoreStatus {
    Done,
    Changed, // someone else changed the fields being stored; record holds theirs
    Gone, // the record was deleted (or its identity reused) since it was read
    DuplicateJobNumber, // another person stored the same key since the edit began
    Failed, // error says why, in words
};

struct StoreResult
{
    StoreStatus status = StoreStatus::Done;
    StoredRecord record; // Done: as now stored; Changed: as stored by the other person
    QString error;
};

// A key that two people must not store twice at the same time: a store of
// this column fails when another record got the same value after keySince.
struct StoreRules
{
    int keyColumn = -1;
    qint64 keySince = 0;
    const char *change = nullptr; // the history's word for the store, when not the plain one ("restore")
};

// One record of the changes others made: its id, whether it is gone, and
// the version the change gave it.
struct RecordChange
{
    qint64 id;
    bool gone;
    qint64 version;
};

// One version of a record as the catalogue's history keeps it.
struct RecordVersion
{
    qint64 number = 0; // 1 for the oldest version the history holds of the job
    QString time; // ISO 8601, UTC; empty for the version stored before history was kept
    QString user; // who stored it: the login name (on a server, with the role); empty when unknown
    QString change; // "add", "update", "delete" or "restore"
    FieldValues values; // the record after the change; after a delete, as it was deleted
    qint64 recordId = -1; // the record it is a version of, as read() knows it
    bool recordGone = false; // that record has been deleted since
};

// The field a record's history is found by.
inline constexpr char HistoryKeyColumn[] = "JobNumber";

// A catalogue's records as a program reaches them: a file, or a database
// server. Every operation is one transaction; failures come back worded for
// a person.
class CatalogueStore
{
public:
    virtual ~CatalogueStore() = default;

    // Where the catalogue is, as the user named it.
    virtual QString location() const = 0;

    // The table's columns in order, or nothing (error says why).
    virtual std::optional<QStringList> columns(const QString &table, QString &error) = 0;

    // About how many records the table holds (at least as many), to make room once.
    virtual qint64 sizeHint(const QString & /*table*/) { return 0; }

    // Calls row for every record with its id and the text of one column
    // (null data for NULL), in no particular order.
    using KeyVisitor = std::function<void(qint64 id, FieldBytes key)>;
    virtual bool scanKeys(const QString &table, int column, const KeyVisitor &row, QString &error) = 0;

    // The distinct values of one column, NULL left out, in no particular order;
    // nothing when the catalogue cannot be read (error says why).
    virtual std::optional<QStringList> distinctValues(const QString &table, const QString &column, QString &error) = 0;

    // A record by id; nothing with an empty error when it is gone.
    virtual std::optional<StoredRecord> read(const QString &table, qint64 id, QString &error) = 0;

    // Stores the changed columns of a record as read.
    virtual StoreResult update(const QString &table, const StoredRecord &asRead, const std::map<int, QString> &changes,
                               const StoreRules &rules) = 0;
    // Stores a new record with these columns set; the others keep the table's defaults.
    virtual StoreResult insert(const QString &table, const std::map<int, QString> &values, const StoreRules &rules) = 0;
    // Deletes a record as read.
    virtual StoreResult remove(const QString &table, const StoredRecord &asRead, const StoreRules &rules) = 0;

    // The point in the catalogue's history that this program has seen.
    virtual qint64 changeCursor(const QString &table) = 0;
    // Cheap, and never waits for a lock: whether anything may have changed
    // since the last call.
    virtual bool mayHaveChanged() = 0;
    // How long an operation waits for another program's lock before it fails;
    // a look for changes on a timer must not hold up the window.
    virtual void setLockWait(int milliseconds) = 0;
    static constexpr int UserLockWaitMs = 2000;
    static constexpr int BackgroundLockWaitMs = 50;
    // The records changed since cursor, which moves on; nothing when the
    // store cannot tell (the caller reads everything again).
    virtual std::optional<std::vector<RecordChange>> changesSince(const QString &table, qint64 &cursor,
                                                                  QString &error) = 0;

    // What tells this catalogue's history of the table, up to cursor, from any
    // other's (the file itself, the change at cursor), so that an order of its
    // records kept from an earlier session is trusted with the changes since;
    // empty when the store cannot tell. historyHolds says whether a mark made
    // earlier still describes the catalogue.
    virtual QByteArray historyMark(const QString & /*table*/, qint64 /*cursor*/) { return {}; }
    virtual bool historyHolds(const QString & /*table*/, qint64 /*cursor*/, const QByteArray & /*mark*/)
    {
        return false;
    }

    // The versions of every record that ever had this job number, newest
    // first; empty when none ever had it, nothing when the history cannot be
    // read (error says why).
    virtual std::optional<std::vector<RecordVersion>> versions(const QString & /*table*/, const QString & /*key*/,
                                                               QString &error)
    {
        error = QStringLiteral("The catalogue \"%1\" keeps no history of its records.").arg(location());
        return std::nullopt;
    }
    // The records deleted and not stored again, newest deletion first: each
    // as it was deleted, with when and by whom.
    virtual std::optional<std::vector<RecordVersion>> deletedRecords(const QString & /*table*/, QString &error)
    {
        error = QStringLiteral("The catalogue \"%1\" keeps no history of its records.").arg(location());
        return std::nullopt;
    }
    // Forgets the versions stored before the time (ISO 8601, UTC); how many
    // it forgot, or nothing (error says why).
    virtual std::optional<qint64> pruneHistory(const QString & /*table*/, const QString & /*before*/, QString &error)
    {
        error = QStringLiteral("The catalogue \"%1\" keeps no history of its records.").arg(location());
        return std::nullopt;
    }

    // Why this user may not change the catalogue; empty when they may.
    virtual QString readOnlyReason(const QString & /*table*/) { return {}; }

    // A store that walks for a text itself (a server) does so without sending
    // the catalogue: the first record in sort order at or after (before,
    // backward) the given one whose searched columns contain the needle
    // (upper case, UTF-8; see SearchKey). Stores that do not return nothing
    // and leave the walk to the record set's own copy of the text.
    struct SortPlace
    {
        QByteArray key; // the sort column's text as UTF-8 (NULL as empty)
        qint64 id;
    };
    virtual bool searchesItself() const { return false; }
    virtual std::optional<qint64> findFrom(const QString &, int /*sortColumn*/, const SortPlace &, bool /*forward*/,
                                           const QByteArray & /*needle*/, QString &)
    {
        return std::nullopt;
    }

    // Off the window's thread, once the catalogue is open: makes later key
    // scans of the column read an index instead of every record, where the
    // catalogue may be changed. Slow only the first time; a cancel ends it
    // with nothing changed. A store that needs none does nothing.
    virtual void indexKeys(const QString & /*table*/, const QString & /*column*/,
                           const std::atomic<bool> & /*cancelled*/) const
    {
    }

    // Reads the given columns of the records whose ids lie in [firstId, lastId],
    // in ascending id order, off the window's thread (own connection).
    using RecordVisitor = std::function<void(qint64 id, const std::vector<FieldBytes> &fields)>;
    virtual bool scanRecords(const QString &table, const QStringList &columns, qint64 firstId, qint64 lastId,
                             const RecordVisitor &record, const std::atomic<bool> &cancelled) const = 0;
};
