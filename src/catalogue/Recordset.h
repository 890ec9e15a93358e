#pragma once

#include "catalogue/ChangeFeed.h"
#include "catalogue/KeptFile.h"
#include "catalogue/PendingEdit.h"
#include "catalogue/RowOrder.h"
#include "catalogue/SearchCorpus.h"
#include "stores/CatalogueStore.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <string>
#include <vector>

class Connection;
class QTimer;

// A client-side cursor over one table of a catalogue, ordered by its sort
// field. Only the row ids and sort keys are held; the fields of a record are
// read when it becomes current, so a million records open quickly.
//
// Several people may have the catalogue open. A store changes a record only
// while it still is the version read; otherwise the store fails with a
// conflict (failure()) and the user decides through the resolving operations.
// The set follows the others' changes (refresh()) without reading it all again.
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
    // Starts reading the search text that an open left to be read. A window
    // asks for it once it has painted, so that the reading never holds up its
    // first paint; a search asks for it itself.
    void startPendingSearchBuild();
    // Looks for the others' changes on a timer as well as before every operation.
    void enableLiveView(int intervalMs);

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
    bool editPending() const { return edit_.pending(); }
    bool adding() const { return edit_.adding(); }
    const QStringList &fields() const { return columns_; }

    // Why the latest operation failed; empty after a success.
    QString lastError() const { return error_; }

    // Why the latest store or delete did not happen, when the user must decide.
    enum class Conflict {
        None,
        Changed, // someone else changed the record: theirs holds their version
        Gone, // someone else deleted the record
        DuplicateJobNumber, // someone else stored the same job number meanwhile: freeJobNumber is offered
        Failed, // the catalogue refused (lastError says why); nothing was lost
    };
    struct Failure
    {
        Conflict conflict = Conflict::None;
        bool deleting = false; // the user was deleting, not storing
        FieldValues mine; // what the user would store
        FieldValues theirs; // Changed: what is stored now
        QString freeJobNumber; // DuplicateJobNumber: the next free number
    };
    const Failure &failure() const { return failure_; }
    // The user's decisions on a failure; each returns whether it went through.
    bool storeMineOverTheirs(); // Changed: store my fields over their version
    bool takeTheirs(); // any: drop what I typed (or my new record) and show what is stored
    bool storeAsNewRecord(); // Gone: store my version as a new record
    bool useFreeJobNumber(); // DuplicateJobNumber: store with the offered number
    bool deleteAnyway(); // Changed while deleting: delete their version

    // The versions the catalogue's history keeps of every record that ever
    // had this job number, newest first; nothing when it keeps none (lastError says why).
    std::optional<std::vector<RecordVersion>> versions(const QString &jobNumber);
    // The records deleted and not stored again, newest first (lastError says why when nothing).
    std::optional<std::vector<RecordVersion>> deletedRecords();
    // Whether a record holds this text in the sort field.
    bool holdsSortKey(const QString &key) { return ensureOpen() && order_.holdsKey(key); }
    // The pending edit is stored as a restore of an earlier version.
    void markPendingAsRestore() { edit_.setChange("restore"); }

    // Why the user may not change this catalogue (a role that may only read); empty when they may.
    QString readOnlyReason() const;

    // Brings the set up to date with the others' changes; cheap when there are none.
    bool refresh();

    // Walks for a text without moving the cursor: the first record at or after
    // (before) the 0-based index whose searched fields contain the needle
    // (SearchCorpus::needleFor); -1 when there is none.
    qint64 findForward(const QByteArray &needle, qint64 fromIndex);
    qint64 findBackward(const QByteArray &needle, qint64 fromIndex);
    // Waits for the search text of the latest open; true when it is complete.
    bool waitForSearchText();
    // Whether a walk would answer without waiting for the search text; a
    // window asks first and waits for searchTextReady instead of blocking.
    bool isSearchTextReady();

signals:
    // The search text being read in the background is ready for the walks.
    void searchTextReady();
    // The current record changed: another record, or its values after a store.
    void currentChanged();
    void recordStored(qint64 rowid);
    void recordDeleted(qint64 rowid);
    // The current record could not be read; its boxes stay empty and nothing
    // is stored over it.
    void recordUnreadable(const QString &reason);

private:
    using Row = RowOrder::Row;

    CatalogueStore &store() const;
    bool ensureOpen() const;
    bool readyFor(bool writing, bool onCurrent = false);
    bool scanRows();
    bool fail(const QString &text) const;
    bool storePending();
    bool handleStoreResult(const StoreResult &result, bool deleting);
    void removeCurrentRow();
    bool moveTo(qint64 index);
    bool catchUp();
    bool applyChanges(const std::vector<RecordChange> &changes);
    Row rowOf(const StoredRecord &record);
    bool readKeptOrder();
    bool takeInChangesSince(qint64 cursor);
    void keepOrder();
    struct KeptSearch
    {
        QString file; // empty: read every record
        KeptFile::Stamp stamp;
        std::unordered_set<qint64> stale;
    };
    KeptSearch keptSearchText();
    void keepSearchText();
    bool rescanAll();
    void startSearchBuild();
    void stopSearchBuild();
    void startKeyIndex();
    void beginAdoption();
    bool adoptRows(size_t count);
    void adoptSlice();
    bool matchesAt(size_t index, const QByteArray &needle);
    qint64 findOnServer(const QByteArray &needle, qint64 fromIndex, bool forward);
    qint64 walk(const QByteArray &needle, size_t lo, size_t hi, bool forward);
    SearchCorpus::Span searchSpanFor(const FieldValues &values);
    bool loadCurrent() const;
    bool hasCurrent() const;
    int columnIndex(const QString &field) const;
    QVariant sortValueOf(const FieldValues &values) const; // the sort field's value (null without one)
    FieldValues mine() const; // the record as read with what the user typed over it
    StoreRules rules() const;

    Connection &connection_;
    QString table_;
    LockType lock_;
    QStringList required_;
    QString sort_;
    int sortColumn_ = -1;
    bool open_ = false;

    QStringList columns_;
    RowOrder order_;
    qint64 pos_ = 0; // index into rows_; -1 before the first, size() after the last

    PendingEdit edit_; // a new record waits at position size()+1
    mutable StoredRecord current_; // the current record as read; id -1 when none is read
    mutable qint64 unreadableId_ = -1; // the record that could not be read, reported once
    mutable QString unreadable_; // and why
    mutable QString error_;
    Failure failure_;

    ChangeFeed changes_;
    bool holdCurrent_ = false; // the record on screen is being stored or deleted
    QTimer *liveTimer_ = nullptr;

    QString keptFile_; // where this open's order is kept; empty when it is not
    const CatalogueStore *keptStore_ = nullptr; // the catalogue the rows are of
    qint64 keptCursor_ = -1; // the cursor the kept file holds the order at

    QStringList searchFields_;
    SearchCorpus searchText_;
    bool searchBuildPending_ = false;
    bool searchTextComplete_ = false; // the last text taken in holds every record
    qint64 searchKeptCursor_ = -1; // the change the kept search text holds the text at
    quint64 searchKeptBytes_ = 0; // and the text's bytes when it was read or written
    std::shared_ptr<std::atomic<bool>> buildCancelled_;
    QFuture<std::shared_ptr<SearchCorpusBuild>> build_;
    QFutureWatcher<std::shared_ptr<SearchCorpusBuild>> buildWatcher_; // tells the window's thread it is done
    QFuture<void> keyIndex_; // made once the search text is in, when the machine is idle
    // A finished build whose spans go into the rows a slice at a time; `next`
    // is the row to go on from (a row another change moved past is read when walked).
    struct Adoption
    {
        std::shared_ptr<SearchCorpusBuild> result;
        quint32 shift = 0;
        size_t next = 0;
    };
    std::optional<Adoption> adoption_;
};
