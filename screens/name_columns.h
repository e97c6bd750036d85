#pragma once

#include <QFontMetrics>
#include <QRect>
#include <QStringList>

#include <vector>

// A list of short lines set in columns, top to bottom and then on to the next column to the right, each column as wide
// as its widest line: the place of each line within a box of the given size, or nothing when the lines cannot all be
// set there whole.
std::vector<QRect> columnPlaces(const QStringList& lines, const QFontMetrics& metrics, QSize box);
