#pragma once

#include "catalogue/SearchText.h"

#include <QFuture>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <string>
#include <vector>

class Connection;

// A client-side static cursor over one table of a catalogue, ordered by its
// sort field. Only the row ids and sort keys are held; the fields of a record
// are read when it becomes current, so a million records open quickly.
// Every store is one transaction, and after a store the set shows what a
// fresh open of the file would show.
class Recordset : public QObject
{
    Q_OBJECT
public:
    enum LockType { ReadOnly, Optimistic };
    // Values of AbsolutePosition when no record is current.
    static constexpr qint64 PosBOF = -2;
    static constexpr qint64 PosEOF = -3;

    Recordset(Connection &connection, const QString &table, LockType lock, const QStringList &requiredFields = {});
    ~Recordset() override;

    // Keeps the upper-cased text of these fields for fast searches; the text is
    // read off the window's thread after every open.
    void enableSearch(const QStringList &fields);

    bool Open();
    bool isOpen() const { return open_; }
    // Assigning the sort order is the first use at start-up, so it opens the set.
    bool setSort(const QString &field);
    QString Sort() const { return sort_; }

    qint64 RecordCount() const;
    qint64 AbsolutePosition() const;
    bool setAbsolutePosition(qint64 position);
    bool BOF() const;
    bool EOF_() const; // EOF is a C macro

    bool MoveFirst();
    bool MoveLast();
    bool MoveNext();
    bool MovePrevious();
    bool AddNew();
    bool Update();
    bool Delete();

    // The current record's field as text, or a null QVariant for NULL or no record.
    QVariant value(const QString &field) const;
    // Changes a field of the current record; stored by Update or a move.
    bool setValue(const QString &field, const QString &text);
    bool editPending() const { return adding_ || !pending_.isEmpty(); }
    const QStringList &fields() const { return columns_; }

    // Why the latest operation failed; empty after a success.
    QString lastError() const { return error_; }

    // Walks for a text without moving the cursor: the first record at or after
    // (before) the 0-based index whose searched fields contain the needle
    // (SearchText::needleFor); -1 when there is none.
    qint64 findForward(const QByteArray &needle, qint64 fromIndex);
    qint64 findBackward(const QByteArray &needle, qint64 fromIndex);
    // Waits for the search text of the latest open; true when it is complete.
    bool waitForSearchText();

signals:
    // The current record changed: another record, or its values after a store.
    void currentChanged();
    void recordStored(qint64 rowid);
    void recordDeleted(qint64 rowid);

private:
    struct Row
    {
        qint64 rowid;
        double number; // leading numeric value of the sort field
        quint32 keyOffset; // sort field's text in keyText_
        quint32 keyLength;
        SearchText::Span search; // this record's text in searchText_
    };

    bool ensureOpen() const;
    bool scanRows(struct sqlite3 *db);
    bool fail(const QString &text) const;
    bool failSqlite(int code) const;
    bool storePending();
    bool moveTo(qint64 index);
    Row makeRow(qint64 rowid, const QVariant &sortValue);
    bool rowLess(const Row &a, const Row &b) const;
    size_t sortedIndexFor(const Row &row) const;
    void placeRow(Row row);
    void eraseRow(qint64 index);
    void startSearchBuild();
    void stopSearchBuild();
    void startPendingSearchBuild();
    bool matchesAt(size_t index, const QByteArray &needle);
    size_t runEnd(size_t first) const;
    size_t runStart(size_t last) const;
    size_t rowAtOffset(size_t first, size_t last, qint64 offset) const;
    SearchText::Span searchSpanFor(const std::vector<QVariant> &values);
    void loadCurrent() const;
    bool hasCurrent() const;
    bool readRow(qint64 rowid, std::vector<QVariant> &values) const;
    int columnIndex(const QString &field) const;

    Connection &connection_;
    QString table_;
    LockType lock_;
    QStringList required_;
    QString sort_;
    int sortColumn_ = -1;
    bool open_ = false;

    QStringList columns_;
    std::vector<Row> rows_;
    std::string keyText_;
    qint64 pos_ = 0; // index into rows_; -1 before the first, size() after the last

    bool adding_ = false; // a new record waits at position size()+1
    QHash<int, QString> pending_;
    mutable qint64 cachedRowId_ = -1;
    mutable std::vector<QVariant> cached_;
    mutable QString error_;

    QStringList searchFields_;
    SearchText searchText_;
    bool searchBuildPending_ = false;
    quint64 structureGeneration_ = 0; // counts inserts and removals of rows
    quint64 buildGeneration_ = 0; // the generation the running build started from
    std::shared_ptr<std::atomic<bool>> buildCancelled_;
    QFuture<std::shared_ptr<SearchTextBuild>> build_;
};
