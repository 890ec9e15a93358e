#pragma once

#include "stores/postgres/PgStore.h"

#include <QVariant>
#include <libpq-fe.h>
#include <utility>

// A statement's result, cleared when it goes.
class PgStore::Result
{
public:
    explicit Result(PGresult *result) : result_(result) {}
    ~Result() { PQclear(result_); }
    Result(Result &&other) noexcept : result_(std::exchange(other.result_, nullptr)) {}
    Result(const Result &) = delete;
    Result &operator=(const Result &) = delete;

    bool ok() const
    {
        const ExecStatusType status = PQresultStatus(result_);
        return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    }
    int rows() const { return PQntuples(result_); }
    QVariant text(int row, int column) const
    {
        if (PQgetisnull(result_, row, column))
            return QVariant();
        return QString::fromUtf8(PQgetvalue(result_, row, column), PQgetlength(result_, row, column));
    }
    qint64 int64(int row, int column) const { return QByteArray(PQgetvalue(result_, row, column)).toLongLong(); }
    QString state() const { return QString::fromLatin1(PQresultErrorField(result_, PG_DIAG_SQLSTATE)); }
    PGresult *get() const { return result_; }
    QString message() const
    {
        const char *primary = PQresultErrorField(result_, PG_DIAG_MESSAGE_PRIMARY);
        return QString::fromUtf8(primary ? primary : PQresultErrorMessage(result_)).trimmed();
    }

private:
    PGresult *result_;
};
