#pragma once

#include <QImage>
#include <QRect>
#include <QString>

#include <functional>

class Dialogs;
class QPrinter;
class QPushButton;
class QWidget;

// A screen kept as a picture or on paper: a PNG of the page as it is drawn, at its size or at twice its size (as on a
// high-density screen), and a print through Qt's print dialog (a printer, or a PDF file) on A4 with a heading above
// the page that names the race or the filter, so that a sheet found later says what it shows.

// What the screen tells the export when it is asked for.
struct PageExport {
    std::function<QString()> heading;  // the line printed above the page
    std::function<QString()> fileStem; // the proposed file name, without extension
};

// The page as drawn on screen, scale 1 or 2 times its size in pixels.
QImage pageImage(QWidget& page, int scale);

// Prints the page on printer, scaled to fit under the heading. Empty on success, else why not (in Japanese).
QString printPage(QWidget& page, QPrinter& printer, const QString& heading);

// Offers the picture and the print on screen: a button at buttonTwips with a menu of 「画像で保存（等倍）」,
// 「画像で保存（2倍）」 and 「印刷・PDF…」 (Ctrl+P), the same menu on a right click on the screen where no control
// takes it. Files are proposed in the race folder under what.fileStem, and a failed write says so.
QPushButton* installPageExport(QWidget& screen, Dialogs& dialogs, const QRect& buttonTwips, PageExport what);

// What a bar of choices shows, as one line: each caption, the text of each pick list and each ticked box, in the
// order they were made ("競馬場 東京 重賞 すべて 期間 2024年"); what is hidden is left out.
QString shownChoices(const QWidget& area);

// The two commands of the menu, for a test or a caller of its own. A file that exists is replaced only when the user
// agrees.
void savePagePicture(QWidget& page, Dialogs& dialogs, const PageExport& what, int scale);
void printPageAsked(QWidget& page, Dialogs& dialogs, const PageExport& what);
