#include "racefile/cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <optional>

namespace {

// The race files' code page, through ICU.
constexpr auto codePage = "CP932";

// The thread's encoder, kept while it has seen no error (see cp932Decoder).
QStringEncoder& encoder()
{
    thread_local std::optional<QStringEncoder> converter;
    if (!converter || converter->hasError())
        converter.emplace(codePage, QStringEncoder::Flag::Stateless);
    return *converter;
}

bool hasUnreportedBadByte(QByteArrayView bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char c) { return isRefusedByte(static_cast<unsigned char>(c)); });
}

char16_t lookAlike(char16_t c)
{
    switch (c) {
    case 0x301C: return 0xFF5E; // 〜 → ～
    case 0x2212: return 0xFF0D; // − → －
    case 0x2016: return 0x2225; // ‖ → ∥
    case 0x2014: return 0x2015; // — → ―
    case 0x00A2: return 0xFFE0; // ¢ → ￠
    case 0x00A3: return 0xFFE1; // £ → ￡
    case 0x00AC: return 0xFFE2; // ¬ → ￢
    default: return c;
    }
}

// Encodes and decodes again: the text is writable only when it comes back unchanged, which also catches a
// one-way fallback mapping of the converter.
std::optional<QByteArray> encodeChecked(QStringView text)
{
    QStringEncoder& converter = encoder();
    QByteArray bytes = converter.encode(text);
    if (converter.hasError() || !converter.isValid())
        return std::nullopt;
    const std::optional<QString> back = decodeCp932(bytes);
    if (!back || *back != text)
        return std::nullopt;
    return bytes;
}

} // namespace

QStringDecoder& cp932Decoder()
{
    thread_local std::optional<QStringDecoder> converter;
    if (!converter || converter->hasError())
        converter.emplace(codePage, QStringDecoder::Flag::Stateless);
    return *converter;
}

std::optional<QString> decodeCp932(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF") || hasUnreportedBadByte(bytes))
        return std::nullopt;
    QStringDecoder& decoder = cp932Decoder();
    QString text = decoder.decode(bytes);
    if (decoder.hasError() || !decoder.isValid())
        return std::nullopt;
    return text;
}

QString storableText(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (!isControlCharacter(c))
            out.append(QChar(lookAlike(c)));
    }
    return out;
}

std::optional<QByteArray> encodeCp932(QStringView text, QString* unwritable)
{
    if (std::optional<QByteArray> bytes = encodeChecked(text))
        return bytes;
    if (unwritable) {
        // Find the first character that does not survive on its own, to name it to the user.
        unwritable->clear();
        qsizetype i = 0;
        while (i < text.size()) {
            const qsizetype width =
                text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
            const QStringView one = text.sliced(i, width);
            if (!encodeChecked(one)) {
                *unwritable = one.toString();
                break;
            }
            i += width;
        }
    }
    return std::nullopt;
}
