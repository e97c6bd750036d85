#pragma once

#include "core/name_text.h" // isControlCharacter

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <QStringView>

#include <optional>

// Code page 932 (Shift-JIS as Windows writes it) for the race files, through Qt's ICU-backed "CP932" converter.

// The thread's decoder, stateless, so that a lead byte cut off at the end is reported instead of being kept for a
// next call. Opening an ICU converter costs more than converting a whole race file, so it is kept and reused while it
// has seen no error; Qt 6.4 keeps a converter's error flag after resetState(), so one that failed is replaced.
QStringDecoder& cp932Decoder();

// The single bytes the converter passes without a report although they are no text: a NUL, and 0x1A, 0x1C and 0x7F,
// which ICU swaps among each other (a file holding one would not read back as the byte it holds). None of them can be
// the second byte of a pair (second bytes are 0x40..0x7E and 0x80..0xFC), so a plain scan finds exactly these bytes.
constexpr bool isRefusedByte(unsigned char b) { return b == 0x00 || b == 0x1A || b == 0x1C || b == 0x7F; }

// The text of bytes that are valid code page 932 text, or nullopt. Refused: a byte sequence the converter reports
// (a cut-off lead byte, a bad second byte, 0x80, 0xA0, 0xFD..0xFF), a UTF-8 byte order mark, and the refused bytes
// above.
std::optional<QString> decodeCp932(QByteArrayView bytes);

// One field as it goes into a file: control characters are removed, so the one-field-per-line layout survives text
// pasted with a line break and no tab or other invisible character is ever stored; and characters that code page 932
// holds under a look-alike code point are replaced by that one (〜 U+301C by ～ U+FF5E, − U+2212 by －, ‖ U+2016 by ∥,
// — U+2014 by ―, ¢ £ ¬ by their full-width forms).
QString storableText(QStringView text);

// The bytes of text in code page 932, or nullopt when a character cannot be written (it would become "?" or come
// back as another character); unwritable then holds the first such character. The text is taken as it is:
// callers pass it through storableText first.
std::optional<QByteArray> encodeCp932(QStringView text, QString* unwritable = nullptr);
