#pragma once

class QWidget;

// Control sizes come from a design whose fonts are narrower than the faces
// found here. A caption (label, option button) whose text would be cut, or
// would touch what stands right of it, keeps its size and takes a smaller font.
void shrinkFontToFit(QWidget *caption);

// A caption label sits just above its box, as wide as the box: it ends a pixel
// above the box, and its font shrinks until its text, descenders included, fits.
void fitCaptionAbove(QWidget *caption, const QWidget *box);
