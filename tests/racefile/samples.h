#pragma once

#include "racefile/race_file.h"
#include "test_files.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

// A race with n runners: dated 99/05/16, race 7, names ウマ1.., runner r with (r % 3) ◎ and one ★.
RaceState sampleRace(int runners);

// Code page 932 bytes of a text, for building file contents (the race-file library is not used for this).
QByteArray sjis(const QString& text);

// The lines joined, each followed by CR LF.
QByteArray crlfLines(std::initializer_list<QByteArray> lines);
QByteArray crlfLines(const std::vector<QByteArray>& lines);

// The lines of a valid race file with n runners (all marks 0), tail lines given; for editing single lines in tests.
std::vector<QByteArray> raceLines(int runners, const QByteArray& first = {}, const QByteArray& second = {},
                                  const QByteArray& payout = {}, const QByteArray& stake = {},
                                  const QByteArray& income = " 0 ");

// The inputs kept from a fuzz target in a folder: its minimised corpus (a ".hex" file, one input per line) and any
// input that once failed (a file of its own). name tells which, for a failure message.
struct FuzzInput {
    QString name;
    QByteArray bytes;
};
std::vector<FuzzInput> fuzzInputs(const QString& folder);
