#include "forms/convert/CatalogueLocation.h"

#include "forms/convert/WindowsCatalogue.h"

namespace {
// A kind of catalogue location that needs something done before it opens.
struct CatalogueRecognition
{
    bool (*recognises)(const QString &location);
    PreparedCatalogue (*prepare)(const QString &location);
};

// Asked in order; a location that none recognises is opened as it is.
constexpr CatalogueRecognition Recognitions[] = {
    {isWindowsCatalogue, convertWindowsCatalogue},
};
}

PreparedCatalogue prepareCatalogue(const QString &location)
{
    for (const CatalogueRecognition &recognition : Recognitions) {
        if (recognition.recognises(location))
            return recognition.prepare(location);
    }
    return {PreparedCatalogue::AsIs, location, QString()};
}
