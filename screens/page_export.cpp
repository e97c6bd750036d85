#include "screens/page_export.h"

#include "racefile/save_file.h"
#include "screens/control_table.h"
#include "screens/dialogs.h"
#include "screens/folder_wait.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QShortcut>

#include <algorithm>

namespace {

const QString pictureTitle = QStringLiteral("画像で保存");
const QString printTitle = QStringLiteral("印刷");

// A name the user typed without an extension gets the one the filter offers; an existing file is replaced only when
// the user agrees.
QString chosenPath(Dialogs& dialogs, const QString& title, const QString& filter, const QString& proposed,
                   const QString& suffix)
{
    QString path = dialogs.saveFile(title, filter, proposed);
    if (path.isEmpty())
        return {};
    if (QFileInfo(path).suffix().isEmpty())
        path += u'.' + suffix;
    if (QFileInfo::exists(path)
        && !dialogs.confirm(
            QStringLiteral("「%1」はもうあります。置き換えますがよろしいですか？").arg(QFileInfo(path).fileName()),
            title))
        return {};
    return path;
}

} // namespace

QImage pageImage(QWidget& page, int scale)
{
    scale = std::clamp(scale, 1, 2);
    QImage image(page.size() * scale, QImage::Format_ARGB32_Premultiplied);
    // Drawn at the device pixel ratio, text and lines are drawn sharp at twice the size rather than enlarged.
    image.setDevicePixelRatio(scale);
    image.fill(Qt::black);
    page.render(&image);
    image.setDevicePixelRatio(1);
    return image;
}

QString printPage(QWidget& page, QPrinter& printer, const QString& heading)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return QStringLiteral("印刷を始められませんでした。プリンターか保存先を確かめてください。");
    const QRectF paper = printer.pageLayout().paintRectPixels(printer.resolution());
    const QRectF area(0, 0, paper.width(), paper.height());

    // The heading in the screens' Mincho, black on the paper, cut to one line if it is longer than the page.
    QFont font = screenFont(12);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetricsF metrics(font, &printer);
    const QString line = metrics.elidedText(heading, Qt::ElideRight, area.width());
    const qreal headingHeight = metrics.height() * 1.6;
    painter.drawText(QRectF(area.left(), area.top(), area.width(), metrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, line);

    // The page under it, as large as fits, drawn as vectors so that its texts stay sharp (and text, in a PDF).
    const QRectF room(area.left(), area.top() + headingHeight, area.width(), area.height() - headingHeight);
    const qreal scale = std::min(room.width() / page.width(), room.height() / page.height());
    painter.translate(room.left() + (room.width() - page.width() * scale) / 2, room.top());
    painter.scale(scale, scale);
    page.render(&painter, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    if (!painter.end())
        return QStringLiteral("印刷を終えられませんでした。プリンターか保存先を確かめてください。");
    return {};
}

QString shownChoices(const QWidget& area)
{
    QStringList parts;
    for (const QWidget* widget : area.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&area))
            continue;
        if (const auto* label = qobject_cast<const QLabel*>(widget))
            parts += label->text();
        else if (const auto* box = qobject_cast<const QComboBox*>(widget))
            parts += box->currentText();
        else if (const auto* tick = qobject_cast<const QCheckBox*>(widget); tick && tick->isChecked())
            parts += tick->text();
    }
    parts.removeAll(QString());
    return parts.join(u' ');
}

void savePagePicture(QWidget& page, Dialogs& dialogs, const PageExport& what, int scale)
{
    const QString stem = what.fileStem ? what.fileStem() : QString();
    const QString path = chosenPath(dialogs, pictureTitle, QStringLiteral("PNG画像|*.png"),
                                    stem + (scale == 2 ? QStringLiteral("_2倍") : QString()) + QStringLiteral(".png"),
                                    QStringLiteral("png"));
    if (path.isEmpty())
        return;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QString name = QFileInfo(path).fileName();
    if (!pageImage(page, scale).save(&buffer, "PNG")) {
        dialogs.reportError(QStringLiteral("画像「%1」を作れませんでした。").arg(name), pictureTitle);
        return;
    }
    // Saved as a race is, whole or not at all, waiting for another program's lock when it goes into the race folder.
    FolderWait wait(dialogs);
    const SaveResult saved = saveWholeFile(path, bytes, {}, &wait);
    if (saved.stoppedWaiting)
        dialogs.reportError(
            QStringLiteral("待つのをやめたため、画像「%1」は保存しませんでした。前からあったファイルはそのままです。")
                .arg(name),
            pictureTitle);
    else if (!saved.ok)
        dialogs.reportError(
            QStringLiteral("画像「%1」を保存できませんでした。保存先のフォルダ、ディスクの空きと書き込み"
                           "の許可を確かめてください。前からあったファイルはそのままです。")
                .arg(name),
            pictureTitle);
}

void printPageAsked(QWidget& page, Dialogs& dialogs, const PageExport& what)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    // The screens are wider than high: across the sheet they are printed larger.
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(what.fileStem ? what.fileStem() : QString());
    if (!dialogs.choosePrinter(printer, printTitle))
        return;
    const QString failed = printPage(page, printer, what.heading ? what.heading() : QString());
    if (!failed.isEmpty())
        dialogs.reportError(failed, printTitle);
}

QPushButton* installPageExport(QWidget& screen, Dialogs& dialogs, const QRect& buttonTwips, PageExport what)
{
    const ControlLine line{.name = "pageExport",
                           .kind = ControlKind::Button,
                           .caption = "画像・印刷",
                           .left = buttonTwips.left(),
                           .top = buttonTwips.top(),
                           .width = buttonTwips.width(),
                           .height = buttonTwips.height(),
                           .pointSize = 11.25};
    auto* button = static_cast<QPushButton*>(buildControl(&screen, line, 11.25));
    auto* menu = new QMenu(button);
    menu->setObjectName(QStringLiteral("pageExportMenu"));
    QWidget* page = &screen;
    auto* half = menu->addAction(QStringLiteral("画像で保存（画面の大きさ）"), &screen,
                                 [page, &dialogs, what] { savePagePicture(*page, dialogs, what, 1); });
    half->setObjectName(QStringLiteral("savePicture"));
    auto* twice = menu->addAction(QStringLiteral("画像で保存（2倍の大きさ）"), &screen,
                                  [page, &dialogs, what] { savePagePicture(*page, dialogs, what, 2); });
    twice->setObjectName(QStringLiteral("savePictureTwice"));
    const QKeySequence printKeys(QKeySequence::Print);
    auto* print = menu->addAction(QStringLiteral("印刷・PDFで保存…\t") + printKeys.toString(QKeySequence::NativeText),
                                  &screen, [page, &dialogs, what] { printPageAsked(*page, dialogs, what); });
    print->setObjectName(QStringLiteral("printPage"));
    button->setMenu(menu);

    auto* key = new QShortcut(printKeys, &screen);
    key->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(key, &QShortcut::activated, print, &QAction::trigger);
    // A right click on the page where no control has a menu of its own (a label, a table, the black background).
    screen.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&screen, &QWidget::customContextMenuRequested, menu,
                     [menu, page](const QPoint& at) { menu->popup(page->mapToGlobal(at)); });
    return button;
}
