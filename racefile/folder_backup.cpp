#include "racefile/folder_backup.h"

#include "racefile/catalogue.h"
#include "racefile/file_bytes.h"
#include "racefile/file_names.h"
#include "racefile/race_folder.h"
#include "racefile/race_lines.h"
#include "racefile/save_file.h"

#include <QSet>

#include <algorithm>
#include <chrono>
#include <memory>

#include <archive.h>
#include <archive_entry.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr QByteArrayView manifestTag = "TOKIRO-BACKUP ";

// A writer with no one to tell of a wait for the folder's lock waits this long.
constexpr std::chrono::milliseconds restoreWait{10000};

struct ArchiveFree {
    void operator()(archive* a) const { archive_free(a); }
};
using ArchivePtr = std::unique_ptr<archive, ArchiveFree>;

QString libraryError(archive* a)
{
    const char* text = archive_error_string(a);
    return text ? QString::fromUtf8(text) : QStringLiteral("原因は分かりません");
}

class Folder {
public:
    explicit Folder(const QString& path)
        : fd_(::open(fileNameBytes(path.isEmpty() ? QStringLiteral(".") : path).constData(),
                     O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
    }
    ~Folder()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

// A bare name of a file in the folder: no path, nothing the system gives a meaning of its own.
bool isPlainName(QByteArrayView name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') && !name.contains('\0');
}

bool endsWithTkr(QByteArrayView name)
{
    return name.size() > 4 && QByteArrayView(name).last(4).compare(".tkr", Qt::CaseInsensitive) == 0;
}

QString shown(const QString& held) { return shownFileName(held); }

// The name an entry gets in the archive: as the user reads it, made unique among the entries written before.
QString entryNameFor(const QString& held, QSet<QString>& used)
{
    const QString base = shown(held);
    QString name = base;
    const qsizetype dot = base.lastIndexOf(u'.');
    for (int n = 2; used.contains(name); ++n) {
        const QString tag = QStringLiteral(" (%1)").arg(n);
        name = dot > 0 ? base.left(dot) + tag + base.mid(dot) : base + tag;
    }
    used.insert(name);
    return name;
}

la_ssize_t appendTo(archive*, void* data, const void* buffer, size_t length)
{
    static_cast<QByteArray*>(data)->append(static_cast<const char*>(buffer), static_cast<qsizetype>(length));
    return static_cast<la_ssize_t>(length);
}

bool writeEntry(archive* a, const QString& name, QByteArrayView bytes, qint64 modified)
{
    const std::unique_ptr<archive_entry, decltype(&archive_entry_free)> entry(archive_entry_new(), &archive_entry_free);
    archive_entry_set_pathname_utf8(entry.get(), name.toUtf8().constData());
    archive_entry_set_filetype(entry.get(), AE_IFREG);
    archive_entry_set_perm(entry.get(), 0644);
    archive_entry_set_size(entry.get(), bytes.size());
    archive_entry_set_mtime(entry.get(), static_cast<time_t>(modified), 0);
    if (archive_write_header(a, entry.get()) != ARCHIVE_OK)
        return false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const la_ssize_t written = archive_write_data(a, bytes.data() + done, static_cast<size_t>(bytes.size() - done));
        if (written <= 0)
            return false;
        done += written;
    }
    return archive_write_finish_entry(a) == ARCHIVE_OK;
}

struct FolderFile {
    QByteArray name;
    QByteArray bytes;
    qint64 modified = 0;
};

// The same file as the one at path, if path names a file.
bool sameFile(int folder, const QByteArray& name, const struct stat& other)
{
    struct stat info {};
    return ::fstatat(folder, name.constData(), &info, 0) == 0 && info.st_dev == other.st_dev
           && info.st_ino == other.st_ino;
}

BackupResult backupFailed(const QString& reason)
{
    BackupResult result;
    result.reason = reason;
    return result;
}

} // namespace

QString backupFileName(QDate date)
{
    return QStringLiteral("トキロ-バックアップ-%1.zip").arg(date.toString(QStringLiteral("yyyy-MM-dd")));
}

bool isKeptInBackup(QByteArrayView name)
{
    return name != FolderLock::fileName && !isTemporaryCopyName(name) && !isOldTemporaryCopyName(name)
           && name != RaceFolder::tempFileName.toLatin1() && name != RaceFolder::lastSavedFileName.toLatin1()
           && name != backup::manifestName;
}

BackupResult writeBackup(const QString& folder, const QString& archivePath)
{
    BackupResult result;
    const Folder dir(folder);
    if (dir.fd() < 0)
        return backupFailed(qt_error_string(errno));
    // The archive is left out when it is written into the folder itself (an earlier one of that name).
    struct stat archiveInfo {};
    const bool archiveExists = ::stat(fileNameBytes(archivePath).constData(), &archiveInfo) == 0;

    std::vector<std::pair<QByteArray, bool>> names; // name, known to be a regular file
    {
        const int listFd = ::dup(dir.fd());
        DIR* const list = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
        if (!list) {
            if (listFd >= 0)
                ::close(listFd);
            return backupFailed(qt_error_string(errno));
        }
        ::rewinddir(list);
        while (const dirent* entry = ::readdir(list)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != ".." && isKeptInBackup(name))
                names.emplace_back(name, entry->d_type == DT_REG);
        }
        ::closedir(list);
    }
    std::sort(names.begin(), names.end());

    std::vector<FolderFile> files;
    files.reserve(names.size());
    qsizetype total = 0;
    for (const auto& [name, regular] : names) {
        if (archiveExists && sameFile(dir.fd(), name, archiveInfo))
            continue;
        FileBytes read = readFileBytesAt(dir.fd(), name, backup::maxFileBytes, FollowLinks::Yes,
                                         regular ? KnownKind::Regular : KnownKind::Unknown);
        if (read.status != FileBytes::Status::Read || read.cutShort) {
            if (read.status != FileBytes::Status::Missing) // gone since the listing
                result.notIncluded += shown(fileNameFromBytes(name));
            continue;
        }
        total += read.bytes.size();
        if (total > backup::maxTotalBytes)
            return backupFailed(
                QStringLiteral("フォルダのファイルが合わせて %1 MB を超えています").arg(backup::maxTotalBytes >> 20));
        files.push_back({name, std::move(read.bytes), read.modified / 1000000000});
    }

    QByteArray manifest = manifestTag.toByteArray() + QByteArray::number(backup::manifestVersion) + "\nmade "
                          + QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toLatin1() + '\n';
    for (const FolderFile& file : files)
        manifest += file.name.toHex() + '\t' + QByteArray::number(file.bytes.size()) + '\t'
                    + QByteArray::number(file.modified) + '\n';

    QByteArray zip;
    zip.reserve(total / 2 + 4096);
    {
        const ArchivePtr a(archive_write_new());
        if (archive_write_set_format_zip(a.get()) != ARCHIVE_OK
            || archive_write_set_options(a.get(), "zip:hdrcharset=UTF-8") != ARCHIVE_OK
            || archive_write_set_bytes_per_block(a.get(), 0) != ARCHIVE_OK
            || archive_write_open2(a.get(), &zip, nullptr, appendTo, nullptr, nullptr) != ARCHIVE_OK)
            return backupFailed(libraryError(a.get()));
        QSet<QString> used{QString::fromLatin1(backup::manifestName)};
        if (!writeEntry(a.get(), QString::fromLatin1(backup::manifestName), manifest,
                        QDateTime::currentSecsSinceEpoch()))
            return backupFailed(libraryError(a.get()));
        for (const FolderFile& file : files)
            if (!writeEntry(a.get(), entryNameFor(fileNameFromBytes(file.name), used), file.bytes, file.modified))
                return backupFailed(libraryError(a.get()));
        if (archive_write_close(a.get()) != ARCHIVE_OK)
            return backupFailed(libraryError(a.get()));
    }
    const SaveResult saved = saveWholeFile(archivePath, zip);
    if (!saved.ok)
        return backupFailed(saved.reason);
    result.ok = true;
    result.fileCount = static_cast<int>(files.size());
    return result;
}

namespace {

struct ArchiveEntry {
    QByteArray name;
    bool folder = false;
    QByteArray bytes;
    qint64 modified = 0;
};

BackupContents refused(BackupContents::Refusal refusal, const QString& reason)
{
    BackupContents contents;
    contents.refusal = refusal;
    contents.reason = reason;
    return contents;
}

// The entries of a plain zip: race files only, at its top or all in one folder.
BackupContents plainRaces(std::vector<ArchiveEntry>& entries)
{
    const auto notOurs = [] {
        return refused(BackupContents::Refusal::NotOurs,
                       QStringLiteral("トキロのバックアップでも、レースファイル（*.tkr）だけの zip でもありません"));
    };
    std::vector<ArchiveEntry*> files;
    for (ArchiveEntry& entry : entries)
        if (!entry.folder)
            files.push_back(&entry);
    if (files.empty())
        return notOurs();
    // One folder around them all, as a folder compressed by the desktop has.
    QByteArray prefix;
    if (const qsizetype slash = files.front()->name.indexOf('/'); slash > 0) {
        if (!isPlainName(files.front()->name.left(slash)))
            return notOurs();
        prefix = files.front()->name.left(slash + 1);
        for (const ArchiveEntry* file : files)
            if (!file->name.startsWith(prefix))
                return notOurs();
    }
    BackupContents contents;
    QSet<QByteArray> seen;
    for (ArchiveEntry* file : files) {
        const QByteArray name = file->name.mid(prefix.size());
        if (!isPlainName(name) || !endsWithTkr(name) || !isKeptInBackup(name))
            return notOurs();
        if (seen.contains(name))
            return refused(BackupContents::Refusal::Damaged, QStringLiteral("同じ名前のファイルが二つあります"));
        seen.insert(name);
        contents.files.push_back({fileNameFromBytes(name), std::move(file->bytes), file->modified});
    }
    contents.refusal = BackupContents::Refusal::None;
    return contents;
}

BackupContents ourBackup(std::vector<ArchiveEntry>& entries)
{
    const auto damaged = [](const QString& what) { return refused(BackupContents::Refusal::Damaged, what); };
    const QList<QByteArray> lines = entries.front().bytes.split('\n');
    if (lines.size() < 2 || !lines[0].startsWith(manifestTag))
        return refused(BackupContents::Refusal::NotOurs, QStringLiteral("バックアップの目録が読めません"));
    bool isNumber = false;
    const int version = lines[0].mid(manifestTag.size()).toInt(&isNumber);
    if (!isNumber || version < 1)
        return damaged(QStringLiteral("バックアップの目録が読めません"));
    if (version > backup::manifestVersion)
        return refused(BackupContents::Refusal::Newer, QStringLiteral("新しい版のトキロが作ったバックアップです"));
    BackupContents contents;
    if (lines[1].startsWith("made "))
        contents.made = QDateTime::fromString(QString::fromLatin1(lines[1].mid(5)), Qt::ISODate);
    // The lines after the time, one per entry after the manifest; the last line ends with its newline.
    const qsizetype fileLines = lines.size() - 3;
    std::size_t next = 1;
    QSet<QByteArray> seen;
    for (qsizetype i = 0; i < fileLines; ++i) {
        const QList<QByteArray> fields = lines[2 + i].split('\t');
        if (fields.size() != 3)
            return damaged(QStringLiteral("バックアップの目録が壊れています"));
        const QByteArray name = QByteArray::fromHex(fields[0]);
        bool sizeOk = false;
        const qint64 size = fields[1].toLongLong(&sizeOk);
        const qint64 modified = fields[2].toLongLong();
        while (next < entries.size() && entries[next].folder)
            ++next;
        if (!sizeOk || !isPlainName(name) || !isKeptInBackup(name) || seen.contains(name) || next >= entries.size()
            || entries[next].bytes.size() != size)
            return damaged(QStringLiteral("バックアップの目録と中身が合いません"));
        seen.insert(name);
        contents.files.push_back({fileNameFromBytes(name), std::move(entries[next].bytes), modified});
        ++next;
    }
    if (!lines.back().isEmpty())
        return damaged(QStringLiteral("バックアップの目録が途中で切れています"));
    for (; next < entries.size(); ++next)
        if (!entries[next].folder)
            return damaged(QStringLiteral("バックアップの目録にないファイルがあります"));
    contents.ours = true;
    contents.refusal = BackupContents::Refusal::None;
    return contents;
}

} // namespace

BackupContents readBackup(const QString& archivePath)
{
    const int fd = ::open(fileNameBytes(archivePath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return refused(BackupContents::Refusal::CannotOpen, qt_error_string(errno));
    const auto closeFd = std::unique_ptr<int, void (*)(int*)>(new int(fd), [](int* p) {
        ::close(*p);
        delete p;
    });
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return refused(BackupContents::Refusal::CannotOpen, QStringLiteral("ファイルではありません"));
    if (info.st_size > backup::maxTotalBytes)
        return refused(BackupContents::Refusal::NotOurs, QStringLiteral("バックアップにしては大きすぎます"));

    const ArchivePtr a(archive_read_new());
    // The zip's directory at its end is read first: an archive cut short has none and is refused before any file.
    archive_read_support_format_zip_seekable(a.get());
    if (archive_read_open_fd(a.get(), fd, 1 << 16) != ARCHIVE_OK)
        return refused(BackupContents::Refusal::NotOurs,
                       QStringLiteral("zip ファイルとして読めません（%1）").arg(libraryError(a.get())));

    const auto damaged = [&] { return refused(BackupContents::Refusal::Damaged, libraryError(a.get())); };
    std::vector<ArchiveEntry> entries;
    qsizetype total = 0;
    for (;;) {
        archive_entry* header = nullptr;
        const int status = archive_read_next_header(a.get(), &header);
        if (status == ARCHIVE_EOF)
            break;
        // A warning here is about a name that the system's character set cannot show; the name is read as UTF-8.
        if (status != ARCHIVE_OK && status != ARCHIVE_WARN)
            return entries.empty()
                       ? refused(BackupContents::Refusal::NotOurs,
                                 QStringLiteral("zip ファイルとして読めません（%1）").arg(libraryError(a.get())))
                       : damaged();
        ArchiveEntry entry;
        const char* utf8 = archive_entry_pathname_utf8(header);
        const char* raw = archive_entry_pathname(header);
        entry.name = QByteArray(utf8 ? utf8 : raw ? raw : "");
        entry.modified = archive_entry_mtime_is_set(header) ? archive_entry_mtime(header) : 0;
        const mode_t type = archive_entry_filetype(header);
        if (type == AE_IFDIR) {
            entry.folder = true;
            entries.push_back(std::move(entry));
            continue;
        }
        if (type != AE_IFREG)
            return refused(BackupContents::Refusal::NotOurs, QStringLiteral("ファイルでないものが入っています"));
        const la_int64_t size = archive_entry_size_is_set(header) ? archive_entry_size(header) : -1;
        if (size < 0 || size > backup::maxFileBytes || total + size > backup::maxTotalBytes)
            return refused(BackupContents::Refusal::NotOurs, QStringLiteral("大きすぎるファイルが入っています"));
        total += size;
        entry.bytes.resize(static_cast<qsizetype>(size));
        qsizetype done = 0;
        for (;;) {
            // One byte more than the size, so that data running past it shows.
            char extra = 0;
            char* into = done < entry.bytes.size() ? entry.bytes.data() + done : &extra;
            const size_t room = done < entry.bytes.size() ? static_cast<size_t>(entry.bytes.size() - done) : 1;
            const la_ssize_t got = archive_read_data(a.get(), into, room);
            if (got == 0)
                break;
            // A warning on the data is a checksum that does not match.
            if (got < 0 || into == &extra)
                return got < 0
                           ? damaged()
                           : refused(BackupContents::Refusal::Damaged, QStringLiteral("ファイルの大きさが合いません"));
            done += got;
        }
        if (done != entry.bytes.size())
            return refused(BackupContents::Refusal::Damaged, QStringLiteral("ファイルが途中で切れています"));
        entries.push_back(std::move(entry));
    }
    if (entries.empty())
        return refused(BackupContents::Refusal::NotOurs, QStringLiteral("空の zip ファイルです"));
    if (!entries.front().folder && entries.front().name == backup::manifestName)
        return ourBackup(entries);
    return plainRaces(entries);
}

std::vector<RestoreItem> compareWithFolder(const QString& folder, std::vector<BackupFile> files)
{
    std::vector<RestoreItem> items;
    items.reserve(files.size());
    const Folder dir(folder);
    for (BackupFile& file : files) {
        RestoreItem item;
        const QByteArray name = fileNameBytes(file.name);
        FileBytes read = dir.fd() >= 0 ? readFileBytesAt(dir.fd(), name, file.bytes.size() + 1)
                                       : FileBytes{FileBytes::Status::Failed, {}, false, errno};
        switch (read.status) {
        case FileBytes::Status::Missing: item.state = RestoreState::New; break;
        case FileBytes::Status::Read:
            item.state = read.bytes == file.bytes ? RestoreState::Same : RestoreState::Differs;
            if (item.state == RestoreState::Differs)
                item.current = std::move(read.bytes);
            break;
        default: item.state = RestoreState::Blocked; break;
        }
        if (endsWithTkr(name)) {
            const CatalogueEntry entry = catalogueEntryOf(racelines::RaceFileLines::parse(file.bytes), file.name);
            if (entry.readable)
                item.race = QStringLiteral("%1　%2R　%3")
                                .arg(entry.raceDate, entry.raceNumberText.trimmed(), entry.raceName.trimmed());
        }
        item.file = std::move(file);
        items.push_back(std::move(item));
    }
    return items;
}

QString keptBothName(const QString& folder, const QString& name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString stem = dot > 0 ? name.left(dot) : name;
    const QString suffix = dot > 0 ? name.mid(dot) : QString();
    const QString base = folder.isEmpty() ? QStringLiteral(".") : folder;
    for (int n = 1;; ++n) {
        const QString tag = n == 1 ? QStringLiteral(" (バックアップ)") : QStringLiteral(" (バックアップ %1)").arg(n);
        const QString candidate = stem + tag + suffix;
        if (!pathTaken(base + u'/' + candidate))
            return candidate;
    }
}

RestoreOutcome restoreBackup(const QString& folder, const std::vector<RestoreItem>& items,
                             const std::vector<RestoreChoice>& choices, LockWait* lockWait)
{
    RestoreOutcome outcome;
    const QString base = folder.isEmpty() ? QStringLiteral(".") : folder;
    // Held for the whole restore, so that no other program writes into the folder between the writes; a folder where
    // no lock can be made gets none, and the writes then say why they fail.
    const FolderLock lock(base, restoreWait, lockWait);
    if (lock.stopped()) {
        outcome.stoppedWaiting = true;
        return outcome;
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        const RestoreItem& item = items[i];
        const QString name = shown(item.file.name);
        QString target = item.file.name;
        LastCheck check;
        QStringList* done = &outcome.added;
        switch (item.state) {
        case RestoreState::Same: outcome.same += name; continue;
        case RestoreState::Blocked:
            outcome.failed += QStringLiteral("%1：同じ名前のフォルダか、読めないファイルがあります").arg(name);
            continue;
        case RestoreState::New: check = [path = base + u'/' + target] { return !pathTaken(path); }; break;
        case RestoreState::Differs: {
            const RestoreChoice choice = i < choices.size() ? choices[i] : RestoreChoice::Skip;
            if (choice == RestoreChoice::Skip) {
                outcome.skipped += name;
                continue;
            }
            if (choice == RestoreChoice::KeepBoth) {
                target = keptBothName(base, item.file.name);
                check = [path = base + u'/' + target] { return !pathTaken(path); };
                done = &outcome.keptBoth;
            } else {
                check = [path = base + u'/' + target, &item] {
                    const FileBytes now = readFileBytes(path, item.current.size() + 1);
                    return now.status == FileBytes::Status::Read && now.bytes == item.current;
                };
                done = &outcome.replaced;
            }
            break;
        }
        }
        const QString path = base + u'/' + target;
        const SaveResult saved = replaceWholeFileUnderLock(lock, path, item.file.bytes, check);
        if (saved.stoppedByCheck) {
            outcome.changedMeanwhile += name;
            continue;
        }
        if (!saved.ok) {
            outcome.failed += QStringLiteral("%1：%2").arg(name, saved.reason);
            continue;
        }
        if (item.file.modified > 0) {
            // The time the race was last changed goes with it, as the lists and the carried tipsters rely on it.
            const timespec times[2] = {{static_cast<time_t>(item.file.modified), 0},
                                       {static_cast<time_t>(item.file.modified), 0}};
            ::utimensat(AT_FDCWD, fileNameBytes(path).constData(), times, AT_SYMLINK_NOFOLLOW);
        }
        *done += shown(target);
    }
    return outcome;
}
