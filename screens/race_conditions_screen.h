#pragma once

#include "core/race_surface.h"
#include "screens/screen.h"

#include <QString>

#include <optional>
#include <utility>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
struct PastedRaceCard;

// True when two date texts name the same day, written alike or not ("99/7/5" and "99/07/05").
bool sameRaceDate(const QString& typed, const QString& stored);

// The race conditions screen: seven questions about the race, three pick lists, then on to the mark sheet.
class Form3 : public Screen {
    Q_OBJECT
public:
    Form3(Module1& module, Navigation& navigation, Dialogs& dialogs);

    void Form_Load() override;

private:
    void Text1_KeyPress(int keyAscii);
    void Text2_KeyPress(int keyAscii);
    void Text3_KeyPress(int keyAscii);
    void Text4_KeyPress(int keyAscii);
    void Text5_KeyPress(int keyAscii);
    void Text6_KeyPress(int keyAscii);
    void Text7_KeyPress(int keyAscii);
    void Text4_GotFocus();
    void Text5_GotFocus();
    void Text6_GotFocus();
    void List1_DblClick();
    void List2_DblClick();
    void List3_DblClick();
    void List1_KeyPress(int keyAscii);
    void List2_KeyPress(int keyAscii);
    void List3_KeyPress(int keyAscii);
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    // Our own: a race card pasted (the button or Ctrl+V) fills the answers it could read, after the user has seen them.
    void cardPasteButton_Click();
    void pasteRaceCard(const QString& text);
    QString cardSummary(const PastedRaceCard& card) const;
    void showSurface();

    // Reads the date box: a date is shown as YY/MM/DD, anything else is refused with a message and the focus stays
    // in the box. False when refused.
    bool takeDate();
    void showList(QListWidget* list);
    void enterList(QListWidget* list);
    // Puts the picked item into its box and moves on; false (and nothing changed) when no item is selected.
    bool pickFromList(QListWidget* list, QLineEdit* box, QLineEdit* next);

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;
    QLabel* Label10;
    QLabel* Label11;
    QLabel* Label12;
    QLabel* Label15;
    QLineEdit* Text1;
    QLineEdit* Text2;
    QLineEdit* Text3;
    QLineEdit* Text4;
    QLineEdit* Text5;
    QLineEdit* Text6;
    QLineEdit* Text7;
    QListWidget* List1;
    QListWidget* List2;
    QListWidget* List3;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;
    QPushButton* cardPasteButton;
    QLabel* surfaceLabel; // the surface of a pasted card, beside the distance

    // What a pasted card gave beyond the seven answers: taken into the race (the names by the mark sheet) on
    // "次のデータ入力へ".
    RaceSurface surface = RaceSurface::Unknown;
    std::vector<std::pair<int, QString>> cardNames;
};
