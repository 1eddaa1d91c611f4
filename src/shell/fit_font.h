#pragma once
// Captions were drawn for one font; a wider one must not cut them off.

class QLabel;

namespace kolumbra::shell {

// Makes the label's font smaller, down to 6 points, until every line of its
// text fits `width` pixels. A label that fits keeps its font.
void ShrinkToFit(QLabel* label, int width);

}  // namespace kolumbra::shell
