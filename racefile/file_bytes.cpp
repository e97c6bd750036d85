#include "racefile/file_bytes.h"

#include "racefile/file_names.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::int64_t nanoseconds(const struct timespec& time)
{
    return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

FileBytes status(FileBytes::Status status, int error = 0)
{
    FileBytes result;
    result.status = status;
    result.error = error;
    return result;
}

FileBytes failure(int error)
{
    return status(error == ENOENT || error == ENOTDIR ? FileBytes::Status::Missing : FileBytes::Status::Failed, error);
}

// Closes the descriptor whatever way the read ends.
struct Descriptor {
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

FileBytes readFileBytes(const QString& path, qsizetype limit, FollowLinks follow, KnownKind known)
{
    return readFileBytesAt(AT_FDCWD, fileNameBytes(path), limit, follow, known);
}

FileBytes readFileBytesAt(int folder, const QByteArray& name, qsizetype limit, FollowLinks follow, KnownKind known)
{
    struct stat info {};
    if (known == KnownKind::Regular) {
        follow = FollowLinks::No;
    } else {
        // Looked at before it is opened: opening a pipe waits for a writer, and opening a device may do anything.
        const int looked =
            ::fstatat(folder, name.constData(), &info, follow == FollowLinks::Yes ? 0 : AT_SYMLINK_NOFOLLOW);
        if (looked != 0)
            return failure(errno);
        if (S_ISLNK(info.st_mode))
            return status(FileBytes::Status::Link);
        if (!S_ISREG(info.st_mode))
            return status(FileBytes::Status::NotRegular);
    }

    // It may have been swapped for something else since: no waiting on the open, and a second look at what opened.
    int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    if (follow == FollowLinks::No)
        flags |= O_NOFOLLOW;
    Descriptor file{-1};
    do {
        file.fd = ::openat(folder, name.constData(), flags);
    } while (file.fd < 0 && errno == EINTR);
    if (file.fd < 0)
        return errno == ELOOP && follow == FollowLinks::No ? status(FileBytes::Status::Link) : failure(errno);
    if (::fstat(file.fd, &info) != 0)
        return failure(errno);
    if (!S_ISREG(info.st_mode))
        return status(FileBytes::Status::NotRegular);

    FileBytes result;
    result.size = info.st_size;
    result.modified = nanoseconds(info.st_mtim);
    // One byte past the limit tells a file that is longer. The reported size only sizes the first buffer; the end is
    // where a read returns nothing.
    const qsizetype most = limit + 1;
    QByteArray& bytes = result.bytes;
    bytes.resize(std::clamp<qsizetype>(static_cast<qsizetype>(info.st_size) + 1, 1, most));
    qsizetype total = 0;
    for (;;) {
        if (total == bytes.size()) {
            if (total == most)
                break;
            bytes.resize(std::min(most, 2 * total));
        }
        const ssize_t n = ::read(file.fd, bytes.data() + total, static_cast<std::size_t>(bytes.size() - total));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failure(errno);
        if (n == 0)
            break;
        total += n;
    }
    result.cutShort = total > limit;
    bytes.truncate(std::min(total, limit));
    result.status = FileBytes::Status::Read;
    return result;
}

bool pathTaken(const QString& path)
{
    struct stat info {};
    return ::lstat(fileNameBytes(path).constData(), &info) == 0;
}

bool takenBySpecialFile(const QString& path)
{
    struct stat info {};
    return ::stat(fileNameBytes(path).constData(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}
