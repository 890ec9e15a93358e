// Must not compile: a layout row names a control the window does not have.
// CTest builds it and expects the build to fail (mistyped_control_name).
#include "forms/record/Form1Layout.h"

inline constexpr ControlRow<Form1> Mistyped{
    CONTROL_MEMBER(Form1, TxtNumbr), ControlKind::TextBox, "", 0, 0, 0, 0, -1, nullptr};
