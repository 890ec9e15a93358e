#pragma once

class QLabel;

// Label sizes come from a design whose font is narrower than the faces found
// here; a label whose text would be cut keeps its size and takes a smaller font.
void shrinkFontToFit(QLabel *label);
