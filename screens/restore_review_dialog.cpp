#include "screens/restore_review_dialog.h"

#include "screens/control_table.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

RestoreReviewDialog::RestoreReviewDialog(QAbstractItemModel& comparison, const QString& text, const QString& title,
                                         QWidget* parent)
    : QDialog(parent),
      summary(new QLabel(this)),
      table(new QTableView(this)),
      restoreButton(new QPushButton(QStringLiteral("戻す"), this)),
      cancelButton(new QPushButton(QStringLiteral("やめる"), this))
{
    setObjectName(QStringLiteral("restoreReview"));
    setWindowTitle(title);
    setAutoFillBackground(true);
    setColours(this, white, black);
    resize(720, 480);

    summary->setObjectName(QStringLiteral("restoreSummary"));
    summary->setTextFormat(Qt::PlainText);
    summary->setWordWrap(true);
    summary->setText(text);
    summary->setFont(screenFont(12));
    setColours(summary, lightYellow, black);

    table->setObjectName(QStringLiteral("restoreTable"));
    table->setModel(&comparison);
    table->setFont(screenFont(11.25, false, gothicFamily));
    useStandardPalette(table);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setWordWrap(false);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->resizeColumnsToContents();

    for (QPushButton* button : {restoreButton, cancelButton}) {
        button->setFont(screenFont(12));
        useStandardPalette(button);
        pressWithEnter(button);
    }
    restoreButton->setObjectName(QStringLiteral("restoreGo"));
    cancelButton->setObjectName(QStringLiteral("restoreCancel"));
    connect(restoreButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(restoreButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(table, 1);
    layout->addLayout(buttons);
    // The table first, so that the keys scroll it; Tab reaches the buttons.
    table->setFocus();
    setTabOrder(table, restoreButton);
    setTabOrder(restoreButton, cancelButton);
}
