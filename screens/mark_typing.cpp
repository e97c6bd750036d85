#include "screens/mark_typing.h"

#include "core/tipster_paste.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>

std::vector<int> MarkTyping::marksOf(const QInputMethodEvent& event)
{
    std::vector<int> marks;
    const QString commit = event.commitString();
    const QString preedit = event.preeditString();
    if (!commit.isEmpty()) {
        // The digit taken when its composition started is not given twice; whatever was typed after it is.
        qsizetype from = 0;
        while (from < commit.size() && static_cast<std::size_t>(from) < taken_.size()
               && commit[from].unicode() == taken_[static_cast<std::size_t>(from)])
            ++from;
        for (qsizetype i = from; i < commit.size(); ++i) {
            if (const std::optional<int> kind = markKindOfCharacter(commit[i], true))
                marks.push_back(*kind);
        }
        composing_ = false;
        taken_.clear();
    }
    if (preedit.isEmpty()) {
        // Committed or given up: no composition is left.
        composing_ = false;
        taken_.clear();
        return marks;
    }
    if (composing_)
        return marks;
    const std::optional<int> kind =
        preedit.size() == 1 && preedit[0].isDigit() ? markKindOfCharacter(preedit[0], true) : std::nullopt;
    if (!kind) {
        composing_ = true;
        return marks;
    }
    marks.push_back(*kind);
    // The composition is over for this control, whether the input method drops it quietly or commits it now.
    taken_.assign(preedit.utf16(), preedit.utf16() + preedit.size());
    QGuiApplication::inputMethod()->reset();
    return marks;
}
