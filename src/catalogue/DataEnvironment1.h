#pragma once

#include "catalogue/Connection.h"
#include "catalogue/Recordset.h"

// The program-wide data object: the catalogue connection, the test connection
// used to check a newly chosen catalogue, and the record sets of their commands.
class DataEnvironment1
{
public:
    static DataEnvironment1 &instance();
    // Tests and the relocation check start over with closed connections.
    static void reset();

    Connection Connection1;
    Connection ConnTest{true};

    // Commands: ConJobnr and Script on Connection1, Test on ConnTest.
    Recordset rsConJobnr;
    Recordset rsScript;
    Recordset rsTest;

private:
    DataEnvironment1();
};
