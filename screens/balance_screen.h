#pragma once

#include "racefile/catalogue.h"
#include "screens/screen.h"

#include <cstdint>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The balance ledger: the money the user staked and received on every saved race, the difference per race and
// over all races, and the entry of the two amounts of one race.
class Form8 : public Screen {
    Q_OBJECT
public:
    Form8(Module1& module, Navigation& navigation, Dialogs& dialogs);

    void Form_Load() override;
    void Form_Unload() override;

private:
    void List1_Click();
    void Text1_GotFocus();
    void Text2_GotFocus();
    void Text1_KeyPress(int keyAscii);
    void Text2_KeyPress(int keyAscii);
    void Text3_KeyPress(int keyAscii);
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    // Fills List1 with one line per saved race, sums the amounts into Text4 and hides the write button.
    void buildBalanceList();
    // After a write, whatever its outcome: empty the boxes, list again, focus on "戻ります".
    void relist();

    QLabel* Label1;
    QListWidget* List1;
    QLabel* Label5;
    QLabel* Label2;
    QLineEdit* Text1;
    QLabel* Label3;
    QLineEdit* Text2;
    QLabel* Label4;
    QLineEdit* Text3;
    QLabel* Label6;
    QLineEdit* Text4;
    QPushButton* Command2;
    QPushButton* Command3;
    QPushButton* Command1;

    // The saved races in List1's order.
    std::vector<CatalogueEntry> catalogue;
    // Keys typed since a box got the focus (the first-digit rule).
    std::int16_t keyCount = 0;
};
