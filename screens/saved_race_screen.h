#pragma once

#include "racefile/catalogue.h"
#include "racefile/file_result.h"
#include "racefile/race_folder.h"
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
// handlers, layout table and wiring; what both do the same way with a saved race is the interface below, which the
// handlers call: list the races, pick one, read it, rewrite its lines from the boxes, delete it, go back.
class SavedRaceScreen : public Screen {
    Q_OBJECT
public:
    // Picks the race of that file (a bare name in the race folder) as a click on its line does; false when the list
    // has no such race.
    bool showRaceOfFile(const QString& fileName);

protected:
    // Builds the header block and the shared controls from the screen's layout table.
    SavedRaceScreen(ScreenId id, Module1& module, Navigation& navigation, Dialogs& dialogs,
                    std::span<const ControlLine> controls, double formFont);

    // Fills List1 with the folder's saved races (and whatever the screen sums with them) and hides the write button.
    virtual void listRaces() = 0;
    // After a write or a delete, whatever its outcome: empty the boxes, list the races again, focus on "戻ります".
    void listRacesAgain();

    // The race of List1's current line becomes the picked race: the selected race file, its line shown under the
    // list. Null when no line is current.
    const CatalogueEntry* pickRace();
    // Reads the picked race's file.
    FileResult readPickedRace(LoadedRace& loaded, ReadScope scope, CatalogueEntry* entry = nullptr) const;
    // The picked race could not be read: the user is told why, under the title. When its file is gone the races are
    // listed again and false returned; otherwise the boxes are emptied, nothing can be written, and true returned.
    bool showUnreadableRace(const FileResult& read, const QString& title);

    // How a screen turns its boxes into the rewritten lines of the picked race's file.
    using PrepareRewrite = std::function<FileResult(const RaceFolder& folder, PendingRewrite& pending)>;
    // Writes the boxes into the picked race's file: the first box whose text cannot be written (its problem not
    // empty) is told, under "データの書き換え", and gets the focus, the boxes keeping what was typed; otherwise the
    // rewrite is prepared (waiting for another program's lock on the folder), the question asked, and only OK
    // writes. Nothing happens while no race is picked.
    void rewritePickedRace(std::initializer_list<std::pair<QLineEdit*, QString>> problems,
                           const std::function<QString()>& question, const PrepareRewrite& prepare);
    // Deletes the picked race's file after asking; a file already gone is told at once.
    void deletePickedRace();
    // Back to the menu.
    void backToMenu();

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

private:
    // Changes the race folder after asking: check (a prepared rewrite, the file still there) comes first, then the
    // question, and only OK runs act. A failure at either step is told under the title; the races are listed again in
    // any case.
    void askThenChange(const std::function<FileResult()>& check, const QString& question, const QString& title,
                       const std::function<FileResult()>& act);
};
