#pragma once

// How the program's own picture controls read to a screen reader: a picture
// that does something on a click is a button with a "Press" action, named by
// its tool tip where it has no name of its own; the drawing preview is a
// picture named after the drawing it shows. Installed once, by the first such
// control made.
namespace AccessibleControls {
void install();
}
