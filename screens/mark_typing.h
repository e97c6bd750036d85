#pragma once

#include <vector>

class QInputMethodEvent;

// What an input method hands to a control that takes marks (the grid's mark cells, the mark sheet's mark labels).
// Those controls tell the input method they take no text, so that 1..6 arrive as keys whatever its state; this reads
// what still arrives through it: a mark committed whole (◎ composed as 「まる」), and a composition that an input
// method started anyway. A composition started by a digit is the digit's key: its mark is given at once, where the
// key was pressed, the input method is asked to drop the composition (so that no Enter is used up to commit it), and
// the commit of that digit that may follow is not counted again.
class MarkTyping {
public:
    // The mark kinds (0 ◎ .. 5 ★) the event gives, in the order typed.
    std::vector<int> marksOf(const QInputMethodEvent& event);

private:
    bool composing_ = false;
    // The text of a composition whose digit was taken when it started; empty when none was.
    std::vector<char16_t> taken_;
};
