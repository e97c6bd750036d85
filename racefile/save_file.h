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
    bool stoppedWaiting = false; // the one waiting for the folder's lock stopped waiting: nothing was written
};

// Who holds a folder's lock, as the holder wrote it into the lock file: its process number and its computer's name.
// Not known when the file says nothing (a holder that has only just taken it, or an earlier version, which wrote
// nothing there) or names a process of this computer that has ended.
struct LockHolder {
    qint64 pid = 0;
    QString host;
    bool known() const { return pid > 0; }
};

// What a write does while another program holds the folder's lock for longer than a moment, which only a program that
// hangs does: a screen says so and lets the user stop waiting.
class LockWait {
public:
    virtual ~LockWait() = default;
    // Called while the lock is held, first after a moment and then each time pause has gone by. Lets up to pause go
    // by (a screen keeps its event loop running meanwhile) and returns whether to keep waiting; false stops the wait,
    // and the write then changes nothing.
    virtual bool waitFor(const LockHolder& holder, std::chrono::milliseconds pause) = 0;
    // Called once after the last waitFor, whether the lock was then taken or the wait stopped.
    virtual void waitOver() = 0;
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
// The folder's lock is waited for as FolderLock says, through lockWait when one is given.
SaveResult replaceWholeFile(const QString& path, QByteArrayView bytes, const WriteThrough& through = {},
                            const LastCheck& lastCheck = {}, LockWait* lockWait = nullptr);

class FolderLock;
// The same for a run of writes into one folder that the caller holds the lock of throughout (a restore), so that no
// other program writes between them; lock must be the lock of path's folder. A second lock taken by the same program
// would wait for the first.
SaveResult replaceWholeFileUnderLock(const FolderLock& lock, const QString& path, QByteArrayView bytes,
                                     const LastCheck& lastCheck = {});

// The same for a file the user named in a dialog: a link there is followed, and the file it leads to is replaced.
SaveResult saveWholeFile(const QString& path, QByteArrayView bytes, const WriteThrough& through = {},
                         LockWait* lockWait = nullptr);

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
// While held, the file says who holds it: one line, the process number, a blank and the computer's name (earlier
// versions left it empty; nothing but holderOf reads it).
// Another process or thread that holds it is waited for up to wait; with a lockWait, for as long as that keeps
// waiting instead, and through it once the lock has not come free within a moment. A folder where no lock can be made
// (read-only, missing, a file system without locks) gives none: held() is false.
class FolderLock {
public:
    FolderLock(const QString& folder, std::chrono::milliseconds wait, LockWait* lockWait = nullptr);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool held() const { return fd_ >= 0; }
    // The lockWait stopped waiting: not held.
    bool stopped() const { return stopped_; }

    // Who holds the lock of the folder, as far as its lock file tells.
    static LockHolder holderOf(const QString& folder);

    static constexpr auto fileName = ".tokiro.lock";
    // How long the lock is waited for quietly before lockWait is told: the lock is normally held for milliseconds.
    static constexpr std::chrono::milliseconds quietWait{300};
    // The pause lockWait lets go by each time.
    static constexpr std::chrono::milliseconds waitPause{100};

private:
    QByteArray path_;
    int fd_ = -1;
    bool stopped_ = false;
};
