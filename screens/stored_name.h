#pragma once

#include <QString>

// A runner's name as the mark sheet keeps it once confirmed: one line, the long-vowel mark as a vertical bar, at most
// maxNameLength characters (cut, when given, tells whether it was cut to that). Names typed, pasted into the tipster
// grid or read from a race card are all kept by it.
QString storedName(const QString& typed, bool* cut = nullptr);
