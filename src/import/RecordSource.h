#pragma once

#include "import/ImportRecord.h"

#include <QString>
#include <QStringList>
#include <atomic>

// Where records come from: a Windows catalogue, a CSV file, another catalogue.
class RecordSource
{
public:
    virtual ~RecordSource() = default;

    // Opens the source and checks that it holds the eight fields; false with error().
    virtual bool open() = 0;
    // The next record; false at the end, or on a failure (then error() says why).
    virtual bool next(ImportRecord &record) = 0;
    // About how many records the source holds, having read so many; 0 when unknown.
    virtual qint64 expected(qint64 read) const = 0;

    QString error() const { return error_; }
    // What the user should know that is no failure (columns left out, say).
    QStringList notes() const { return notes_; }
    // A source that waits on something outside stops soon after this is set.
    void setCancelFlag(const std::atomic<bool> *cancelled) { cancelled_ = cancelled; }

protected:
    bool fail(const QString &text)
    {
        error_ = text;
        return false;
    }
    bool isCancelled() const { return cancelled_ && cancelled_->load(); }
    QStringList notes_;

private:
    QString error_;
    const std::atomic<bool> *cancelled_ = nullptr;
};
