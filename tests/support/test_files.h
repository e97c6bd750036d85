#pragma once

#include <QByteArray>
#include <QString>

// The whole content of a file, or nothing when it cannot be read.
QByteArray fileBytes(const QString& path);

// Makes the file hold exactly these bytes; fails the calling test when it cannot.
void putFile(const QString& path, const QByteArray& bytes);
