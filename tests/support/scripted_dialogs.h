#pragma once

#include "screens/dialogs.h"

#include <QPrinter>
#include <QStringList>

#include <deque>
#include <functional>
#include <thread>

// Answers message boxes and file dialogs as a test tells it, and records what was asked.
class ScriptedDialogs final : public Dialogs {
public:
    struct Asked {
        QString kind; // "confirm", "open", "save", "error", "wait", "inform", "review", "print"
        QString text;
        QString title;
        QString filter;
        QString proposedName;
    };

    std::deque<bool> confirmAnswers;   // empty: answer OK
    std::function<void()> whileAsking; // what another program does while a confirmation is open
    std::deque<QString> fileAnswers;   // empty: answer cancel (empty path)
    std::vector<Asked> asked;

    bool confirm(const QString& text, const QString& title) override
    {
        asked.push_back({QStringLiteral("confirm"), text, title, {}, {}});
        if (whileAsking)
            whileAsking();
        if (confirmAnswers.empty())
            return true;
        const bool answer = confirmAnswers.front();
        confirmAnswers.pop_front();
        return answer;
    }
    QString openFile(const QString& title, const QString& filter) override
    {
        asked.push_back({QStringLiteral("open"), {}, title, filter, {}});
        return nextFile();
    }
    QString saveFile(const QString& title, const QString& filter, const QString& proposedName) override
    {
        asked.push_back({QStringLiteral("save"), {}, title, filter, proposedName});
        return nextFile();
    }
    QString openFolder(const QString& title, const QString& start) override
    {
        asked.push_back({QStringLiteral("folder"), start, title, {}, {}});
        return nextFile();
    }
    // The print dialog answered with a PDF file to print to; empty: cancel.
    std::deque<QString> printAnswers;
    bool choosePrinter(QPrinter& printer, const QString& title) override
    {
        asked.push_back({QStringLiteral("print"), {}, title, {}, printer.docName()});
        if (printAnswers.empty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printAnswers.front());
        printAnswers.pop_front();
        return true;
    }
    void reportError(const QString& text, const QString& title) override
    {
        asked.push_back({QStringLiteral("error"), text, title, {}, {}});
    }
    void inform(const QString& text, const QString& title) override
    {
        asked.push_back({QStringLiteral("inform"), text, title, {}, {}});
    }
    QString openFileIn(const QString& title, const QString& filter, const QString& start) override
    {
        asked.push_back({QStringLiteral("open"), start, title, filter, {}});
        return nextFile();
    }
    // The comparison is recorded as "review" with its text; whileReviewing sees the model. Empty reviewAnswers: go on.
    std::deque<bool> reviewAnswers;
    std::function<void(QAbstractItemModel&)> whileReviewing;
    bool reviewRestore(QAbstractItemModel& comparison, const QString& text, const QString& title) override
    {
        asked.push_back({QStringLiteral("review"), text, title, {}, {}});
        if (whileReviewing)
            whileReviewing(comparison);
        if (reviewAnswers.empty())
            return true;
        const bool answer = reviewAnswers.front();
        reviewAnswers.pop_front();
        return answer;
    }
    // A wait for the race folder is recorded once, as "wait" with its first text; folderWaitAnswer is asked each time
    // the pause has gone by (pass counts from 1 in each wait). Empty: stop waiting.
    bool waitForFolder(const QString& text, std::chrono::milliseconds pause) override
    {
        if (!waiting_)
            asked.push_back({QStringLiteral("wait"), text, {}, {}, {}});
        waiting_ = true;
        ++pass_;
        std::this_thread::sleep_for(pause);
        // Never for ever: a lock that is not let go fails the test.
        return folderWaitAnswer && pass_ < 100 && folderWaitAnswer(pass_);
    }
    void folderWaitOver() override
    {
        waiting_ = false;
        pass_ = 0;
        ++folderWaitsOver;
    }
    std::function<bool(int pass)> folderWaitAnswer;
    int folderWaitsOver = 0;

    int count(const QString& kind) const
    {
        int n = 0;
        for (const Asked& a : asked)
            n += a.kind == kind;
        return n;
    }

private:
    bool waiting_ = false;
    int pass_ = 0;
    QString nextFile()
    {
        if (fileAnswers.empty())
            return {};
        QString answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }
};
