#pragma once

#include "screens/control_table.h"

#include <QColor>
#include <QFont>
#include <QIdentityProxyModel>
#include <QPalette>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <utility>

class Analysis;
class QComboBox;
class QDate;
class QLabel;
class QTableView;
class QWidget;

// The look the filter bar and the pages of the analysis screen share: their fonts, their tables, pick lists, check
// boxes and captions on the black page, and the texts more than one page shows.
namespace analysisview {

QFont captionFont();
QFont boxFont();
QFont tableFont();

QStringList utf8List(std::initializer_list<const char*> texts);

// A white caption (or one of the given colour) in the caption font, shown as plain text.
QLabel* caption(const QString& text, QWidget* parent, int fore = white);
// A note under a table, small and in cyan: wrapped over lines, or a line of counts shown as plain text (it names
// races by the texts of their files).
QLabel* note(const char* name, const QString& text, QWidget* parent);
QLabel* countsLine(const char* name, QWidget* parent);
// A pick list of the given width.
QComboBox* pickBox(const char* name, QWidget* parent, int width);
// A read-only table of whole rows, its cells painted by the analysis models' marks.
QTableView* table(const char* name, QWidget* parent);

// Gives a check box or option button white text on the black page, its box or circle white as on the other screens'
// boxes.
void styleChoice(QWidget* button);
template <typename Button>
Button* choice(const char* name, const QString& text, QWidget* parent)
{
    auto* button = new Button(text, parent);
    button->setObjectName(QString::fromUtf8(name));
    styleChoice(button);
    return button;
}

// The marks the analysis models give their cells: an indicative figure (fewer than 30 races) in orange, the what-if
// rows of the counts the user really asked in bold on peach; with colours, the first column in one and the others in
// the other.
void paintAnalysisCells(QTableView* view, QColor nameColour = {}, QColor valueColour = {});

// A table's headers as the screen shows them: on two lines, so that the columns stay as narrow as their numbers. The
// model keeps its own one-line headers for the CSV file.
class ScreenHeaders final : public QIdentityProxyModel {
public:
    ScreenHeaders(QStringList headers, QObject* parent) : QIdentityProxyModel(parent), headers_(std::move(headers)) {}

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList headers_;
};

QString yearText(int year);            // "2024年"
QString monthText(const QDate& month); // "2024年3月"
// Why races without a result are counted while none has one.
QString firstSeasonText();
// The tipster pages' note when no race has both a tipster's marks and a result.
QString noTipsterRaces();

// The races the tipster pages left out, for their note and its tooltip (計算中 and no tooltip while the tipsters are
// worked out).
struct TipsterLeftOut {
    QString text;
    QString tip;
};
TipsterLeftOut tipsterLeftOut(const Analysis& analysis);

} // namespace analysisview
