#pragma once

#include "import/ImportRecord.h"

#include <QString>

// Where records go: a catalogue (a SQLite file here; a shared store can be
// added as another writer) or a CSV file. Nothing is visible at the target
// before finish(), and nothing is left behind by abandon().
class CatalogueWriter
{
public:
    virtual ~CatalogueWriter() = default;

    virtual bool begin() = 0;
    virtual bool write(const ImportRecord &record) = 0;
    // Makes every written record permanent at target().
    virtual bool finish() = 0;
    virtual void abandon() = 0;
    virtual QString target() const = 0;

    QString error() const { return error_; }

protected:
    bool fail(const QString &text)
    {
        error_ = text;
        return false;
    }

private:
    QString error_;
};
