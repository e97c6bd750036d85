#pragma once

#include "screens/saved_race_screen.h"

// The balance ledger: the money the user staked and received on every saved race, the difference per race and
// over all races, and the entry of the two amounts of one race.
class Form8 : public SavedRaceScreen {
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
    void listRaces() override { buildBalanceList(); }

    QLabel* Label6;
    QLineEdit* Text4;
};
