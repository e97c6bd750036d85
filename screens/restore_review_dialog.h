#pragma once

#include <QDialog>

class QAbstractItemModel;
class QLabel;
class QPushButton;
class QTableView;

// What a backup holds against the race folder, before anything is written: a table of its files (the comparison
// model) under a summary, with 「戻す」 and 「やめる」. In the look of the screens: black, the screens' fonts.
class RestoreReviewDialog final : public QDialog {
    Q_OBJECT
public:
    RestoreReviewDialog(QAbstractItemModel& comparison, const QString& text, const QString& title,
                        QWidget* parent = nullptr);

private:
    QLabel* summary;
    QTableView* table;
    QPushButton* restoreButton;
    QPushButton* cancelButton;
};
