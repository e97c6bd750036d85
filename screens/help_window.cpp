#include "screens/help_window.h"

#include "screens/control_table.h"

#include <QFile>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

QString helpWindowTitle() { return QStringLiteral("トキロ　ヘルプ"); }

HelpWindow::HelpWindow(QWidget* owner) : QWidget(owner, Qt::Window), browser_(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(helpWindowTitle());
    resize(720, 600);

    browser_->setObjectName(QStringLiteral("helpBrowser"));
    browser_->setOpenLinks(true);
    browser_->setOpenExternalLinks(false);
    browser_->setFont(screenFont(11, false, gothicFamily));

    auto* contents = new QPushButton(QStringLiteral("目次"), this);
    contents->setObjectName(QStringLiteral("helpContents"));
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setObjectName(QStringLiteral("helpClose"));
    for (QPushButton* button : {contents, close}) {
        button->setFont(screenFont(11, false, gothicFamily));
        button->setAutoDefault(false);
        pressWithEnter(button);
    }
    connect(contents, &QPushButton::clicked, this,
            [this] { browser_->scrollToAnchor(QString::fromLatin1(contentsAnchor)); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_);
    layout->addLayout(buttons);
}

void HelpWindow::showDocument(const QString& path, const QString& anchor)
{
    // Reading it once first tells a missing or unreadable document apart from an empty page.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        browser_->setSource(QUrl());
        browser_->setHtml(QStringLiteral("<p>ヘルプの文書を開けませんでした。</p><p>%1</p>"
                                         "<p>プログラムと同じフォルダに tokiro.hlp があるか確かめてください。</p>")
                              .arg(path.toHtmlEscaped()));
        return;
    }
    file.close();
    QUrl url = QUrl::fromLocalFile(path);
    url.setFragment(anchor);
    // The document is HTML whatever its file name says.
    browser_->setSource(url, QTextDocument::HtmlResource);
    browser_->scrollToAnchor(anchor);
}

HelpWindow* HelpWindow::openFor(QWidget* from, const QString& path, const QString& anchor)
{
    QWidget* owner = from->window();
    auto* help = owner->findChild<HelpWindow*>(QStringLiteral("HelpWindow"), Qt::FindDirectChildrenOnly);
    if (!help)
        help = new HelpWindow(owner);
    help->showDocument(path, anchor);
    // Where the user looks: over the program. A help window already open stays where the user put it.
    if (!help->isVisible())
        help->move(owner->geometry().center() - help->rect().center());
    help->show();
    help->raise();
    help->activateWindow();
    return help;
}
