#include "racefile/race_folder.h"

#include "racefile/file_bytes.h"
#include "racefile/file_names.h"
#include "racefile/race_lines.h"
#include "racefile/save_file.h"

#include "core/race_date.h"

#include <QDir>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include <dirent.h>
#include <fcntl.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace racelines;

const QString RaceFolder::tempFileName = QStringLiteral("TKR.tmp");
const QString RaceFolder::lastSavedFileName = QStringLiteral(".tokiro-last-saved");

RaceFolder::RaceFolder(QString path, LockWait* lockWait) : path_(std::move(path)), lockWait_(lockWait) {}

QString RaceFolder::filePath(const QString& name) const
{
    // QDir::filePath would take a name starting with ":" for an absolute (resource) path and drop the folder.
    if (name.startsWith(u'/'))
        return name;
    if (path_.isEmpty())
        return QStringLiteral("./") + name;
    return path_.endsWith(u'/') ? path_ + name : path_ + u'/' + name;
}

namespace {
bool isRaceFileName(QByteArrayView name);
} // namespace

QString RaceFolder::savePath(const QString& chosen) const
{
    QString path = filePath(chosen);
    if (!path.endsWith(QStringLiteral(".tkr"), Qt::CaseInsensitive))
        path += QStringLiteral(".tkr");
    return path;
}

bool RaceFolder::lists(const QString& path) const
{
    const QFileInfo file(path);
    if (!isRaceFileName(fileNameBytes(file.fileName())))
        return false;
    // The same folder however it is written: through links, with "..", relative or absolute.
    auto sameFolder = [](const QString& folder) {
        const QFileInfo info(folder);
        const QString canonical = info.canonicalFilePath();
        return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
    };
    return sameFolder(file.absolutePath()) == sameFolder(path_.isEmpty() ? QStringLiteral(".") : path_);
}

QString proposedRaceFileName(const QString& raceDate, int raceNumber)
{
    const QDate date = parseRaceDate(raceDate);
    if (!date.isValid() || raceNumber < 1 || raceNumber > 99)
        return QStringLiteral("YYMMDDRR");
    return date.toString(QStringLiteral("yyMMdd")) + QStringLiteral("%1").arg(raceNumber, 2, 10, QChar(u'0'));
}

namespace {

// "*.tkr" with the extension in any case, hidden files not.
bool isRaceFileName(QByteArrayView name)
{
    return name.size() > 4 && !name.startsWith('.') && name.last(4).compare(".tkr", Qt::CaseInsensitive) == 0;
}

struct Listed {
    QString name;
    KnownKind kind = KnownKind::Unknown;
    bool special = false; // a device, a pipe or a socket: listed as unreadable, never opened
};

// The race files of the folder, with what the listing tells of their kind. The folder is read with readdir rather
// than QDir, because its entries come with their kind: a regular file needs no look of its own before it is opened,
// and a pipe or a device is known without one.
std::vector<Listed> listFolder(const RaceFolder& folder)
{
    std::vector<Listed> races;
    std::vector<QByteArray> copies;
    DIR* const dir = ::opendir(fileNameBytes(folder.path().isEmpty() ? QStringLiteral(".") : folder.path()));
    if (!dir)
        return races;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArrayView bytes(entry->d_name);
        if (!isRaceFileName(bytes)) {
            if (entry->d_type != DT_DIR
                && (isTemporaryCopyName(bytes) || isOldTemporaryCopyName(bytes) || bytes == FolderLock::fileName))
                copies.emplace_back(bytes.toByteArray());
            continue;
        }
        // Held so that it gives the file's bytes back: a name that is not UTF-8 is listed and opened like any other.
        Listed listed{fileNameFromBytes(bytes)};
        unsigned char type = entry->d_type;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            // What a link leads to decides; a link to nothing or to a folder is no race file, as a folder is not.
            struct stat info {};
            if (::stat(fileNameBytes(folder.filePath(listed.name)).constData(), &info) != 0)
                continue;
            type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISREG(info.st_mode) ? DT_UNKNOWN : DT_FIFO;
        }
        if (type == DT_DIR)
            continue;
        listed.kind = type == DT_REG ? KnownKind::Regular : KnownKind::Unknown;
        listed.special = type != DT_REG && type != DT_UNKNOWN;
        races.push_back(std::move(listed));
    }
    ::closedir(dir);
    // Copies that saves left behind when the program stopped in the middle of one.
    removeStaleCopies(folder.path(), copies);
    return races;
}

// What the catalogue's order needs of a file: its sort key and its name. found is false for a file gone since it was
// listed, which is no race of the folder any more.
struct OrderKey {
    QString sortKey;
    QString fileName;
    bool found = false;
    // The sort key's first eight character codes, packed so that comparing the numbers compares those codes in
    // order (a shorter key padded with 0): sorting a hundred thousand keys then seldom reads their texts.
    std::array<std::uint64_t, 2> lead{};
};

std::array<std::uint64_t, 2> leadOf(const QString& key)
{
    std::array<std::uint64_t, 2> lead{};
    for (qsizetype i = 0; i < 8 && i < key.size(); ++i)
        lead[static_cast<std::size_t>(i / 4)] |= std::uint64_t{key[i].unicode()} << (16 * (3 - i % 4));
    return lead;
}

// Reads every listed file (on every core: the files are independent), handing each file's lines to take, which keeps
// what it wants of them and returns the file's sort key and name. Returns the indexes of the files still there, in the
// catalogue's order: the sort key compared by character codes (no locale), equal keys by file name, so that no race
// is dropped.
template <typename Take>
std::vector<std::size_t> readInOrder(const RaceFolder& folder, const std::vector<Listed>& files, bool throughBalance,
                                     Take take)
{
    std::vector<OrderKey> keys(files.size());
    // Each file is opened by its name in the folder, held open for the read: the path to the folder is walked once.
    // Should the folder not open so, each file is read by its path.
    struct Folder {
        int fd;
        ~Folder()
        {
            if (fd >= 0)
                ::close(fd);
        }
    } const opened{::open(fileNameBytes(folder.path().isEmpty() ? QStringLiteral(".") : folder.path()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    auto readOne = [&](std::size_t i) {
        const Listed& listed = files[i];
        FileBytes bytes;
        if (listed.special)
            bytes.status = FileBytes::Status::NotRegular;
        else if (opened.fd >= 0 && !listed.name.startsWith(u'/'))
            bytes = readFileBytesAt(opened.fd, fileNameBytes(listed.name), maxBytes, FollowLinks::Yes, listed.kind);
        else
            bytes = readFileBytes(folder.filePath(listed.name), maxBytes, FollowLinks::Yes, listed.kind);
        const RaceFileLines lines = RaceFileLines::of(std::move(bytes), throughBalance);
        if (lines.problem() == Problem::Missing)
            return;
        keys[i] = take(i, lines, listed.name);
        keys[i].found = true;
        keys[i].lead = leadOf(keys[i].sortKey);
    };
    std::vector<std::size_t> indexes(files.size());
    for (std::size_t i = 0; i < indexes.size(); ++i)
        indexes[i] = i;
    // Starting the other threads costs more than reading a few files.
    if (files.size() < 64)
        std::for_each(indexes.begin(), indexes.end(), readOne);
    else
        QtConcurrent::blockingMap(indexes, [&](const std::size_t& i) { readOne(i); });

    std::erase_if(indexes, [&](std::size_t i) { return !keys[i].found; });
    std::sort(indexes.begin(), indexes.end(), [&](std::size_t a, std::size_t b) {
        if (keys[a].lead != keys[b].lead)
            return keys[a].lead < keys[b].lead;
        if (const int byKey = QString::compare(keys[a].sortKey, keys[b].sortKey, Qt::CaseSensitive))
            return byKey < 0;
        return QString::compare(keys[a].fileName, keys[b].fileName, Qt::CaseSensitive) < 0;
    });
    return indexes;
}

} // namespace

void RaceFolder::adviseLargeBlock(void* data, std::size_t bytes)
{
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    if (bytes < (std::size_t(8) << 20) || page == 0)
        return;
    // madvise takes whole pages: from the first page boundary inside the block.
    const auto start = (reinterpret_cast<std::uintptr_t>(data) + page - 1) / page * page;
    const auto end = reinterpret_cast<std::uintptr_t>(data) + bytes;
    if (end > start)
        ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

std::vector<CatalogueEntry> RaceFolder::catalogue() const
{
    const std::vector<Listed> files = listFolder(*this);
    std::vector<CatalogueEntry> entries;
    entries.reserve(files.size());
    adviseLargeBlock(entries.data(), files.size() * sizeof(CatalogueEntry));
    entries.resize(files.size());
    std::vector<std::size_t> order =
        readInOrder(*this, files, true, [&](std::size_t i, const RaceFileLines& lines, const QString& name) {
            entries[i] = catalogueEntryOf(lines, name);
            return OrderKey{entries[i].sortKey, entries[i].fileName};
        });
    putInOrder(entries, std::move(order));
    return entries;
}

std::vector<std::size_t>
RaceFolder::readEach(ReadScope scope, RunnerNames names, const std::function<void(std::size_t count)>& sized,
                     const std::function<void(std::size_t index, CataloguedRace&& race)>& made) const
{
    const std::vector<Listed> files = listFolder(*this);
    sized(files.size());
    auto take = [&](std::size_t i, const RaceFileLines& lines, const QString& name) {
        CataloguedRace race;
        race.read = readRaceLines(lines, race.race, scope, name, names);
        race.entry = catalogueEntryOf(lines, name, race.read.ok ? &race.race : nullptr);
        // The key is taken before the race is handed on (and maybe taken apart).
        OrderKey key{race.entry.sortKey, race.entry.fileName};
        made(i, std::move(race));
        return key;
    };
    std::vector<std::size_t> order = readInOrder(*this, files, scope == ReadScope::Whole, take);
#ifdef __GLIBC__
    // What the reading threads read is freed by now, but each thread's heap keeps its free pages, which nothing the
    // screens allocate later (on this thread) reuses: give them back.
    if (files.size() >= 1000)
        ::malloc_trim(0);
#endif
    return order;
}

std::vector<CataloguedRace> RaceFolder::races(ReadScope scope) const
{
    return racesAs<CataloguedRace>(scope, RunnerNames::Read, [](CataloguedRace&& race) { return std::move(race); });
}

FileResult RaceFolder::read(const QString& fileName, LoadedRace& out, ReadScope scope, CatalogueEntry* entry) const
{
    const RaceFileLines lines = RaceFileLines::load(filePath(fileName), scope == ReadScope::Whole);
    if (entry)
        *entry = catalogueEntryOf(lines, fileName);
    return readRaceLines(lines, out, scope, fileName);
}

FileResult RaceFolder::present(const QString& fileName) const
{
    if (!fileName.isEmpty() && pathTaken(filePath(fileName)))
        return FileResult::done();
    return FileResult::failed(QStringLiteral("レースファイル「%1」が見つかりません。").arg(shownFileName(fileName)));
}

namespace {
// The columns of the race at path; nullopt when it cannot be read as a race.
std::optional<TipsterGrid> columnsOf(const QString& path)
{
    const RaceFileLines lines = RaceFileLines::load(path, true);
    if (!lines.trusted())
        return std::nullopt;
    TipsterGrid grid;
    if (readTipsterGrid(lines.afterRace(), lines.runnerCount(), grid) != GridBlock::Read)
        return TipsterGrid{};
    return emptyColumnsOf(grid);
}
} // namespace

TipsterGrid RaceFolder::carriedTipsterColumns() const
{
    const std::vector<Listed> listed = listFolder(*this);
    const FileBytes remembered = readFileBytes(filePath(lastSavedFileName), 4096);
    if (remembered.status == FileBytes::Status::Read && !remembered.bytes.isEmpty()) {
        const QString name = fileNameFromBytes(remembered.bytes);
        const bool listedRace =
            std::ranges::any_of(listed, [&](const Listed& l) { return !l.special && l.name == name; });
        if (listedRace) {
            if (const std::optional<TipsterGrid> columns = columnsOf(filePath(name)))
                return *columns;
        }
    }
    // Not known: the newest races first, by the time they were changed, until one has a grid.
    std::vector<std::pair<std::int64_t, QString>> byTime;
    for (const Listed& l : listed) {
        if (l.special)
            continue;
        struct stat info {};
        if (::stat(fileNameBytes(filePath(l.name)).constData(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        byTime.emplace_back(std::int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec, l.name);
    }
    const auto looked = byTime.begin() + std::min<std::ptrdiff_t>(carriedLookBack, std::ssize(byTime));
    std::partial_sort(byTime.begin(), looked, byTime.end(), std::greater<>());
    for (auto it = byTime.begin(); it != looked; ++it) {
        if (const std::optional<TipsterGrid> columns = columnsOf(filePath(it->second)); columns && !columns->empty())
            return *columns;
    }
    return {};
}

bool RaceFolder::rememberSaved(const QString& path) const
{
    if (!lists(path))
        return false;
    return replaceWholeFile(filePath(lastSavedFileName), fileNameBytes(QFileInfo(path).fileName())).ok;
}
