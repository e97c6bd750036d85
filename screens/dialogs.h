#pragma once

#include <QString>

class QWidget;

// Message boxes and file dialogs, behind one interface so that tests can answer them in advance.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // OK/キャンセル box; true only for OK.
    virtual bool confirm(const QString& text, const QString& title) = 0;
    // Path chosen, or empty on cancel. Both dialogs start in the current folder.
    virtual QString openFile(const QString& title, const QString& filter) = 0;
    virtual QString saveFile(const QString& title, const QString& filter, const QString& proposedName) = 0;
    // Tells the user that something could not be done.
    virtual void reportError(const QString& text, const QString& title) = 0;
};

// The real dialogs: QMessageBox and QFileDialog, parented to the given window.
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QWidget* window = nullptr) : window_(window) {}
    void setWindow(QWidget* window) { window_ = window; }

    bool confirm(const QString& text, const QString& title) override;
    QString openFile(const QString& title, const QString& filter) override;
    QString saveFile(const QString& title, const QString& filter, const QString& proposedName) override;
    void reportError(const QString& text, const QString& title) override;

private:
    QWidget* window_;
};
