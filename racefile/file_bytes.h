#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// Reading a file that may turn out to be anything at all: a link, a device, a pipe, a socket or a folder. Only a
// regular file is ever opened for reading, without waiting on anything, and no more is read than asked for,
// whatever size the system reports (a device may report none and never end).

enum class FollowLinks { Yes, No };

// What a folder listing already knows of an entry's kind.
enum class KnownKind { Unknown, Regular };

struct FileBytes {
    enum class Status {
        Read,       // bytes hold the file (cut to the limit)
        Missing,    // nothing of that name (or a link to nothing)
        Link,       // a link, where links are not followed
        NotRegular, // a folder, a device, a pipe or a socket (or a link to one)
        Failed,     // it could not be opened or read; error holds the system's errno
    };
    Status status = Status::Failed;
    QByteArray bytes;
    bool cutShort = false; // the file holds more than the limit
    int error = 0;
    // What the system said of the file when it was read: enough to tell whether it was changed since.
    std::int64_t size = 0;
    std::int64_t modified = 0; // nanoseconds since the epoch
};

// Reads at most limit bytes of the file at path. The path is the system's own: no Qt resource or engine prefix is
// looked at, so a name starting with ":" is a file like any other.
// An entry the listing knows to be a regular file is not looked at before it is opened (a listing of thousands of
// races would pay for that look): it is opened without waiting and without following a link, and checked after.
FileBytes readFileBytes(const QString& path, qsizetype limit, FollowLinks follow = FollowLinks::Yes,
                        KnownKind known = KnownKind::Unknown);

// The same for a name in a folder opened as a descriptor (O_DIRECTORY), or relative to the current folder for
// AT_FDCWD: only the name is looked up, not every folder of the path again (a folder of a hundred thousand races
// pays for that walk once per file). An absolute name ignores the folder.
FileBytes readFileBytesAt(int folder, const QByteArray& name, qsizetype limit, FollowLinks follow = FollowLinks::Yes,
                          KnownKind known = KnownKind::Unknown);

// True when anything (even a dangling link) has this path.
bool pathTaken(const QString& path);
// True when a device, a pipe or a socket (or a link to one) has this path.
bool takenBySpecialFile(const QString& path);
