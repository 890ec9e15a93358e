#pragma once

#include "import/ImportRecord.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The Jet samples of tests/data/jet, the Jet reader of the build, and the
// records of the made Projects catalogues as projects/rows.tsv lists them.
namespace JetTestData {

inline QString dataFile(const QString &name)
{
    return qEnvironmentVariable("MORVO_TEST_DATA") + QStringLiteral("/jet/") + name;
}

inline QString jetReader()
{
    return qEnvironmentVariable("MORVO_BIN_DIR") + QStringLiteral("/morvo-jetreader");
}

// A copy in the folder, so that a test can show the original is never changed.
inline QString copyInto(const QTemporaryDir &dir, const QString &name)
{
    const QString copy = dir.filePath(QFileInfo(name).fileName());
    QFile::remove(copy);
    QFile::copy(dataFile(name), copy);
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    return copy;
}

inline QByteArray fileHash(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    return file.open(QIODevice::ReadOnly) && hash.addData(&file) ? hash.result() : QByteArray();
}

// rows.tsv: one record per line, fields split by tabs; \N is NULL, and \t,
// \n and \\ stand for a tab, a line feed and a backslash.
inline QList<ImportRecord> madeProjectRows()
{
    QFile file(dataFile(QStringLiteral("projects/rows.tsv")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<ImportRecord> rows;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        ImportRecord record;
        const QList<QByteArray> fields = line.split('\t');
        for (qsizetype i = 0; i < fields.size() && i < qsizetype(record.size()); ++i) {
            if (fields[i] == "\\N")
                continue;
            QByteArray value;
            for (qsizetype c = 0; c < fields[i].size(); ++c) {
                if (fields[i][c] == '\\' && c + 1 < fields[i].size()) {
                    const char escaped = fields[i][++c];
                    value += escaped == 't' ? '\t' : escaped == 'n' ? '\n' : escaped;
                } else {
                    value += fields[i][c];
                }
            }
            record[i] = value;
        }
        rows << record;
    }
    return rows;
}

inline QString describe(const std::optional<QByteArray> &value)
{
    return value ? u'"' + QString::fromUtf8(*value) + u'"' : QStringLiteral("NULL");
}

inline void compareRecords(const QList<ImportRecord> &actual, const QList<ImportRecord> &expected)
{
    QCOMPARE(actual.size(), expected.size());
    for (qsizetype r = 0; r < actual.size(); ++r) {
        for (size_t f = 0; f < actual[r].size(); ++f) {
            const QString where = QStringLiteral("record %1, field %2").arg(r + 1).arg(CatalogueFields[f].field);
            QVERIFY2(actual[r][f] == expected[r][f],
                     qPrintable(where + QStringLiteral(": ") + describe(actual[r][f]) + QStringLiteral(" != ")
                                + describe(expected[r][f])));
        }
    }
}
}
