#pragma once

#include "import/CatalogueWriter.h"

#include <functional>
#include <memory>

namespace SqliteBulk {
class Writer;
}

// Writes records into a catalogue file. A new catalogue is written to a
// hidden file in the target's folder, synced, and only then given the first
// of its names that no file has: an existing file is never replaced. Records
// added to an existing catalogue go in one transaction.
class SqliteCatalogueWriter : public CatalogueWriter
{
public:
    // The names a new catalogue may take, in order; an empty name ends the list.
    using Names = std::function<QString(int attempt)>;
    static std::unique_ptr<SqliteCatalogueWriter> newCatalogue(Names names);
    static std::unique_ptr<SqliteCatalogueWriter> addTo(const QString &catalogue);
    ~SqliteCatalogueWriter() override;

    bool begin() override;
    bool write(const ImportRecord &record) override;
    bool finish() override;
    void abandon() override;
    QString target() const override { return target_; }

    // After a failed begin(): the folder of the new catalogue cannot be written.
    bool folderNotWritable() const { return folderNotWritable_; }

private:
    SqliteCatalogueWriter() = default;
    bool beginNew();
    bool beginAdding();
    bool failSqlite(const QString &what, const QString &why);

    Names names_;
    QString target_;
    QString temporary_;
    std::unique_ptr<SqliteBulk::Writer> writer_;
    bool adding_ = false;
    bool folderNotWritable_ = false;
};
