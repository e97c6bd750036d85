#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

#include <chrono>

class QAbstractItemModel;
class QDialog;
class QPrinter;
class QWidget;

// Message boxes and file dialogs, behind one interface so that tests can answer them in advance.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // OK/キャンセル box; true only for OK.
    virtual bool confirm(const QString& text, const QString& title) = 0;
    // Path chosen, or empty on cancel. Both dialogs start in the race folder. A filter is a description and a pattern
    // joined by a bar, "CSVファイル|*.csv", which the dialog shows as "CSVファイル (*.csv)".
    virtual QString openFile(const QString& title, const QString& filter) = 0;
    virtual QString saveFile(const QString& title, const QString& filter, const QString& proposedName) = 0;
    // Tells the user that something could not be done.
    virtual void reportError(const QString& text, const QString& title) = 0;
    // A folder chosen, or empty on cancel; the dialog starts in start.
    virtual QString openFolder(const QString& title, const QString& start)
    {
        Q_UNUSED(title);
        Q_UNUSED(start);
        return {};
    }
    // One of several options, or -1 on cancel. Without a list of its own, each option is offered in turn.
    virtual int choose(const QString& text, const QString& title, const QStringList& options)
    {
        for (qsizetype i = 0; i < options.size(); ++i)
            if (confirm(text + QStringLiteral("\n\n「") + options[i] + QStringLiteral("」にしますか？"), title))
                return static_cast<int>(i);
        return -1;
    }
    // Tells the user what was done.
    virtual void inform(const QString& text, const QString& title) { reportError(text, title); }
    // An open dialog that starts in start (empty: the race folder).
    virtual QString openFileIn(const QString& title, const QString& filter, const QString& start)
    {
        Q_UNUSED(start);
        return openFile(title, filter);
    }
    // Shows a backup's files against the race folder (RestoreComparisonModel) under text; true when the user goes on
    // to restore.
    virtual bool reviewRestore(QAbstractItemModel& comparison, const QString& text, const QString& title)
    {
        Q_UNUSED(comparison);
        return confirm(text, title);
    }
    // Qt's print dialog for printer: a printer, or a PDF file. False on cancel (and where no dialog can be shown).
    virtual bool choosePrinter(QPrinter& printer, const QString& title)
    {
        Q_UNUSED(printer);
        Q_UNUSED(title);
        return false;
    }
    // While a write waits for another program to let go of the race folder: shows text with a button to stop waiting
    // (the rest of the window takes no input meanwhile), lets up to pause go by with the event loop running, and
    // returns false once the user has stopped waiting. folderWaitOver() takes the notice away.
    virtual bool waitForFolder(const QString& text, std::chrono::milliseconds pause) = 0;
    virtual void folderWaitOver() = 0;
};

// The real dialogs: QMessageBox and QFileDialog, parented to the given window. The texts of the message boxes are
// shown as plain text: they hold file names and race texts, which must never be taken for markup or links.
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QWidget* window = nullptr) : window_(window) {}
    void setWindow(QWidget* window) { window_ = window; }
    // Where the file dialogs start: the race folder (empty: the current folder).
    void setFolder(const QString& folder) { folder_ = folder; }

    bool confirm(const QString& text, const QString& title) override;
    QString openFile(const QString& title, const QString& filter) override;
    QString saveFile(const QString& title, const QString& filter, const QString& proposedName) override;
    void reportError(const QString& text, const QString& title) override;
    int choose(const QString& text, const QString& title, const QStringList& options) override;
    QString openFolder(const QString& title, const QString& start) override;
    bool choosePrinter(QPrinter& printer, const QString& title) override;
    bool waitForFolder(const QString& text, std::chrono::milliseconds pause) override;
    void folderWaitOver() override;
    void inform(const QString& text, const QString& title) override;
    QString openFileIn(const QString& title, const QString& filter, const QString& start) override;
    bool reviewRestore(QAbstractItemModel& comparison, const QString& text, const QString& title) override;

private:
    QWidget* window_;
    QString folder_;
    QPointer<QDialog> folderWait_; // the notice while a write waits
    bool folderWaitStopped_ = false;
};
