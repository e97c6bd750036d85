#pragma once

#include "screens/race_header.h"
#include "screens/screen.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class QButtonGroup;
class QKeyEvent;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

// The mark entry screen: one column per runner (number, name box, marks) from right to left, the six mark buttons,
// the ticket count and aim, and the buttons that predict, save, load and go back.
class Form4 : public Screen {
    Q_OBJECT
public:
    Form4(Module1& module, Navigation& navigation, Dialogs& dialogs);

    void Form_Load() override;
    void Form_Activate() override;
    // Marks, names, ticket count or aim changed since the sheet was opened, loaded or saved.
    bool hasUnsavedWork() const override;

private:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Command10_Click();
    void Label8_MouseDown(int index, Qt::MouseButton button);
    void Text1_KeyPress(int index, int keyAscii);
    void Text2_KeyPress(int keyAscii);
    void VScroll1_Change();
    void Option1_Click();
    void Option2_Click();
    // The tipster grid over this screen.
    void tipsterGridButton_Click();
    // A key on a runner's mark label: 1..6 or a mark adds one, Shift with it or Delete takes one away, the arrows move
    // to the runner beside it. True when the key was used.
    bool Label8_KeyPress(int index, const QKeyEvent* event);
    // Adds a mark of kind (without a tipster), or takes one away after asking when it is a tipster's.
    void addMark(int index, MarkKind kind);
    void removeMarkOf(int index, MarkKind kind);

    // The opening steps: header, ticket box and aim, a fresh column per runner, marks, names and tail lines cleared.
    void openSheet();
    void fillHeader();
    void chooseMark(MarkKind kind);
    void showMarks(int index);
    void selectAim();
    void showOnSpinner(int count);
    // ticketCount := the ticket box's number. A number that no 16-bit count holds is refused with a message,
    // and ticketCount stays as it was.
    bool takeTicketCount();
    int shownRunners() const;
    void createColumn(int index);
    void placeColumn(int index);
    void removeColumns();
    void setTabChain();

    RaceHeader header; // Label1 .. Label6
    QLabel* Label9;
    QLabel* Label10;
    QLabel* Label11;
    QLabel* Label12;
    QLabel* Label13;
    QLabel* Label14;
    QLabel* Label15;
    QLineEdit* Text2;
    QScrollBar* VScroll1;
    QRadioButton* Option1;
    QRadioButton* Option2;
    QButtonGroup* aimGroup;
    QFrame* Shape1;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;
    QPushButton* Command4;
    QPushButton* Command5;
    QPushButton* Command6;
    QPushButton* Command7;
    QPushButton* Command8;
    QPushButton* Command9;
    QPushButton* Command10;
    QPushButton* tipsterGridButton;

    // Control arrays: element 0 is the hidden template, elements 1..n-1 are made per runner.
    std::vector<QLabel*> Label7;
    std::vector<QPlainTextEdit*> Text1;
    std::vector<QLabel*> Label8;

    // The mark that a press on a runner's mark label adds or removes; Label9 shows it.
    MarkKind currentMark = MarkKind::DoubleCircle;

    // What a save would keep of the sheet, as it was when the sheet was last opened, loaded or saved.
    struct SheetContent {
        std::vector<std::array<std::int16_t, markKindCount>> marks;
        std::vector<QString> names;
        std::int16_t ticketCount = 0;
        std::int16_t aimMode = 0;
        TipsterGrid tipsters;
        bool operator==(const SheetContent&) const = default;
    };
    SheetContent content() const;
    SheetContent savedContent;
    // The name each box showed when it was last filled or confirmed: a name changed elsewhere (on the tipster grid)
    // replaces the box's text, while text typed without Enter stays.
    std::vector<QString> shownNames;
};
