#include "import/CsvRecordSource.h"

#include <QDir>

CsvRecordSource::CsvRecordSource(const QString &path) : path_(path), file_(path)
{
}

bool CsvRecordSource::failAt(const QString &problem)
{
    return fail(
        QStringLiteral("The CSV file \"%1\" cannot be read: %2.").arg(QDir::toNativeSeparators(path_), problem));
}

bool CsvRecordSource::open()
{
    if (!file_.open(QIODevice::ReadOnly))
        return failAt(file_.errorString());
    if (file_.peek(3) == Csv::ByteOrderMark)
        file_.read(3);
    reader_ = std::make_unique<Csv::Reader>(file_);
    const Csv::Reader::Result result = reader_->next(row_);
    if (result == Csv::Reader::Malformed)
        return failAt(reader_->problem());
    if (result == Csv::Reader::End)
        return failAt(QStringLiteral("it is empty, without even the header row that names the fields"));
    columns_ = row_.size();
    QStringList names, missing;
    for (const auto &name : row_)
        names << QString::fromUtf8(name.value_or(QByteArray()));
    for (const CatalogueField &field : CatalogueFields) {
        const int column = int(names.indexOf(QString::fromUtf8(field.field)));
        fieldColumns_.push_back(column);
        if (column < 0)
            missing << u'"' + QString::fromUtf8(field.field) + u'"';
    }
    if (!missing.isEmpty())
        return failAt(QStringLiteral("its header row (line %1) has no field %2")
                          .arg(reader_->line())
                          .arg(missing.join(QStringLiteral(", "))));
    QStringList others;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (!std::ranges::count(fieldColumns_, int(i)))
            others << names[i];
    }
    if (!others.isEmpty())
        notes_ << QStringLiteral("The CSV file's columns %1 are no catalogue fields; they were left out.")
                      .arg(others.join(QStringLiteral(", ")));
    return true;
}

bool CsvRecordSource::next(ImportRecord &record)
{
    const Csv::Reader::Result result = reader_->next(row_);
    if (result == Csv::Reader::End)
        return false;
    if (result == Csv::Reader::Malformed)
        return failAt(reader_->problem());
    if (row_.size() != columns_)
        return failAt(QStringLiteral("line %1: the row has %2 fields where the header has %3")
                          .arg(reader_->line())
                          .arg(row_.size())
                          .arg(columns_));
    for (size_t i = 0; i < record.size(); ++i) {
        record[i] = std::move(row_[fieldColumns_[i]]);
        if (record[i] && !record[i]->isValidUtf8())
            return failAt(QStringLiteral("line %1: the text is not UTF-8").arg(reader_->line()));
    }
    return true;
}

qint64 CsvRecordSource::expected(qint64 read) const
{
    const qint64 consumed = reader_ ? reader_->consumed() : 0;
    return consumed > 0 ? std::max(read, read * file_.size() / consumed) : read;
}
