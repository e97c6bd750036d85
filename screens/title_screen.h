#pragma once

#include "screens/screen.h"

class QLabel;
class QPushButton;
class QTimer;

// The title screen: the program's name, a short one-pass horse animation and the buttons start, quit and help.
class Form1 : public Screen {
    Q_OBJECT
public:
    Form1(Module1& module, Navigation& navigation, Dialogs& dialogs);

    void Form_Load() override;
    void Form_Unload() override;

    // The step of the picture animation: 0 while uma01 is up, then 1, 2 and 3 (uma04, the timer stops on the next
    // tick). Public so that a test can put the animation at any step.
    int frame = 0;

private slots:
    // Slots so that the animation can also be stepped by name, without waiting for the clock.
    void Timer1_Timer();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

private:
    void loadPicture(const QString& fileName);

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Image1;
    QLabel* Label3;
    QPushButton* Command1;
    QPushButton* Command3;
    QPushButton* Command2;
    QTimer* Timer1;
};
