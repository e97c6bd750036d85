#pragma once

#include "screens/screen.h"

#include <QStringList>

class QLabel;
class QListWidget;
class QPushButton;

// The win/loss record of the program's own proposals: every saved race is predicted again from its marks and
// counted a hit when a proposed ticket is the recorded pair of finishers, each ticket reckoned at 100 yen.
class Form7 : public Screen {
    Q_OBJECT
public:
    Form7(Module1& module, Navigation& navigation, Dialogs& dialogs);

    void Form_Load() override;
    void Form_Unload() override;

private:
    void Command1_Click();
    void Command2_Click();

    QLabel* Label1;
    QListWidget* List1;
    QLabel* Label2;
    QLabel* Label6;
    QLabel* Label3;
    QLabel* Label7;
    QLabel* Label4;
    QLabel* Label8;
    QLabel* Label5;
    QLabel* Label9;
    QLabel* Label10;
    QLabel* Label12;
    QLabel* Label11;
    QLabel* Label13;
    QLabel* Label14;
    QLabel* Label15;
    QLabel* Label16;
    QPushButton* Command2;
    QPushButton* Command1;
    // The file of each line of List1.
    QStringList fileNames;
};
