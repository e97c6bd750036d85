#include "racefile/save_file.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void syncFolder(const QString& path)
{
    // The rename that commit() made lives in the folder; without this a power cut may bring the old name back.
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Six letters, as QSaveFile and QTemporaryFile put after the name of their own temporary files.
QByteArray randomLetters()
{
    QByteArray letters(6, 'a');
    for (char& letter : letters) {
        const quint32 n = QRandomGenerator::global()->bounded(52u);
        letter = static_cast<char>(n < 26 ? 'A' + n : 'a' + (n - 26));
    }
    return letters;
}

} // namespace

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

SaveResult saveWholeFile(const QString& path, QByteArrayView bytes, const WriteThrough& through)
{
    QSaveFile file(path);
    // Never fall back to writing in place: a failure half-way would then destroy the old file.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return {false, file.errorString()};
    QIODevice* device = through ? through(file) : &file;
    SaveResult written = device ? writeAllFlushed(*device, bytes)
                                : SaveResult{false, QStringLiteral("書き込み先を用意できませんでした")};
    if (written.ok && device != &file)
        written = writeAllFlushed(file, {});
    if (!written.ok) {
        file.cancelWriting();
        return written;
    }
    // commit() syncs the data to disk before it renames the file into place.
    if (!file.commit())
        return {false, file.errorString()};
    syncFolder(path);
    return {true, {}};
}

SaveResult replaceWholeFile(const QString& path, QByteArrayView bytes, const WriteThrough& through)
{
    const QByteArray target = QFile::encodeName(path);
    struct stat old {};
    const bool exists = ::lstat(target.constData(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        return {false, qt_error_string(EISDIR)};

    // A name nobody has: O_EXCL never opens what is already there, O_NOFOLLOW never a link.
    QByteArray sibling;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        sibling = target + '.' + randomLetters();
        do {
            fd = ::open(sibling.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
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
            // The data reach the disk before the name does, as QSaveFile's commit does it.
            if (written.ok && ::fsync(fd) != 0)
                written = {false, qt_error_string(errno)};
            file.close();
        }
    }
    if (written.ok && ::rename(sibling.constData(), target.constData()) != 0)
        written = {false, qt_error_string(errno)};
    if (!written.ok) {
        ::unlink(sibling.constData());
        return written;
    }
    syncFolder(path);
    return {true, {}};
}
