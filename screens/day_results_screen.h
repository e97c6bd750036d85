#pragma once

#include "screens/screen.h"

class DayResultsModel;
class QLabel;
class QPushButton;
class QTableView;

// 結果をまとめて入力: the results of a day's races pasted at once (result pages one after another, or a
// spreadsheet), one row per race matched to its saved race, and every ticked race written with one confirmation.
// Opened over the result-entry screen, whose list it brings up to date when it goes back.
class DayResultsScreen : public Screen {
    Q_OBJECT
public:
    DayResultsScreen(Module1& module, Navigation& navigation, Dialogs& dialogs);

    void Form_Load() override;
    QString helpSection() const override { return QStringLiteral("dayresults"); }

    // What the buttons and keys do; public for the view's keys.
    void paste();
    void chooseDeadHeat();
    void toggleTick();
    void write();
    void back();

private:
    void showRow();
    void say(const QString& text);

    QLabel* title;
    QLabel* keysNote;
    QTableView* table;
    DayResultsModel* model;
    QLabel* rowNote;
    QLabel* status;
    QPushButton* pasteButton;
    QPushButton* chooseButton;
    QPushButton* writeButton;
    QPushButton* backButton;
};
