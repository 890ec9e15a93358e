#pragma once

#include <QString>
#include <memory>

class CatalogueStore;

// A connection to one catalogue. The connection string is where the catalogue
// is (the bare path of a file); opening never creates one.
class Connection
{
public:
    explicit Connection(bool readOnly = false);
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    QString ConnectionString;

    // Opens the catalogue named by ConnectionString (closing any earlier one).
    bool Open();
    bool isOpen() const { return store_ != nullptr; }
    void Close();

    CatalogueStore &store() const { return *store_; }
    QString lastError() const { return error_; }

private:
    bool readOnly_;
    std::unique_ptr<CatalogueStore> store_;
    QString error_;
};
