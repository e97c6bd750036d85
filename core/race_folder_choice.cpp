#include "core/race_folder_choice.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {
QSettings settings() { return QSettings(QSettings::IniFormat, QSettings::UserScope, u"tokiro"_qs, u"tokiro"_qs); }
const QString chosenKey = QStringLiteral("raceFolder/chosen");
const QString recentKey = QStringLiteral("raceFolder/recent");
const QString backupKey = QStringLiteral("raceFolder/backups");

QString clean(const QString& folder) { return QDir::cleanPath(QFileInfo(folder).absoluteFilePath()); }
} // namespace

QString chosenRaceFolder()
{
    const QString folder = settings().value(chosenKey).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

QStringList recentRaceFolders()
{
    QStringList folders;
    for (const QString& folder : settings().value(recentKey).toStringList())
        if (QFileInfo(folder).isDir() && !folders.contains(folder))
            folders += folder;
    return folders;
}

void rememberRaceFolder(const QString& folder, bool chosen)
{
    const QString path = clean(folder);
    QSettings store = settings();
    QStringList folders = store.value(recentKey).toStringList();
    folders.removeAll(path);
    folders.prepend(path);
    while (folders.size() > recentRaceFolderCount)
        folders.removeLast();
    store.setValue(recentKey, folders);
    if (chosen)
        store.setValue(chosenKey, path);
}

QString backupFolder()
{
    const QString folder = settings().value(backupKey).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void rememberBackupFolder(const QString& folder) { settings().setValue(backupKey, clean(folder)); }
