#pragma once

#include "racefile/catalogue.h"
#include "screens/screen.h"

#include <cstdint>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The race result entry screen: lists the saved races, shows the picked race's first and second finishers and
// payout, writes them back into its file, or deletes the file.
class Form6 : public Screen {
    Q_OBJECT
public:
    Form6(Module1& module, Navigation& navigation, Dialogs& dialogs);

    void Form_Load() override;
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
    // After a write or a delete, whatever its outcome: empty the boxes, list again, focus on "戻ります".
    void relist();
    // The finishers that cannot be (beyond the runners, the same horse twice), one sentence a line; empty if none.
    QString resultWarnings() const;

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
    // Our own: the name of the horse whose number is in Text1 and Text2, where the picked race has names.
    QLabel* firstName;
    QLabel* secondName;

    // The saved races in List1's order.
    std::vector<CatalogueEntry> catalogue;
    // Keys typed since a box got the focus (the first-digit rule).
    std::int16_t keyCount = 0;
    // Runners of the picked race, against which the finishers are checked.
    int pickedRunnerCount = 0;
    std::vector<QString> pickedNames;
    void showName(QLabel* label, const QString& number);
};
