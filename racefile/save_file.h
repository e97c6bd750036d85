#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <chrono>
#include <functional>
#include <vector>

class QIODevice;

// How a whole-file save went; reason is the system's own words for a failure, for the caller to phrase.
struct SaveResult {
    bool ok = false;
    QString reason;
    bool stoppedByCheck = false; // the caller's last check said no: nothing was replaced
};

// Writes bytes to an open device: every write() must take all its bytes and, for a file, flush() must succeed
// (a full disk shows only there while the data fit the buffer).
SaveResult writeAllFlushed(QIODevice& device, QByteArrayView bytes);

// A device that the bytes go through on their way into the new copy; tests put one that fails in front of it.
using WriteThrough = std::function<QIODevice*(QIODevice& copy)>;
// Asked once the new copy is written and on disk, just before it is renamed into place; false stops the save.
using LastCheck = std::function<bool()>;

// Every save goes through a copy written beside the file and renamed over it, so that a crash, a full disk or a
// failed write leaves the old file as it was. The copy is named ".tokiro-" + 12 random letters and digits + ".tmp",
// which no user would choose and the sweep below recognises exactly. While the copy exists the folder's lock
// (FolderLock) is held, so that another running トキロ never takes it for one left behind.

// Replaces what is at path by a file holding bytes, never writing through what is there: a link at path is itself
// replaced and whatever it pointed to is left alone; so is a pipe or a device. A folder at path is refused. A regular
// file that is replaced keeps its permissions. On success the file and its folder are synced to disk, so that the new
// name survives a power cut too. For files whose place is the race folder and nowhere else.
SaveResult replaceWholeFile(const QString& path, QByteArrayView bytes, const WriteThrough& through = {},
                            const LastCheck& lastCheck = {});

// The same for a file the user named in a dialog: a link there is followed, and the file it leads to is replaced.
SaveResult saveWholeFile(const QString& path, QByteArrayView bytes, const WriteThrough& through = {});

// The program's own temporary copies, by name: the form above, and the form earlier versions left
// ("TKR.tmp." + six letters, either case).
bool isTemporaryCopyName(QByteArrayView name);
bool isOldTemporaryCopyName(QByteArrayView name);

// A copy that nothing can still be writing is older than this, whatever the lock says.
inline constexpr std::chrono::seconds staleCopyAge{3600};

// Removes the copies named (bare names, as the folder listing gave them) that no running トキロ can be writing: a copy
// of the current form when the folder's lock is free (every writer holds it while its copy exists) or when it is
// older than staleCopyAge; a copy of the old form only by its age, as those writers took no lock. Only regular files
// are removed; any other name is left alone, except that a lock file named among them that a program left when it
// stopped goes too. Returns how many copies were removed.
int removeStaleCopies(const QString& folder, const std::vector<QByteArray>& names);
// Reads the folder and does the same for every temporary copy in it.
int sweepFolder(const QString& folder);

// The lock of a folder, taken for a short write and released when it goes: an flock() on ".tokiro.lock" in the
// folder, which the system lets go of by itself when the program that held it ends, however it ends. The file is
// removed on release (and a file left by a program that was killed is removed by the next one to take the lock).
// Another process or thread that holds it is waited for up to wait. A folder where no lock can be made (read-only,
// missing, a file system without locks) gives none: held() is false.
class FolderLock {
public:
    FolderLock(const QString& folder, std::chrono::milliseconds wait);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool held() const { return fd_ >= 0; }

    static constexpr auto fileName = ".tokiro.lock";

private:
    QByteArray path_;
    int fd_ = -1;
};
