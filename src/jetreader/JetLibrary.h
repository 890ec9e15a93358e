#pragma once

// mdbtools.h includes glib inside its extern "C" block, where glib's C++
// parts cannot stand: glib comes first, on its own.
#include <glib.h>

#include <mdbtools.h>
