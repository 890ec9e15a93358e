#pragma once

#include <QString>

// What start-up and "Set Database" make of a catalogue location before the
// record set opens it: most are opened as they are; a Windows catalogue is
// converted first, with the user's consent.
struct PreparedCatalogue
{
    enum Outcome {
        AsIs, // open the location as it is
        Converted, // open the converted copy in location ("DbsLocation" holds it)
        Declined, // the user did not want it converted
        Refused, // reason says why it cannot be used
    };
    Outcome outcome = AsIs;
    QString location;
    QString reason;

    bool usable() const { return outcome == AsIs || outcome == Converted; }
};

PreparedCatalogue prepareCatalogue(const QString &location);
