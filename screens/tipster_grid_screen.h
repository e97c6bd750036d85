#pragma once

#include "screens/race_header.h"
#include "screens/screen.h"

#include <vector>

struct PastedMarkColumn;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class TipsterGridModel;
class TipsterGridView;

// 予想家ごとの印: the marks of each tipster, runners as rows and tipsters as columns, made for the keyboard. Opened
// over the mark sheet; every change goes straight into the race's counts, which the mark sheet shows when it comes
// back.
class TipsterGridScreen : public Screen {
    Q_OBJECT
public:
    TipsterGridScreen(Module1& module, Navigation& navigation, Dialogs& dialogs);

    void Form_Load() override;
    void Form_Activate() override;
    QString helpSection() const override { return QStringLiteral("tipsters"); }

    // The model column of tipster t, and the tipster of a model column (-1: not a tipster's column).
    static int columnOfTipster(int tipster) { return tipster + 2; }
    int tipsterOfColumn(int column) const;

    // What the keys and the mouse do to the cell in focus; public for the view.
    void giveMark(int kind);
    void clearMark();
    void moveOn();
    void paste();
    // Back to the mark sheet, as 「戻ります」 and Esc do.
    void back();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void addTipsterClicked();
    void renameTipsterClicked();
    void removeTipsterClicked();
    void moveTipsterBy(int step);
    void pasteMarks();
    void pasteMarkTable(const std::vector<PastedMarkColumn>& table);
    void pasteNames();
    void nameBoxEnter();

    int currentTipster() const;
    void focusCell(int row, int column);
    void refresh();
    void say(const QString& text);
    // The repeated ◎ ○ ▲ of every tipster, one sentence; empty when there are none.
    QString repeatedMarksText() const;

    RaceHeader header;
    QLabel* title;
    QLabel* keysNote;
    TipsterGridView* grid;
    TipsterGridModel* model;
    QLabel* status;
    QLabel* nameCaption;
    QLineEdit* tipsterName;
    QPushButton* addTipsterButton;
    QPushButton* renameTipsterButton;
    QPushButton* removeTipsterButton;
    QPushButton* moveLeftButton;
    QPushButton* moveRightButton;
    QPushButton* pasteMarksButton;
    QPushButton* pasteNamesButton;
    QPushButton* backButton;
    QLabel* othersNote;
};
