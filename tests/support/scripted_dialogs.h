#pragma once

#include "screens/dialogs.h"

#include <QStringList>

#include <deque>
#include <functional>

// Answers message boxes and file dialogs as a test tells it, and records what was asked.
class ScriptedDialogs final : public Dialogs {
public:
    struct Asked {
        QString kind; // "confirm", "open", "save", "error"
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
    void reportError(const QString& text, const QString& title) override
    {
        asked.push_back({QStringLiteral("error"), text, title, {}, {}});
    }

    int count(const QString& kind) const
    {
        int n = 0;
        for (const Asked& a : asked)
            n += a.kind == kind;
        return n;
    }

private:
    QString nextFile()
    {
        if (fileAnswers.empty())
            return {};
        QString answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }
};
