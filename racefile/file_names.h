#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// File names as the system holds them: bytes, which need not be UTF-8 (a race copied from a Windows machine may carry
// its name in code page 932). A name is held as a QString that gives its bytes back exactly: valid UTF-8 is decoded
// as such, and every byte that is not part of valid UTF-8 is held as the lone surrogate U+DC00 + byte, which no valid
// name can contain. Files are always opened by those bytes, never by a name decoded for showing.

// The name (or path) held for these bytes.
QString fileNameFromBytes(QByteArrayView bytes);
// The bytes of a name or path held as above; the inverse of fileNameFromBytes.
QByteArray fileNameBytes(QStringView name);
// The name as the user reads it: itself when it is valid UTF-8; else its bytes as code page 932 when they are
// exactly that; else UTF-8 with each byte that is none shown as \xHH.
QString shownFileName(QStringView name);
