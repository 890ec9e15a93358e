#pragma once

#include <QFont>
#include <QRect>
#include <initializer_list>
#include <span>

class QWidget;

// Windows are laid out from tables of controls measured in twips
// (15 twips per device-independent pixel).
enum class ControlKind { TextBox, MultiLineTextBox, Label, Button, OptionButton };

struct ControlRow
{
    const char *name;
    ControlKind kind;
    const char *caption;
    int left, top, width, height; // twips
    int tab; // keyboard order; -1 for none
    const char *toolTip;
};

inline constexpr int TwipsPerPixel = 15;

constexpr int twipsToPixels(int twips)
{
    return (twips >= 0 ? twips + TwipsPerPixel / 2 : twips - TwipsPerPixel / 2) / TwipsPerPixel;
}
QRect twipsRect(int left, int top, int width, int height);

// The nearest installed sans-serif where the named family is missing.
QFont uiFont(const char *family, qreal pointSize, bool bold = false);

// Creates the table's controls as children of parent, named by the table.
void createControls(QWidget *parent, std::span<const ControlRow> rows, const QFont &font);
// Chains the keyboard order of the named controls of all tables by their tab positions.
void applyTabOrder(QWidget *parent, std::initializer_list<std::span<const ControlRow>> tables);
