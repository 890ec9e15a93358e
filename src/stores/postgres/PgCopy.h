#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <span>
#include <vector>

class PgStore;

// One record's fields as UTF-8 bytes, in the order the copy was given them;
// an empty optional is NULL.
using PgFields = std::span<std::optional<QByteArray>>;
using PgConstFields = std::span<const std::optional<QByteArray>>;

// Records copied into a catalogue's table on a server, all in one transaction
// through COPY: others see none of them before finish(), which first checks
// that the table got exactly what was sent (the count, and a checksum of every
// field), and nothing at all when the copy is dropped. A table that does not
// exist is made, with its indexes and triggers added after the load; an empty
// one is filled the same way (PgSchema::afterRefillStatements).
class PgCopyIn
{
public:
    static std::unique_ptr<PgCopyIn> begin(const QString &location, const QString &table, const QStringList &fields,
                                           QString &error);
    ~PgCopyIn();

    bool add(PgConstFields fields, QString &error);
    bool finish(QString &error);

private:
    struct FieldSum
    {
        qint64 present = 0;
        quint64 sum = 0; // of every present value's 60-bit hash, modulo 2^64
    };
    PgCopyIn(std::unique_ptr<PgStore> store, const QString &table, const QStringList &fields);
    bool startCopy(QString &error);
    bool prepareRefill(QString &error);
    bool send(QString &error);
    bool verify(QString &error);

    std::unique_ptr<PgStore> store_;
    QString table_;
    QStringList fields_;
    QByteArray batch_;
    qint64 rows_ = 0;
    std::vector<FieldSum> sums_;
    bool madeTable_ = false;
    QStringList pausedTriggers_, droppedIndexes_; // the definitions of the indexes, to build them again
    bool refilling_ = false;
    bool copying_ = false;
};

// Every record of a catalogue's table on a server, in the order they were
// stored, one at a time and from one snapshot, streamed through COPY.
class PgCopyOut
{
public:
    static std::unique_ptr<PgCopyOut> begin(const QString &location, const QString &table, const QStringList &fields,
                                            QString &error);
    ~PgCopyOut();

    // The next record's fields; false at the end (error empty) or on a failure.
    bool next(PgFields fields, QString &error);
    qint64 count() const { return count_; }

private:
    explicit PgCopyOut(std::unique_ptr<PgStore> store);

    std::unique_ptr<PgStore> store_;
    qint64 count_ = 0;
    bool copying_ = false;
};
