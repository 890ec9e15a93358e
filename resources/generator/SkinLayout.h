#pragma once

#include "shell/Artwork.h"

#include <QRect>

// Geometry of the record window's skin, in window pixels. The control
// rectangles mirror where the record window places its widgets; the skin keeps
// calm, opaque ground under every one of them.
namespace SkinLayout {

inline constexpr QSize Size = Artwork::SkinSize;
inline constexpr QRgb Key = Artwork::SkinKey;

// The opaque outline: pixel columns 3..616 and rows 4..404. Right of the
// drawing panel lies the strip of the fold buttons (columns 603..614).
inline constexpr QRect Outline{3, 4, 614, 401};
inline constexpr int LastOpaqueColumn = 616;
inline constexpr qreal CornerRadius = 11;

inline constexpr int CaptionBottom = 48;
inline constexpr QRect DrawingPanel{422, 50, 180, 348};
inline constexpr int CaptionLabelHeight = 17;

// A field button belongs to the text box beside it and shares its recess.
enum class ControlKind { TextBox, FieldButton, Button, CaptionButton, DrawingView, DragStrip };

struct Control
{
    ControlKind kind;
    QRect rect;
};

inline constexpr Control Controls[] = {
    {ControlKind::TextBox, {24, 72, 73, 19}}, // Job Number
    {ControlKind::TextBox, {96, 72, 225, 19}}, // Client Name
    {ControlKind::TextBox, {328, 72, 89, 19}}, // Date
    {ControlKind::TextBox, {24, 105, 393, 19}}, // Project Name
    {ControlKind::TextBox, {24, 137, 393, 161}}, // Project Description
    {ControlKind::TextBox, {24, 309, 153, 19}}, // Project Location
    {ControlKind::TextBox, {184, 309, 233, 19}}, // Project Manager
    {ControlKind::TextBox, {24, 341, 370, 19}}, // File Name
    {ControlKind::FieldButton, {396, 341, 21, 21}}, // locate
    {ControlKind::Button, {344, 364, 65, 25}}, // Search
    {ControlKind::Button, {24, 364, 65, 25}}, // Add
    {ControlKind::Button, {92, 364, 65, 25}}, // Delete
    {ControlKind::Button, {160, 364, 65, 25}}, // Update
    {ControlKind::Button, {428, 200, 40, 25}}, // First
    {ControlKind::Button, {471, 200, 40, 25}}, // Prev
    {ControlKind::Button, {514, 200, 40, 25}}, // Next
    {ControlKind::Button, {557, 200, 40, 25}}, // Last
    {ControlKind::DrawingView, {428, 72, 169, 123}}, // file list
    {ControlKind::DrawingView, {428, 232, 169, 161}}, // thumbnail
    {ControlKind::CaptionButton, {400, 15, 24, 24}}, // padlock
    {ControlKind::CaptionButton, {432, 15, 24, 24}}, // help
    {ControlKind::CaptionButton, {496, 15, 24, 24}}, // menu
    {ControlKind::CaptionButton, {528, 15, 24, 24}}, // minimize
    {ControlKind::CaptionButton, {560, 15, 24, 24}}, // exit
    {ControlKind::DragStrip, {16, 12, 585, 32}},
};

// The caption label of a text box sits in the strip just above it.
constexpr QRect captionLabelOf(const QRect &textBox)
{
    return {textBox.left(), textBox.top() - CaptionLabelHeight, textBox.width(), CaptionLabelHeight};
}

} // namespace SkinLayout
