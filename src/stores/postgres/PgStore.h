#pragma once

#include "stores/CatalogueStore.h"

#include <functional>
#include <memory>

struct pg_conn;

// A catalogue on a PostgreSQL server, reached through libpq. Ids are never
// reused and every store moves the record's version on, so a store applies
// only to the version read; the server notifies every change, and walks for a
// text run on the server through a trigram index, so the catalogue is never
// sent to the client whole. A dropped connection is made again at the next
// operation; what the user typed stays with the record set.
class PgStore : public CatalogueStore
{
public:
    // Asks the user for the server's password when it wants one; empty: cancelled.
    using PasswordPrompt = std::function<QString(const QString &location)>;
    static void setPasswordPrompt(PasswordPrompt prompt);

    // A location this store opens: a postgresql:// or postgres:// URI, or a
    // libpq "service=…" string.
    static bool names(const QString &location);
    static std::unique_ptr<PgStore> open(const QString &location, bool readOnly, QString &error);
    // Makes the catalogue's table on the server (morvo --create-catalogue).
    static bool create(const QString &location, const QString &table, const QStringList &fields, QString &error);
    // The location for messages: never with a password in it.
    // Whether the address carries a password (user:secret@ or password=).
    static bool holdsPassword(const QString &location);
    static QString shown(const QString &location);
    // The search column's text of a record: its fields upper-cased as the file's search text is.
    static QString searchText(const FieldValues &values);
    ~PgStore() override;

    QString location() const override { return location_; }
    std::optional<QStringList> columns(const QString &table, QString &error) override;
    qint64 sizeHint(const QString &table) override;
    bool scanKeys(const QString &table, int column, const KeyVisitor &row, QString &error) override;
    std::optional<StoredRecord> read(const QString &table, qint64 id, QString &error) override;
    std::optional<QStringList> distinctValues(const QString &table, const QString &column, QString &error) override;
    StoreResult update(const QString &table, const StoredRecord &asRead, const std::map<int, QString> &changes,
                       const StoreRules &rules) override;
    StoreResult insert(const QString &table, const std::map<int, QString> &values, const StoreRules &rules) override;
    StoreResult remove(const QString &table, const StoredRecord &asRead, const StoreRules &rules) override;
    qint64 changeCursor(const QString &table) override;
    bool mayHaveChanged() override;
    void setLockWait(int milliseconds) override;
    std::optional<std::vector<RecordChange>> changesSince(const QString &table, qint64 &cursor,
                                                          QString &error) override;
    QString readOnlyReason(const QString &table) override;
    // The history (PgHistory.cpp).
    std::optional<std::vector<RecordVersion>> versions(const QString &table, const QString &key,
                                                       QString &error) override;
    std::optional<std::vector<RecordVersion>> deletedRecords(const QString &table, QString &error) override;
    std::optional<qint64> pruneHistory(const QString &table, const QString &before, QString &error) override;
    bool searchesItself() const override { return true; }
    std::optional<qint64> findFrom(const QString &table, int sortColumn, const SortPlace &from, bool forward,
                                   const QByteArray &needle, QString &error) override;
    bool scanRecords(const QString &, const QStringList &, qint64, qint64, const RecordVisitor &,
                     const std::atomic<bool> &) const override
    {
        return false;
    }

private:
    // The bulk copies of an import and an export work on a store's connection.
    friend class PgCopyIn;
    friend class PgCopyOut;
    class Result;
    PgStore(const QString &location, pg_conn *connection, bool readOnly);
    bool connected(QString &error);
    Result exec(const QString &sql, const QList<QVariant> &parameters = {});
    // Runs the statements in order up to the first that fails; error says why.
    bool execAll(const QStringList &statements, QString &error);
    QString describe(const Result &result) const;
    QString connectionError() const;
    // Every column of the table, the store's own too; empty when there is no such table.
    std::optional<QStringList> tableColumns(const QString &table, QString &error);
    std::optional<QStringList> userColumns(const QString &table, QString &error);
    std::optional<QStringList> beginChange(const QString &table, const std::map<int, QString> &values,
                                           const StoreRules &rules, QString &error);
    std::optional<StoredRecord> readRow(const QString &table, qint64 id, bool forUpdate, QString &error);
    StoreResult failed(const Result &result);
    bool keyTakenSince(const QString &table, const StoreRules &rules, const QVariant &key, qint64 ownId, bool &taken,
                       QString &error);
    void listen(const QString &table);
    // Whether the table's history is kept; adds it to an older catalogue where the role may.
    bool keepsHistory(const QString &table);
    // Names the desktop's user in the session, for the history's entries.
    void signSession();

    QString location_;
    pg_conn *connection_;
    bool readOnly_;
    QHash<QString, QStringList> columns_;
    QSet<QString> listening_;
    QHash<QString, QString> readOnlyReasons_; // a role's rights, asked once per table
    QHash<QString, bool> keepsHistory_; // asked once per table
    bool reconnected_ = false; // notifications may have been missed
};
