#include "import/CsvCatalogueWriter.h"

#include "import/Csv.h"
#include "import/FilePlacement.h"

#include <QDir>
#include <cstring>

namespace {
constexpr qsizetype FlushAt = 1 << 20;
}

CsvCatalogueWriter::CsvCatalogueWriter(const QString &path) : path_(path)
{
}

CsvCatalogueWriter::~CsvCatalogueWriter()
{
    abandon();
}

bool CsvCatalogueWriter::failWrite()
{
    return fail(QStringLiteral("The CSV file \"%1\" cannot be written (%2).")
                    .arg(QDir::toNativeSeparators(path_), file_.errorString()));
}

bool CsvCatalogueWriter::begin()
{
    int errorNumber = 0;
    const QString temporary = FilePlacement::createTemporaryBeside(path_, &errorNumber);
    if (temporary.isEmpty())
        return fail(QStringLiteral("The CSV file \"%1\" cannot be written (%2).")
                        .arg(QDir::toNativeSeparators(path_), QString::fromLocal8Bit(std::strerror(errorNumber))));
    file_.setFileName(temporary);
    if (!file_.open(QIODevice::WriteOnly))
        return failWrite();
    pending_ = Csv::ByteOrderMark;
    Csv::Row header;
    for (const CatalogueField &field : CatalogueFields)
        header.emplace_back(QByteArray(field.field));
    Csv::appendRow(pending_, header);
    return true;
}

bool CsvCatalogueWriter::write(const ImportRecord &record)
{
    Csv::appendRow(pending_, Csv::Row(record.begin(), record.end()));
    return pending_.size() < FlushAt || flush();
}

bool CsvCatalogueWriter::flush()
{
    if (file_.write(pending_) != pending_.size())
        return failWrite();
    pending_.clear();
    return true;
}

bool CsvCatalogueWriter::finish()
{
    if (!flush() || !file_.flush())
        return failWrite();
    file_.close();
    if (!FilePlacement::syncFile(file_.fileName()) || !FilePlacement::placeReplacing(file_.fileName(), path_))
        return fail(QStringLiteral("The CSV file \"%1\" cannot be saved.").arg(QDir::toNativeSeparators(path_)));
    file_.setFileName(QString());
    return true;
}

void CsvCatalogueWriter::abandon()
{
    if (file_.fileName().isEmpty())
        return;
    file_.close();
    file_.remove();
    file_.setFileName(QString());
}
