#include "catalogue/Connection.h"

#include "stores/StoreFactory.h"

Connection::Connection(bool readOnly) : readOnly_(readOnly)
{
}

Connection::~Connection() = default;

void Connection::Close()
{
    store_.reset();
}

bool Connection::Open()
{
    Close();
    error_.clear();
    store_ = openCatalogueStore(ConnectionString, readOnly_, error_);
    return store_ != nullptr;
}
