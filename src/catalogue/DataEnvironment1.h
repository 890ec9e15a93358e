#pragma once

#include "catalogue/Connection.h"
#include "catalogue/Recordset.h"

// The program-wide data object: the catalogue connection and the record sets
// of its commands.
class DataEnvironment1
{
public:
    static DataEnvironment1 &instance();
    // Tests and the relocation check start over with closed connections.
    static void reset();

    Connection Connection1;

    // Commands ConJobnr and Script on Connection1; the test connection of a
    // newly chosen catalogue is CatalogueProbe's own.
    Recordset rsConJobnr;
    Recordset rsScript;

private:
    DataEnvironment1();
};
