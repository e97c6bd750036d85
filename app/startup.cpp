#include "app/startup.h"

#include "core/system_error.h"

#include <QCommandLineParser>
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

namespace {
// What is wrong with an option's value when the parser knows every option named: a value given to an option that
// takes none ("--own-folder=x"), or none given to one that needs it. Said in Japanese: the parser's own words are
// English.
QString valueProblem(const QStringList& arguments, const QStringList& takesValue)
{
    const QStringList given = arguments.mid(1);
    for (qsizetype i = 0; i < given.size(); ++i) {
        const QString& argument = given[i];
        if (argument == QStringLiteral("--"))
            break;
        if (!argument.startsWith(u'-') || argument.size() < 2)
            continue;
        const QString typed = argument.section(u'=', 0, 0);
        QString name = typed;
        while (name.startsWith(u'-'))
            name.remove(0, 1);
        if (takesValue.contains(name)) {
            if (!argument.contains(u'=') && i + 1 == given.size())
                return QStringLiteral("「%1」のあとに値を指定してください。").arg(typed);
            if (!argument.contains(u'='))
                ++i;
        } else if (argument.contains(u'=')) {
            return QStringLiteral("「%1」には値をつけられません（「%2」）。").arg(typed, argument);
        }
    }
    return QStringLiteral("コマンドラインを読めません。");
}
} // namespace

CommandLine readCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    // Qt's options are written with one dash; ours may be written with one or two.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption ownFolder(QString::fromLatin1(ownFolderOption).mid(2));
    parser.addOptions({help, version, ownFolder});
    QStringList takesValue;
    // The options QApplication takes for itself: a session manager restarts the program with -session, a user may
    // ask for -style. They are not the program's to refuse.
    for (const char* name : {"platform", "platformpluginpath", "platformtheme", "plugin", "qmljsdebugger",
                             "qwindowgeometry", "qwindowtitle", "qwindowicon", "session", "style", "stylesheet",
                             "display", "geometry", "name", "title", "visual", "ncols"}) {
        QCommandLineOption qtOption(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
        takesValue += qtOption.names();
    }
    for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync", "cmap"}) {
        QCommandLineOption qtOption(QString::fromLatin1(name));
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
    }

    CommandLine command;
    auto refuse = [&command](const QString& why) {
        command.action = CommandLine::Action::Error;
        command.output = QStringLiteral("tokiro: %1\n使い方は tokiro --help で表示します。\n").arg(why);
        return command;
    };
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (unknown.isEmpty())
            return refuse(valueProblem(arguments, takesValue));
        // Named as it was typed, with its dashes.
        QString typed = unknown.front();
        for (const QString& argument : arguments.mid(1)) {
            QString name = argument.section(u'=', 0, 0);
            while (name.startsWith(u'-'))
                name.remove(0, 1);
            if (argument.startsWith(u'-') && name == unknown.front()) {
                typed = argument.section(u'=', 0, 0);
                break;
            }
        }
        return refuse(QStringLiteral("「%1」というオプションはありません。").arg(typed));
    }
    if (parser.isSet(help)) {
        command.action = CommandLine::Action::Help;
        command.output =
            QStringLiteral("使い方: tokiro [オプション] [フォルダ | レースのファイル]\n"
                           "トキロ（馬連専用馬券予想プログラム）を起動します。\n"
                           "\n"
                           "  フォルダ          このフォルダをレースフォルダにします。レースのファイル（*.tkr）は\n"
                           "                    ここに保存し、ここから一覧します。\n"
                           "  レースのファイル  このレース（*.tkr）を開きます。ファイルのあるフォルダがレースフォルダ\n"
                           "                    になり、「レース結果を入力します」の画面でこのレースを選びます。\n"
                           "  --own-folder      プログラム専用のレースフォルダ ~/%1 を使います（なければ作ります）。\n"
                           "                    デスクトップのメニューからは、この指定で起動します。\n"
                           "  -h, --help        この説明を表示して終わります。\n"
                           "  -v, --version     バージョンを表示して終わります。\n"
                           "\n"
                           "フォルダかレースのファイルを指定したときは、それが --own-folder より優先します。\n"
                           "どちらも指定しないときは、起動したフォルダがレースフォルダです。\n")
                .arg(ownRaceFolderName());
        return command;
    }
    if (parser.isSet(version)) {
        command.action = CommandLine::Action::Version;
        command.output = QStringLiteral("tokiro " TOKIRO_VERSION "\n"
                                        "Copyright (C) 2026 トキロ開発チーム\n"
                                        "GNU 一般公衆利用許諾書（GPL）第3版またはそれ以降の版のもとで配布されます。\n");
        return command;
    }
    const QStringList folders = parser.positionalArguments();
    if (folders.size() > 1)
        return refuse(QStringLiteral("レースフォルダかレースのファイルは一つだけ指定できます。"));
    if (!folders.isEmpty()) {
        const QFileInfo folder(folders.front());
        const bool raceFileName = folder.suffix().compare(QStringLiteral("tkr"), Qt::CaseInsensitive) == 0;
        if (folder.isFile() || (raceFileName && !folder.exists())) {
            // A race file: shown once the window is up, its folder the race folder for this run. One that is
            // missing, or a file that is no race file, is said in the window (the desktop may hand over any file).
            command.raceFile = folder.absoluteFilePath();
            if (folder.exists() && raceFileName)
                command.folder = folder.absolutePath();
        } else if (!folder.exists()) {
            return refuse(QStringLiteral("フォルダ「%1」がありません。").arg(folders.front()));
        } else if (!folder.isDir()) {
            return refuse(QStringLiteral("「%1」はフォルダでもレースのファイルでもありません。").arg(folders.front()));
        } else {
            command.folder = folder.absoluteFilePath();
        }
    }
    command.ownFolder = parser.isSet(ownFolder);
    return command;
}

StartFolder enterRaceFolder(const CommandLine& command, const QString& home)
{
    if (!command.folder.isEmpty()) {
        errno = 0;
        if (!QDir::setCurrent(command.folder))
            return {{},
                    QStringLiteral("フォルダ「%1」に入れません（%2）。")
                        .arg(QDir::toNativeSeparators(command.folder),
                             japaneseReason(errno != 0 ? qt_error_string(errno) : QString()))};
        return {command.folder, {}};
    }
    if (!command.ownFolder)
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
