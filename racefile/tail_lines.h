#pragma once

#include <QString>

// The five tail lines of a race file, after the marks: the two finishers and the payout (written by the result entry
// screen), the stake and the income (written by the balance screen).

// One of the five tail lines of a race file: an empty line while unset, else a number or a text.
struct TailValue {
    enum class Kind { Unset, Number, Text };
    Kind kind = Kind::Unset;
    double number = 0;
    QString text;

    static TailValue unset() { return {}; }
    static TailValue ofNumber(double value) { return {Kind::Number, value, {}}; }
    static TailValue ofText(const QString& value) { return {Kind::Text, 0, value}; }
    bool isUnset() const { return kind == Kind::Unset; }
    bool operator==(const TailValue&) const = default;
};

struct TailLines {
    TailValue firstPlace;
    TailValue secondPlace;
    TailValue payout;
    TailValue stake;
    TailValue income = TailValue::ofNumber(0);
    bool operator==(const TailLines&) const = default;
};
