#pragma once

#include <QFont>
#include <QObject>
#include <QRect>

#include <vector>

class QWidget;

// Windows are laid out from tables of controls measured in twips
// (15 twips per device-independent pixel).
enum class ControlKind { TextBox, MultiLineTextBox, Label, Button, OptionButton };

// Keeps a control (or menu item) made from a table row in its member of the
// window; rows of controls that nothing refers to keep none.
template <class Form> using KeepControl = void (*)(Form &, QObject *);

template <class Member> struct MemberParts;
template <class Form, class Control> struct MemberParts<Control * Form::*>
{
    using Owner = Form;
    using Type = Control;
};

template <auto Member> void keepControl(typename MemberParts<decltype(Member)>::Owner &form, QObject *control)
{
    form.*Member = qobject_cast<typename MemberParts<decltype(Member)>::Type *>(control);
}

// A row's object name and the member that keeps its control, written once:
// a name that is no member of the window does not compile.
#define CONTROL_MEMBER(Form, member) #member, &keepControl < &Form::member>

template <class Form> struct ControlRow
{
    const char *name;
    KeepControl<Form> keep; // null for none
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

// Controls join the keyboard order by their tab positions, across tables.
class TabOrder
{
public:
    void add(int tab, QWidget *control);
    // Chains the controls that take the focus, lowest tab position first.
    void apply() const;

private:
    std::vector<std::pair<int, QWidget *>> controls_;
};

// One control of a table row, named and placed by it, as a child of parent.
QWidget *makeControl(QWidget *parent, const char *name, ControlKind kind, const char *caption, const QRect &twips,
                     const char *toolTip, const QFont &font);

// Creates the table's controls as children of the window and keeps each in
// its member; returns them in the table's order.
template <class Form, class Rows>
std::vector<QWidget *> createControls(Form &form, const Rows &rows, const QFont &font, TabOrder *order = nullptr)
{
    std::vector<QWidget *> controls;
    for (const ControlRow<Form> &row : rows) {
        QWidget *control = makeControl(&form, row.name, row.kind, row.caption,
                                       QRect(row.left, row.top, row.width, row.height), row.toolTip, font);
        if (row.keep)
            row.keep(form, control);
        if (order && row.tab >= 0)
            order->add(row.tab, control);
        controls.push_back(control);
    }
    return controls;
}
