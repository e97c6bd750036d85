#include "core/system_error.h"

#include <QCoreApplication>

#include <cerrno>

namespace {
struct Cause {
    int code;
    const char* phrase; // UTF-8
};

// The failures a user meets with files, by the system error that Qt turns into its text.
constexpr Cause causes[] = {
    {EACCES, "そのファイルやフォルダを使う許可がありません"},
    {EPERM, "この操作は許可されていません"},
    {EROFS, "読み込み専用の場所なので書き込めません"},
    {ENOSPC, "ディスクの空きが足りません"},
    {EDQUOT, "使えるディスクの容量を使い切りました"},
    {ENOENT, "ファイルまたはフォルダが見つかりません"},
    {EISDIR, "ファイルではなくフォルダです"},
    {ENOTDIR, "フォルダの名前のところにフォルダでないものがあります"},
    {ENAMETOOLONG, "ファイルの名前が長すぎます"},
    {EMFILE, "開いているファイルが多すぎます"},
    {ENFILE, "開いているファイルが多すぎます"},
    {EIO, "ディスクの読み書きに失敗しました"},
    {EBUSY, "ほかのプログラムが使っています"},
};

bool hasLatinLetter(const QString& text)
{
    for (const QChar c : text) {
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))
            return true;
    }
    return false;
}

// Qt's own texts of QSaveFile that name a cause above, untranslated and as Qt's Japanese translation gives them.
bool isQtText(const QString& text, const char* context, const char* source)
{
    return text == QLatin1String(source) || text == QCoreApplication::translate(context, source);
}
} // namespace

QString japaneseReason(const QString& systemText)
{
    const QString text = systemText.trimmed();
    if (text.isEmpty() || text == QLatin1String("Unknown error"))
        return QStringLiteral("原因はわかりません");
    for (const Cause& cause : causes) {
        if (text == qt_error_string(cause.code))
            return QString::fromUtf8(cause.phrase);
    }
    if (isQtText(text, "QSaveFile", "Filename refers to a directory"))
        return QStringLiteral("ファイルではなくフォルダです");
    if (text.startsWith(QLatin1String("Existing file ")) && text.endsWith(QLatin1String(" is not writable")))
        return QStringLiteral("今あるファイルに書き込む許可がありません");
    if (!hasLatinLetter(text))
        return text;
    return QStringLiteral("システムからの説明：%1").arg(text);
}
