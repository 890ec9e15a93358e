#pragma once

#include "catalogue/CatalogueFields.h"

#include <QByteArray>
#include <array>
#include <optional>

// One catalogue record on its way from a source to a catalogue: the eight
// fields in the table's order as UTF-8, byte for byte; an empty optional is NULL.
using ImportRecord = std::array<std::optional<QByteArray>, CatalogueFields.size()>;
