#pragma once

class QLabel;

// Keeps a one-line caption whole when its font is taller than the label's box: the Japanese fonts that stand in
// for "ＭＳ 明朝" draw taller glyphs than the box was laid out for. The caption is drawn from the top of the box, as
// labels always were, and the box grows downwards as far as the line needs; left, top and width stay as laid out.
// Meant for labels without a back colour or border, where the taller box cannot be seen.
void keepCaptionWhole(QLabel* label);
