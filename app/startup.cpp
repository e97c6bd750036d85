#include "app/startup.h"

#include "core/system_error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cerrno>

bool installQtJapanese(QCoreApplication& application)
{
    // Dates and numbers in Qt's dialogs follow the default locale; the program is Japanese wherever it runs.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    auto* translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

QString ownRaceFolderName() { return QStringLiteral("トキロ"); }

StartFolder enterRaceFolder(const QStringList& arguments, const QString& home)
{
    if (!arguments.mid(1).contains(QString::fromLatin1(ownFolderOption)))
        return {};
    const QString path = QDir(home).filePath(ownRaceFolderName());
    const QFileInfo info(path);
    QString cause;
    if (info.exists() && !info.isDir())
        cause = QStringLiteral("同じ名前のファイルがあります");
    else if (errno = 0; !QDir().mkpath(path) || !QDir::setCurrent(path))
        cause = japaneseReason(errno != 0 ? qt_error_string(errno) : QString());
    if (!cause.isEmpty())
        return {{},
                QStringLiteral("レースを保存するフォルダ「%1」を用意できませんでした（%2）。"
                               "いまは「%3」でレースを探し、保存します。")
                    .arg(QDir::toNativeSeparators(path), cause, QDir::toNativeSeparators(QDir::currentPath()))};
    return {path, {}};
}
