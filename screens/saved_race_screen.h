#pragma once

#include "racefile/catalogue.h"
#include "racefile/file_result.h"
#include "screens/control_table.h"
#include "screens/screen.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <utility>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The result entry and balance screens alike: the list of every saved race, the picked race's line under it, three
// boxes with their captions, a write button, a button of the screen's own and "戻ります". Each screen keeps its own
// handlers and layout table; what both do the same way is here.
class SavedRaceScreen : public Screen {
    Q_OBJECT
public:
    // Picks the race of that file (a bare name in the race folder) as a click on its line does; false when the list
    // has no such race.
    bool pickRace(const QString& fileName);

protected:
    // Builds the header block and the shared controls from the screen's layout table, and wires the list and the three
    // buttons to the handlers below.
    SavedRaceScreen(ScreenId id, Module1& module, Navigation& navigation, Dialogs& dialogs,
                    std::span<const ControlLine> controls, double formFont);

    virtual void List1_Click() = 0;
    virtual void Command2_Click() = 0;
    virtual void Command3_Click() = 0;
    // Back to the menu.
    void Command1_Click();

    // Fills List1 from the race folder (and whatever the screen sums with it) and hides the write button.
    virtual void fillList() = 0;
    // After a write or a delete, whatever its outcome: empty the boxes, list again, focus on "戻ります".
    void relist();

    // The race of List1's current line, which becomes the selected race file and is shown under the list; null when
    // no line is current.
    const CatalogueEntry* pickCurrentLine();
    // A picked race that could not be read: the user is told why, under the title. When its file is gone the list is
    // built again and false returned; otherwise the boxes are emptied, nothing can be written, and true returned.
    bool keepUnreadablePick(const FileResult& read, const QString& title);

    // The first box whose text cannot be written (its problem not empty) is told, under "データの書き換え", and gets
    // the focus; true when every box can be written. The boxes keep what was typed.
    bool boxesCanBeWritten(std::initializer_list<std::pair<QLineEdit*, QString>> problems);
    // Changes the race folder after asking: check (a prepared rewrite, the file still there) comes first, then the
    // question, and only OK runs act. A failure at either step is told under the title; the list is built again in
    // any case.
    void askThenChange(const std::function<FileResult()>& check, const QString& question, const QString& title,
                       const std::function<FileResult()>& act);

    QLabel* Label1;
    QListWidget* List1;
    QLabel* Label5;
    QLabel* Label2;
    QLineEdit* Text1;
    QLabel* Label3;
    QLineEdit* Text2;
    QLabel* Label4;
    QLineEdit* Text3;
    QPushButton* Command2;
    QPushButton* Command3;
    QPushButton* Command1;

    // The saved races in List1's order.
    std::vector<CatalogueEntry> catalogue;
    // Keys typed since a box got the focus (the first-digit rule).
    std::int16_t keyCount = 0;
};
