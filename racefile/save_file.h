#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

class QIODevice;

// How a whole-file save went; reason is the system's own words for a failure, for the caller to phrase.
struct SaveResult {
    bool ok = false;
    QString reason;
};

// Writes bytes to an open device: every write() must take all its bytes and, for a file, flush() must succeed
// (a full disk shows only there while the data fit the buffer).
SaveResult writeAllFlushed(QIODevice& device, QByteArrayView bytes);

// A device that the bytes go through on their way into the save file; tests put one that fails in front of it.
using WriteThrough = std::function<QIODevice*(QIODevice& saveFile)>;

// Replaces the file at path by bytes as a whole, through QSaveFile: nothing of a failed save reaches path, so a
// crash, a full disk or a failed write leaves the old file as it was. On success the file and its folder are
// synced to disk, so that the new name survives a power cut too.
SaveResult saveWholeFile(const QString& path, QByteArrayView bytes, const WriteThrough& through = {});

// Replaces what is at path by a file holding bytes, the same way, but never writes through what is there: the bytes
// go into a sibling created afresh ("name.XXXXXX", as QSaveFile names its own) that is then renamed over path. A link
// at path is itself replaced, and whatever it pointed to is left alone; so is a pipe or a device. A folder at path is
// refused. A regular file that is replaced keeps its permissions. For files whose place is the race folder and
// nowhere else: QSaveFile would follow a link out of it.
SaveResult replaceWholeFile(const QString& path, QByteArrayView bytes, const WriteThrough& through = {});
