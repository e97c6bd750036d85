#pragma once

#include "screens/saved_race_screen.h"

#include <QDate>

struct PastedResult;
class QPushButton;

// The race result entry screen: lists the saved races, shows the picked race's first and second finishers and
// payout, writes them back into its file, or deletes the file.
class Form6 : public SavedRaceScreen {
    Q_OBJECT
public:
    Form6(Module1& module, Navigation& navigation, Dialogs& dialogs);

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload() override;

private:
    void List1_Click();
    void Text1_GotFocus();
    void Text2_GotFocus();
    void Text3_GotFocus();
    void Text1_KeyPress(int keyAscii);
    void Text2_KeyPress(int keyAscii);
    void Text3_KeyPress(int keyAscii);
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    // Fills List1 with one line per saved race and hides the write and delete buttons.
    void buildCatalogue();
    void listRaces() override
    {
        pickedNames.clear();
        buildCatalogue();
    }
    // The finishers that cannot be (beyond the runners, the same horse twice), one sentence a line; empty if none.
    QString resultWarnings() const;

    // Our own: the name of the horse whose number is in Text1 and Text2, where the picked race has names.
    QLabel* firstName;
    QLabel* secondName;
    // Runners of the picked race, against which the finishers are checked.
    int pickedRunnerCount = 0;
    std::vector<QString> pickedNames;
    void showName(QLabel* label, const QString& number);

    // Our own: a result page pasted (the button, or Ctrl+V) fills the three boxes; nothing is written until 書き込み.
    QPushButton* pasteResult;
    QLabel* pasteNote;
    QDate pickedDate;
    QString pickedCourse;
    int pickedNumber = 0;
    void pasteResultPage();
    // The ways the pasted page names another race than the picked one, a line each; empty if none.
    QString otherRaceOf(const PastedResult& result) const;

    // Our own: the day's results pasted at once, on a screen of their own.
    QPushButton* dayResults;
    bool relistOnActivate = false;
};
