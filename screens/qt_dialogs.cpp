#include "screens/dialogs.h"

#include "screens/restore_review_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// The race file filter is written "(*.TKR)|*.tkr": a description, a bar, then the pattern.
QString qtFilter(const QString& filter)
{
    const qsizetype bar = filter.indexOf(u'|');
    if (bar < 0)
        return filter;
    return filter.left(bar) + QStringLiteral(" (") + filter.mid(bar + 1) + QStringLiteral(")");
}

// The extension of a filter's first pattern ("tkr" of "(*.TKR)|*.tkr"); empty when it has none.
QString defaultSuffixOf(const QString& filter)
{
    const QString pattern = filter.mid(filter.indexOf(u'|') + 1).section(u' ', 0, 0);
    return pattern.startsWith(QStringLiteral("*.")) && pattern.indexOf(u'*', 1) < 0 ? pattern.mid(2) : QString();
}

// Qt's own dialog, which speaks Japanese through Qt's translation whatever the desktop's language; a desktop's
// native dialog would follow the session's locale instead.
QFileDialog::Options fileDialogOptions() { return QFileDialog::DontUseNativeDialog; }
} // namespace

bool QtDialogs::confirm(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, window_);
    box.setTextFormat(Qt::PlainText);
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    box.setDefaultButton(ok);
    box.exec();
    return box.clickedButton() == ok;
}

QString QtDialogs::openFile(const QString& title, const QString& filter) { return openFileIn(title, filter, {}); }

QString QtDialogs::openFileIn(const QString& title, const QString& filter, const QString& start)
{
    const QString folder = !start.isEmpty() ? start : folder_.isEmpty() ? QDir::currentPath() : folder_;
    QFileDialog dialog(window_, title, folder, qtFilter(filter));
    dialog.setOptions(fileDialogOptions());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // A name typed without its extension is found as the save dialog, which adds it, wrote it: "24052611" opens
    // "24052611.tkr".
    dialog.setDefaultSuffix(defaultSuffixOf(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

QString QtDialogs::saveFile(const QString& title, const QString& filter, const QString& proposedName)
{
    // The screens ask about overwriting themselves, in their own words.
    const QDir start = folder_.isEmpty() ? QDir::current() : QDir(folder_);
    return QFileDialog::getSaveFileName(window_, title, start.filePath(proposedName), qtFilter(filter), nullptr,
                                        fileDialogOptions() | QFileDialog::DontConfirmOverwrite);
}

void QtDialogs::reportError(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::NoButton, window_);
    box.setTextFormat(Qt::PlainText);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

int QtDialogs::choose(const QString& text, const QString& title, const QStringList& options)
{
    QInputDialog box(window_);
    box.setWindowTitle(title);
    box.setLabelText(text);
    box.setComboBoxItems(options);
    box.setComboBoxEditable(false);
    box.setOkButtonText(QStringLiteral("OK"));
    box.setCancelButtonText(QStringLiteral("キャンセル"));
    if (box.exec() != QDialog::Accepted)
        return -1;
    return static_cast<int>(options.indexOf(box.textValue()));
}

QString QtDialogs::openFolder(const QString& title, const QString& start)
{
    return QFileDialog::getExistingDirectory(window_, title, start, fileDialogOptions() | QFileDialog::ShowDirsOnly);
}

bool QtDialogs::waitForFolder(const QString& text, std::chrono::milliseconds pause)
{
    if (!folderWait_) {
        // Modal, so that nothing else of the program can be started while the write waits; closed by its button, by
        // Esc or by its close box, each of which stops the wait.
        folderWait_ = new QDialog(window_);
        folderWait_->setWindowTitle(QStringLiteral("書き込みの待ち合わせ"));
        folderWait_->setWindowModality(Qt::ApplicationModal);
        auto* layout = new QVBoxLayout(folderWait_);
        auto* label = new QLabel(folderWait_);
        label->setObjectName(QStringLiteral("folderWaitText"));
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setMinimumWidth(400);
        layout->addWidget(label);
        auto* buttons = new QDialogButtonBox(folderWait_);
        buttons->addButton(QStringLiteral("待つのをやめる"), QDialogButtonBox::RejectRole);
        layout->addWidget(buttons);
        QObject::connect(buttons, &QDialogButtonBox::rejected, folderWait_, &QDialog::reject);
        folderWaitStopped_ = false;
        QObject::connect(folderWait_, &QDialog::rejected, folderWait_, [this] { folderWaitStopped_ = true; });
    }
    // The notice is as tall as its text (the holder may change while it waits), and shown once it says something.
    if (auto* label = folderWait_->findChild<QLabel*>(QStringLiteral("folderWaitText"));
        label && label->text() != text) {
        label->setText(text);
        folderWait_->adjustSize();
    }
    if (!folderWait_->isVisible())
        folderWait_->show();
    if (!folderWaitStopped_) {
        QEventLoop loop;
        QTimer::singleShot(pause, &loop, &QEventLoop::quit);
        QObject::connect(folderWait_, &QDialog::rejected, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return !folderWaitStopped_;
}

void QtDialogs::folderWaitOver()
{
    delete folderWait_;
    folderWaitStopped_ = false;
}

bool QtDialogs::choosePrinter(QPrinter& printer, const QString& title)
{
    // Qt's own dialog, in Japanese through Qt's translation as the file dialogs are; it offers a PDF file as a printer.
    QPrintDialog dialog(&printer, window_);
    dialog.setWindowTitle(title);
    dialog.setOption(QAbstractPrintDialog::PrintToFile);
    return dialog.exec() == QDialog::Accepted;
}

void QtDialogs::inform(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::NoButton, window_);
    box.setTextFormat(Qt::PlainText);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

bool QtDialogs::reviewRestore(QAbstractItemModel& comparison, const QString& text, const QString& title)
{
    RestoreReviewDialog dialog(comparison, text, title, window_);
    return dialog.exec() == QDialog::Accepted;
}
