#pragma once

#include "stores/CatalogueStore.h"

#include <QSet>
#include <memory>

struct sqlite3;

// A catalogue in a SQLite file, the default store. Several programs may have
// the file open (on a share, too): every store runs in one write transaction
// that first checks the record is still the version read. A change log kept by
// triggers in the file itself (added on first writable open; old programs
// ignore it and their changes are logged too) tells which records others changed.
class SqliteStore : public CatalogueStore
{
public:
    // Opens an existing file; nothing and a worded error when it cannot be used.
    static std::unique_ptr<SqliteStore> open(const QString &path, bool readOnly, QString &error);
    ~SqliteStore() override;

    QString location() const override { return path_; }
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
    std::optional<std::vector<RecordVersion>> versions(const QString &table, const QString &key,
                                                       QString &error) override;
    std::optional<std::vector<RecordVersion>> deletedRecords(const QString &table, QString &error) override;
    std::optional<qint64> pruneHistory(const QString &table, const QString &before, QString &error) override;
    QByteArray historyMark(const QString &table, qint64 cursor) override;
    bool historyHolds(const QString &table, qint64 cursor, const QByteArray &mark) override;
    void indexKeys(const QString &table, const QString &column, const std::atomic<bool> &cancelled) const override;
    bool scanRecords(const QString &table, const QStringList &columns, qint64 firstId, qint64 lastId,
                     const RecordVisitor &record, const std::atomic<bool> &cancelled) const override;

    // The change log's table for a table of the catalogue.
    static QString changeLogTable(const QString &table);

private:
    SqliteStore(const QString &path, sqlite3 *db, bool readOnly);
    QString describe(int code) const;
    // True when the table's changes are logged; adds the log when it can.
    bool hasChangeLog(const QString &table);
    std::optional<StoredRecord> readIn(const QString &table, qint64 id, QString &error);
    StoreResult failed(int code);
    QByteArray fileIdentity() const;
    sqlite3 *ownConnection(int flags) const;
    // The history's newest entry before a change (-1 when none is kept), and
    // the user's name put on what the change added after it.
    qint64 historyBefore(const QString &table);
    bool signHistory(const QString &table, qint64 before, const StoreRules &rules);
    bool keyTakenSince(const QString &table, const StoreRules &rules, const QVariant &key, qint64 ownId,
                       QString &error);

    QString path_;
    sqlite3 *db_;
    bool readOnly_;
    int counterFile_ = -1; // the file, for its change counter
    quint32 changeCounter_ = 0; // as last seen
    bool counterSeen_ = false;
    QSet<QString> logged_; // tables whose change log is known to exist
    QSet<QString> unlogged_; // tables whose log cannot be added: the file may not be changed
    QSet<QString> kept_; // tables whose history is known to be kept
};
