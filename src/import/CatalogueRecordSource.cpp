#include "import/CatalogueRecordSource.h"

#include "import/CatalogueTable.h"
#include "stores/sqlite/SqlStatement.h"

#include <QDir>
#include <QFile>
#include <sqlite3.h>

CatalogueRecordSource::CatalogueRecordSource(const QString &path) : path_(path)
{
}

CatalogueRecordSource::~CatalogueRecordSource()
{
    sqlite3_finalize(select_);
    sqlite3_close(db_);
}

bool CatalogueRecordSource::open()
{
    const QString shown = QDir::toNativeSeparators(path_);
    if (sqlite3_open_v2(QFile::encodeName(path_).constData(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr)
        != SQLITE_OK)
        return fail(QStringLiteral("The catalogue \"%1\" cannot be read (%2).").arg(shown, sqlite3_errmsg(db_)));
    sqlite3_busy_timeout(db_, 5000);
    const CatalogueTable table = readCatalogueTable(db_);
    if (!table.exists)
        return fail(QStringLiteral("The file \"%1\" is no catalogue: it has no table Projects.").arg(shown));
    if (!table.missing.isEmpty())
        return fail(QStringLiteral("The catalogue \"%1\" has no field %2.")
                        .arg(shown, table.missing.join(QStringLiteral(", "))));
    if (!table.others.isEmpty())
        notes_ << QStringLiteral("The catalogue's fields %1 are no catalogue fields; they were left out.")
                      .arg(table.others.join(QStringLiteral(", ")));
    QStringList fields;
    for (const CatalogueField &field : CatalogueFields)
        fields << quoteIdentifier(QString::fromUtf8(field.field));
    const QString projects = quoteIdentifier(QLatin1String(ProjectsTable));
    {
        SqlStatement count(db_, QStringLiteral("SELECT count(*) FROM %1").arg(projects));
        if (count.step())
            count_ = count.int64(0);
    }
    const QByteArray sql = QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(fields.join(u','), projects).toUtf8();
    if (sqlite3_prepare_v2(db_, sql.constData(), -1, &select_, nullptr) != SQLITE_OK)
        return fail(QStringLiteral("The catalogue \"%1\" cannot be read (%2).").arg(shown, sqlite3_errmsg(db_)));
    return true;
}

bool CatalogueRecordSource::next(ImportRecord &record)
{
    const int rc = sqlite3_step(select_);
    if (rc == SQLITE_DONE)
        return false;
    if (rc != SQLITE_ROW)
        return fail(QStringLiteral("The catalogue \"%1\" cannot be read (%2).")
                        .arg(QDir::toNativeSeparators(path_), sqlite3_errmsg(db_)));
    for (int i = 0; i < int(record.size()); ++i) {
        if (sqlite3_column_type(select_, i) == SQLITE_NULL) {
            record[i].reset();
        } else {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(select_, i));
            record[i] = QByteArray(text, sqlite3_column_bytes(select_, i));
        }
    }
    return true;
}
