#pragma once

#include <QString>

// Outcome of every file operation of the race-file library: ok, or a Japanese sentence ready to show to the user.
struct FileResult {
    bool ok = false;
    QString error;

    static FileResult done() { return {true, {}}; }
    static FileResult failed(QString sentence) { return {false, std::move(sentence)}; }
};
