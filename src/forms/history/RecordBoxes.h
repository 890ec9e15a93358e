#pragma once

#include "stores/CatalogueStore.h"

class Form1;
class QPushButton;

// What the history's windows do to the record window: put a kept version
// into its boxes as typing would, and store it with its Update button.
namespace RecordBoxes {
// The Update button when the window is unlocked; otherwise says so and gives null.
QPushButton *updateButtonUnlocked(Form1 *window);
// The values (in the order of the catalogue's fields) into the boxes; the job
// number's box is left as it is when keepJobNumber is set.
void type(Form1 *window, const QStringList &fields, const FieldValues &values, bool keepJobNumber = false);
// Stores what the boxes hold as a restore; true when nothing is left pending.
bool storeAsRestore(QPushButton *update);
}
