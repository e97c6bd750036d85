#include "core/name_text.h"

bool isControlCharacter(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029; }

namespace {

bool isLineBreak(char16_t c) { return c == u'\r' || c == u'\n' || c == 0x2028 || c == 0x2029; }

} // namespace

QString plainName(QStringView text)
{
    QString name;
    name.reserve(text.size());
    for (const QChar c : text) {
        if (!isLineBreak(c.unicode()))
            name.append(isControlCharacter(c.unicode()) ? QChar(u' ') : c);
    }
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && name[begin] == u' ')
        ++begin;
    while (end > begin && name[end - 1] == u' ')
        --end;
    return end - begin == name.size() ? name : name.sliced(begin, end - begin);
}

bool fitNameLength(QString& name)
{
    if (name.size() <= maxNameLength)
        return false;
    qsizetype size = maxNameLength;
    if (name[size - 1].isHighSurrogate())
        --size;
    name.truncate(size);
    return true;
}
