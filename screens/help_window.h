#pragma once

#include <QWidget>

class QTextBrowser;

// The program's own help viewer: a window of its own beside the screens, showing the help document.
class HelpWindow final : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* owner);

    // Shows the document at its contents; a document that cannot be read gives a message in the window instead.
    void showDocument(const QString& path);

    // Opens the help for the window that holds `from`, reusing the help window it already has.
    static HelpWindow* openFor(QWidget* from, const QString& path);

    QTextBrowser* browser() const { return browser_; }

    static constexpr const char* contentsAnchor = "contents";

private:
    QTextBrowser* browser_;
};

// "トキロ　ヘルプ"
QString helpWindowTitle();
