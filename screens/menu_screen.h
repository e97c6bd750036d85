#pragma once

#include "screens/screen.h"

class QLabel;
class QPushButton;

// The menu: the hub from which every job starts with an empty race, and the way back to the title.
class Form2 : public Screen {
    Q_OBJECT
public:
    Form2(Module1& module, Navigation& navigation, Dialogs& dialogs);

    void Form_Load() override;

private slots:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();

private:
    void openJob(ScreenId job);

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label4;
    QLabel* Label3;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;
    QPushButton* Command4;
    QPushButton* Command5;
    QLabel* Label5;

    // Our own: which folder the races are kept in, and a way to choose another.
    QLabel* folderLabel;
    QPushButton* chooseFolder;
    void showRaceFolder();
    void chooseRaceFolder();

    // Our own: a backup of the race folder, and the way back from one.
    QPushButton* backupButton;
    QPushButton* restoreButton;
    void backUpRaceFolder();
    void restoreRaceFolder();
};
