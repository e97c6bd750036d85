#include "racefile/save_file.h"

#include "racefile/file_names.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSysInfo>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr QByteArrayView copyPrefix = ".tokiro-";
constexpr QByteArrayView copySuffix = ".tmp";
constexpr qsizetype copyRandomLength = 12;
constexpr QByteArrayView oldCopyPrefix = "TKR.tmp.";

// A writer with no one to tell of the wait waits this long for another to finish; the lock is held for a few
// milliseconds at a time, so only a program that hangs holds it longer. The write then goes ahead without it: it can
// still fail, but never harm a file.
constexpr std::chrono::milliseconds writerWait{10000};

bool isLowerAlnum(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

QByteArray randomPart()
{
    static constexpr char symbols[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray part(copyRandomLength, 'a');
    for (char& c : part)
        c = symbols[QRandomGenerator::global()->bounded(36u)];
    return part;
}

// The folder part of a path in bytes ("." for a bare name).
QByteArray folderBytesOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return ".";
    return slash == 0 ? QByteArray("/") : path.left(slash);
}

void syncFolder(const QByteArray& folder)
{
    // The rename lives in the folder; without this a power cut may bring the old name back.
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Seconds since the copy was last written to: a copy being written is written to all the time. A time in the future
// (a clock set back, another computer's clock) counts as now.
long long ageInSeconds(const struct stat& info)
{
    const auto now = static_cast<long long>(std::time(nullptr));
    return std::max<long long>(0, now - static_cast<long long>(info.st_mtim.tv_sec));
}

QByteArray lockPathOf(const QString& folder)
{
    return fileNameBytes(folder.isEmpty() ? QStringLiteral(".") : folder) + '/' + FolderLock::fileName;
}

// The longest line the lock file is read for.
constexpr std::size_t holderLineMax = 256;

// Writes who holds the lock into the file just taken, in place of what a holder before may have left.
void sayWhoHolds(int fd)
{
    const QByteArray line = QByteArray::number(QCoreApplication::applicationPid()) + ' '
                            + QSysInfo::machineHostName().toUtf8().left(holderLineMax / 2) + '\n';
    if (::ftruncate(fd, 0) == 0) {
        // What cannot be written leaves the holder unknown, nothing worse.
        [[maybe_unused]] const ssize_t written = ::pwrite(fd, line.constData(), static_cast<size_t>(line.size()), 0);
    }
}

} // namespace

FolderLock::FolderLock(const QString& folder, std::chrono::milliseconds wait, LockWait* lockWait)
    : path_(lockPathOf(folder))
{
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + wait;
    // Once lockWait has been told of the wait, it hears when the wait is over, however it ends.
    bool told = false;
    const auto over = qScopeGuard([&] {
        if (told)
            lockWait->waitOver();
    });
    // Asked again after a short pause, growing: the lock is normally free again within a millisecond or two.
    std::chrono::milliseconds pause{1};
    for (;;) {
        int fd = -1;
        do {
            fd = ::open(path_.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0)
            return;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            // The holder before may have removed the file as it let go: the lock counts only on the file that is
            // there now.
            struct stat opened {};
            struct stat named {};
            if (::fstat(fd, &opened) == 0 && ::lstat(path_.constData(), &named) == 0 && opened.st_dev == named.st_dev
                && opened.st_ino == named.st_ino) {
                fd_ = fd;
                sayWhoHolds(fd_);
                return;
            }
            ::close(fd);
        } else {
            const int error = errno;
            ::close(fd);
            if (error != EWOULDBLOCK && error != EINTR)
                return;
            const auto now = std::chrono::steady_clock::now();
            if (lockWait && now - start >= quietWait) {
                told = true;
                if (!lockWait->waitFor(holderOf(folder), waitPause)) {
                    stopped_ = true;
                    return;
                }
                continue;
            }
            if (!lockWait && now >= deadline)
                return;
            std::this_thread::sleep_for(pause);
            pause = std::min(2 * pause, std::chrono::milliseconds(50));
            continue;
        }
        if (!lockWait && std::chrono::steady_clock::now() >= deadline)
            return;
    }
}

LockHolder FolderLock::holderOf(const QString& folder)
{
    const QByteArray path = lockPathOf(folder);
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return {};
    char buffer[holderLineMax];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    if (got <= 0)
        return {};
    const QByteArrayView text(buffer, got);
    const qsizetype lineEnd = text.indexOf('\n');
    if (lineEnd < 0)
        return {};
    const QByteArrayView line = text.first(lineEnd);
    const qsizetype blank = line.indexOf(' ');
    if (blank <= 0)
        return {};
    bool isNumber = false;
    const qint64 pid = line.first(blank).toByteArray().toLongLong(&isNumber);
    if (!isNumber || pid <= 0)
        return {};
    LockHolder holder;
    holder.pid = pid;
    // Only what can be shown of the name, and not much of it: the file may hold anything.
    for (const QChar c : QString::fromUtf8(line.sliced(blank + 1))) {
        if (c.isPrint() && !c.isSpace() && holder.host.size() < 64)
            holder.host += c;
    }
    // A process of this computer that has ended (its file outlived it, and an earlier version holds the lock now).
    if (holder.host == QSysInfo::machineHostName() && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
        return {};
    return holder;
}

FolderLock::~FolderLock()
{
    if (fd_ < 0)
        return;
    // Removed while still held, so that whoever waits on this file finds it gone and takes the next one.
    ::unlink(path_.constData());
    ::close(fd_);
}

bool isTemporaryCopyName(QByteArrayView name)
{
    if (name.size() != copyPrefix.size() + copyRandomLength + copySuffix.size() || !name.startsWith(copyPrefix)
        || !name.endsWith(copySuffix))
        return false;
    const QByteArrayView part = name.sliced(copyPrefix.size(), copyRandomLength);
    return std::all_of(part.begin(), part.end(), isLowerAlnum);
}

bool isOldTemporaryCopyName(QByteArrayView name)
{
    if (name.size() != oldCopyPrefix.size() + 6 || !name.startsWith(oldCopyPrefix))
        return false;
    const QByteArrayView letters = name.sliced(oldCopyPrefix.size());
    return std::all_of(letters.begin(), letters.end(), isLetter);
}

SaveResult writeAllFlushed(QIODevice& device, QByteArrayView bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 written = device.write(bytes.data() + done, bytes.size() - done);
        if (written <= 0) {
            const QString reason = device.errorString();
            return {false, reason.isEmpty() || written == 0 ? QStringLiteral("書き込みが途中で止まりました") : reason};
        }
        done += written;
        // A device that takes part of the bytes and then reports nothing is treated as failed on its next call;
        // a short write by itself is retried.
    }
    if (auto* file = qobject_cast<QFileDevice*>(&device)) {
        if (!file->flush() || file->error() != QFileDevice::NoError)
            return {false, file->errorString()};
    }
    return {true, {}};
}

namespace {

// The write itself, while the folder's lock is held (or none could be made).
SaveResult replaceLocked(const QByteArray& target, const QByteArray& folder, QByteArrayView bytes,
                         const WriteThrough& through, const LastCheck& lastCheck)
{
    struct stat old {};
    const bool exists = ::lstat(target.constData(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        return {false, qt_error_string(EISDIR)};

    // A name nobody has: O_EXCL never opens what is already there, O_NOFOLLOW never a link.
    QByteArray copy;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        copy = folder + '/' + copyPrefix.toByteArray() + randomPart() + copySuffix.toByteArray();
        do {
            fd = ::open(copy.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return {false, qt_error_string(errno)};

    SaveResult written;
    {
        QFile file;
        if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            written = {false, file.errorString()};
        } else {
            QIODevice* device = through ? through(file) : &file;
            written = device ? writeAllFlushed(*device, bytes)
                             : SaveResult{false, QStringLiteral("書き込み先を用意できませんでした")};
            if (written.ok && device != &file)
                written = writeAllFlushed(file, {});
            if (written.ok && exists && S_ISREG(old.st_mode) && ::fchmod(fd, old.st_mode & 07777) != 0)
                written = {false, qt_error_string(errno)};
            // The data reach the disk before the name does.
            if (written.ok && ::fsync(fd) != 0)
                written = {false, qt_error_string(errno)};
            file.close();
        }
    }
    // The check comes last, right before the rename: whatever the caller guards against has only the time between
    // the two to happen in.
    if (written.ok && lastCheck && !lastCheck())
        written = {false, {}, true};
    if (written.ok && ::rename(copy.constData(), target.constData()) != 0)
        written = {false, qt_error_string(errno)};
    if (!written.ok) {
        ::unlink(copy.constData());
        return written;
    }
    syncFolder(folder);
    return {true, {}};
}

} // namespace

SaveResult replaceWholeFile(const QString& path, QByteArrayView bytes, const WriteThrough& through,
                            const LastCheck& lastCheck, LockWait* lockWait)
{
    const QByteArray target = fileNameBytes(path);
    const QByteArray folder = folderBytesOf(target);
    // Held until the copy is renamed or removed; a folder where no lock can be made (read-only, missing) gets none,
    // and the write then says why it fails.
    const FolderLock lock(fileNameFromBytes(folder), writerWait, lockWait);
    if (lock.stopped())
        return {false, {}, false, true};
    return replaceLocked(target, folder, bytes, through, lastCheck);
}

SaveResult replaceWholeFileUnderLock(const FolderLock& lock, const QString& path, QByteArrayView bytes,
                                     const LastCheck& lastCheck)
{
    Q_UNUSED(lock); // taken by the caller for the whole run of writes
    const QByteArray target = fileNameBytes(path);
    return replaceLocked(target, folderBytesOf(target), bytes, {}, lastCheck);
}

SaveResult saveWholeFile(const QString& path, QByteArrayView bytes, const WriteThrough& through, LockWait* lockWait)
{
    // A link the user saves over stands for the file it leads to: that file is replaced, and the link stays.
    const QByteArray name = fileNameBytes(path);
    struct stat info {};
    if (::lstat(name.constData(), &info) == 0 && S_ISLNK(info.st_mode)) {
        const std::unique_ptr<char, decltype(&std::free)> real(::realpath(name.constData(), nullptr), &std::free);
        if (real)
            return replaceWholeFile(fileNameFromBytes(real.get()), bytes, through, {}, lockWait);
    }
    return replaceWholeFile(path, bytes, through, {}, lockWait);
}

int removeStaleCopies(const QString& folder, const std::vector<QByteArray>& names)
{
    if (names.empty())
        return 0;
    // The lock is only worth taking when a copy of the current form may be removed by it, or when a lock file was
    // seen: one left by a program that stopped is taken over and goes when it is released.
    std::unique_ptr<FolderLock> lock;
    if (std::any_of(names.begin(), names.end(),
                    [](const QByteArray& name) { return isTemporaryCopyName(name) || name == FolderLock::fileName; }))
        lock = std::make_unique<FolderLock>(folder, std::chrono::milliseconds(0));
    const bool noWriter = lock && lock->held();
    const QByteArray folderBytes = fileNameBytes(folder.isEmpty() ? QStringLiteral(".") : folder);
    int removed = 0;
    for (const QByteArray& name : names) {
        const bool current = isTemporaryCopyName(name);
        if (!current && !isOldTemporaryCopyName(name))
            continue;
        const QByteArray path = folderBytes + '/' + name;
        struct stat info {};
        // Only a file of our own making: never a link, nor what it points to.
        if (::lstat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        const bool old = ageInSeconds(info) >= staleCopyAge.count();
        if ((old || (current && noWriter)) && ::unlink(path.constData()) == 0)
            ++removed;
    }
    return removed;
}

int sweepFolder(const QString& folder)
{
    std::vector<QByteArray> names;
    DIR* const dir = ::opendir(fileNameBytes(folder.isEmpty() ? QStringLiteral(".") : folder).constData());
    if (!dir)
        return 0;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArrayView name(entry->d_name);
        if (isTemporaryCopyName(name) || isOldTemporaryCopyName(name) || name == FolderLock::fileName)
            names.emplace_back(name.toByteArray());
    }
    ::closedir(dir);
    return removeStaleCopies(folder, names);
}
