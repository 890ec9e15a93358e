#pragma once

#include <QByteArray>
#include <QString>

// What the first page of a Jet or ACE database (Microsoft Access) says about
// the file, read as the bytes stand: no library call, so a damaged file can
// be judged before anything else touches it.
struct JetHeader
{
    enum Engine {
        NotJet, // no Jet header at all
        Database, // "Standard Jet DB": Access 97 (Jet 3) or 2000-2003 (Jet 4)
        Ace, // "Standard ACE DB": Access 2007 and later (.accdb)
        Workgroup, // "Jet System DB": a workgroup information file (.mdw)
    };
    Engine engine = NotJet;
    int version = -1; // 0 Jet 3, 1 Jet 4, 2 and up ACE
    bool complete = false; // the whole header is there
    quint16 codePage = 0;
    quint32 databaseKey = 0; // not 0: the pages are encrypted
    QString password; // the database password; empty for none

    bool isJet3() const { return engine == Database && version == 0; }
    bool isJet4() const { return engine == Database && version == 1; }
    int pageSize() const { return version == 0 ? 2048 : 4096; }
};

// Reads the header from the start of a file (a page or less).
JetHeader readJetHeader(const QByteArray &start);
