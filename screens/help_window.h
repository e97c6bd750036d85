#pragma once

#include <QWidget>

class QTextBrowser;

// The program's own help viewer: a window of its own beside the screens, showing the help document.
class HelpWindow final : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* contentsAnchor = "contents";

    explicit HelpWindow(QWidget* owner);

    // Shows the document at the given anchor (its contents by default); a document that cannot be read gives a
    // message in the window instead.
    void showDocument(const QString& path, const QString& anchor = QString::fromLatin1(contentsAnchor));

    // Opens the help at the anchor for the window that holds `from`, reusing the help window it already has.
    // A help window that was not open comes up centred over that window.
    static HelpWindow* openFor(QWidget* from, const QString& path,
                               const QString& anchor = QString::fromLatin1(contentsAnchor));

    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

// "トキロ　ヘルプ"
QString helpWindowTitle();
