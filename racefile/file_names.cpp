#include "racefile/file_names.h"

#include "racefile/cp932.h"

#include <algorithm>

namespace {

constexpr char16_t escapeBase = 0xDC00;

bool isEscapedByte(char16_t c) { return c >= escapeBase + 0x80 && c <= escapeBase + 0xFF; }

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The code point of the valid UTF-8 sequence at bytes[i] and its length, or length 0 when there is none there
// (a stray or missing continuation byte, an overlong form, a surrogate, beyond U+10FFFF).
struct Sequence {
    char32_t code = 0;
    int length = 0;
};

Sequence utf8At(QByteArrayView bytes, qsizetype i)
{
    const auto byte = [&](qsizetype at) { return static_cast<unsigned char>(bytes[at]); };
    const unsigned char lead = byte(i);
    int length = 0;
    char32_t code = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        least = 0x10000;
    } else {
        return {};
    }
    if (i + length > bytes.size())
        return {};
    for (int k = 1; k < length; ++k) {
        const unsigned char next = byte(i + k);
        if ((next & 0xC0) != 0x80)
            return {};
        code = (code << 6) | (next & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return {};
    return {code, length};
}

void appendCode(QString& out, char32_t code)
{
    if (code >= 0x10000) {
        out.append(QChar(QChar::highSurrogate(code)));
        out.append(QChar(QChar::lowSurrogate(code)));
    } else {
        out.append(QChar(static_cast<char16_t>(code)));
    }
}

void appendUtf8(QByteArray& out, char32_t code)
{
    if (code < 0x80) {
        out.append(static_cast<char>(code));
    } else if (code < 0x800) {
        out.append(static_cast<char>(0xC0 | (code >> 6)));
        out.append(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.append(static_cast<char>(0xE0 | (code >> 12)));
        out.append(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.append(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.append(static_cast<char>(0xF0 | (code >> 18)));
        out.append(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.append(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.append(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

// Decodes bytes, handing every byte that is not part of valid UTF-8 to stray.
template <typename Stray>
QString decodeWith(QByteArrayView bytes, Stray stray)
{
    QString out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            out.append(QChar(lead));
            ++i;
            continue;
        }
        const Sequence sequence = utf8At(bytes, i);
        if (sequence.length == 0) {
            stray(out, lead);
            ++i;
        } else {
            appendCode(out, sequence.code);
            i += sequence.length;
        }
    }
    return out;
}

bool hasEscapedByte(QStringView name)
{
    return std::any_of(name.begin(), name.end(), [](QChar c) { return isEscapedByte(c.unicode()); });
}

} // namespace

QString fileNameFromBytes(QByteArrayView bytes)
{
    // Nearly every name is plain ASCII.
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    return decodeWith(bytes, [](QString& out, unsigned char byte) { out.append(QChar(escapeBase + byte)); });
}

QByteArray fileNameBytes(QStringView name)
{
    // Nearly every name holds no byte of its own: Qt's encoder is the fast way for those.
    if (!hasEscapedByte(name))
        return name.toUtf8();
    QByteArray out;
    out.reserve(name.size() * 3);
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (isEscapedByte(c)) {
            out.append(static_cast<char>(c - escapeBase));
        } else if (QChar::isHighSurrogate(c) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            appendUtf8(out, QChar::surrogateToUcs4(c, name[i + 1].unicode()));
            ++i;
        } else if (QChar::isSurrogate(c)) {
            appendUtf8(out, QChar::ReplacementCharacter);
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

QString shownFileName(QStringView name)
{
    if (!hasEscapedByte(name))
        return name.toString();
    const QByteArray bytes = fileNameBytes(name);
    // A name written on a Japanese Windows machine: shown as it was written there, when its bytes are that exactly.
    if (const std::optional<QString> text = decodeCp932(bytes)) {
        const bool printable = std::none_of(text->begin(), text->end(), [](QChar c) { return c.unicode() < 0x20; });
        if (printable && encodeCp932(*text) == bytes)
            return *text;
    }
    return decodeWith(bytes, [](QString& out, unsigned char byte) {
        out.append(QStringLiteral("\\x") + QString::number(byte, 16).toUpper().rightJustified(2, u'0'));
    });
}
