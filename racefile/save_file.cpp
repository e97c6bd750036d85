#include "racefile/save_file.h"

#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

void syncFolder(const QString& path)
{
#ifdef Q_OS_UNIX
    // The rename that commit() made lives in the folder; without this a power cut may bring the old name back.
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(path);
#endif
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
