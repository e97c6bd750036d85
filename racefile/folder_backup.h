#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

class LockWait;

// Backups of the race folder: one zip archive holding every file the user keeps in the folder, which any desktop
// opens, and the way back from one. Names inside the archive are UTF-8 (with the zip's UTF-8 flag), as the user reads
// them; a name that is not UTF-8 on disk (a race copied from Windows in code page 932) is written there as it is
// shown, and its bytes are kept in the archive's manifest, so that a restore gives the file its own name back.
//
// The manifest is the archive's first entry, ".tokiro-backup": a line "TOKIRO-BACKUP <version>", a line "made
// <UTC time>", then one line per file in the order of the entries that follow: the name's bytes in hex, the size and
// the time it was last changed (seconds since 1970), separated by tabs. An archive is one of ours when it starts
// with it and every entry matches its line; a zip without one is still taken when it holds nothing but race files
// ("*.tkr", at its top or all in one folder), as a folder compressed by hand does. Anything else is refused.
namespace backup {
inline constexpr char manifestName[] = ".tokiro-backup";
inline constexpr int manifestVersion = 1;
// Larger files are not race files, nor what a backup of them is for; the whole archive is bounded as well, so that
// neither a backup nor a restore takes all the memory.
inline constexpr qsizetype maxFileBytes = qsizetype(256) << 20;
inline constexpr qsizetype maxTotalBytes = qsizetype(1) << 30;
} // namespace backup

// The name a backup made on date is proposed under: "トキロ-バックアップ-2026-12-09.zip".
QString backupFileName(QDate date);

// False for the program's own working files, which a backup leaves out and a restore never writes: the folder's
// lock, the temporary copies of saves and rewrites ("TKR.tmp" too), the note of the race saved last and a manifest.
bool isKeptInBackup(QByteArrayView name);

struct BackupResult {
    bool ok = false;
    QString reason; // the system's or the archive library's words, when not ok
    int fileCount = 0;
    QStringList notIncluded; // shown names of what could not be read or is no file (a folder, a pipe)
};

// Writes every file of folder (links followed to regular files; not what lies in folders inside it) into a new zip
// at archivePath, which replaces whatever is there only once it is whole. The archive itself is left out when it lies
// in the folder.
BackupResult writeBackup(const QString& folder, const QString& archivePath);

struct BackupFile {
    QString name; // held as its bytes (file_names.h)
    QByteArray bytes;
    qint64 modified = 0; // seconds since 1970; 0 when unknown
};

struct BackupContents {
    enum class Refusal { None, CannotOpen, Damaged, NotOurs, Newer };
    Refusal refusal = Refusal::CannotOpen;
    QString reason;    // what was found wrong, for the message
    bool ours = false; // false: a plain zip of race files
    QDateTime made;    // when ours
    std::vector<BackupFile> files;
    bool ok() const { return refusal == Refusal::None; }
};

// Reads and checks the whole archive; a refused one gives no files.
BackupContents readBackup(const QString& archivePath);

enum class RestoreState {
    New,     // no file of that name in the folder
    Same,    // the folder's file holds the same bytes
    Differs, // the folder's file holds other bytes
    Blocked, // a folder, a pipe or an unreadable file has the name: nothing is written there
};

struct RestoreItem {
    BackupFile file;
    RestoreState state = RestoreState::New;
    QByteArray current; // the folder's bytes, when it differs
    QString race;       // date, race number and name of a race file, as far as they can be read
};

// How each file of a backup stands against the folder, in the archive's order.
std::vector<RestoreItem> compareWithFolder(const QString& folder, std::vector<BackupFile> files);

enum class RestoreChoice { Replace, KeepBoth, Skip };

struct RestoreOutcome {
    bool stoppedWaiting = false; // the wait for another program's lock was stopped: nothing was written
    // Shown names.
    QStringList added;
    QStringList replaced;
    QStringList keptBoth; // the names the backup's copies were written under
    QStringList skipped;
    QStringList same;
    QStringList changedMeanwhile; // another program wrote that name after the comparison: left as it is
    QStringList failed;           // "name: reason"
};

// Writes the new files of items and, for each that differs, what its choice (same index) says, holding the folder's
// lock throughout. Each file is written whole or not at all; one is only written while the folder still holds what
// the comparison found there.
RestoreOutcome restoreBackup(const QString& folder, const std::vector<RestoreItem>& items,
                             const std::vector<RestoreChoice>& choices, LockWait* lockWait = nullptr);

// The name under which a backup's copy of name is kept beside the folder's own: "race1 (バックアップ).tkr", then
// "race1 (バックアップ 2).tkr" and so on, the first that nothing in folder has.
QString keptBothName(const QString& folder, const QString& name);
