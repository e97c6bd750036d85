#pragma once

class QLabel;
class QWidget;
struct RaceState;

// The race header of the mark sheet and prediction result screens: six light-yellow boxes along the top holding the
// race's date (Label1), number (Label3), name (Label4), graded class (Label5), course (Label2) and distance (Label6).
struct RaceHeader {
    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label6 = nullptr;
};

// Builds the six boxes on the screen with their tops at top twips (the two screens place them differently).
RaceHeader buildRaceHeader(QWidget* screen, int top, double formPointSize);

// Shows the race; a race number of 0 leaves its box as it was.
void fillRaceHeader(const RaceHeader& header, const RaceState& race);
