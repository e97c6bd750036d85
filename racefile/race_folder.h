#pragma once

#include "racefile/catalogue.h"
#include "racefile/file_result.h"
#include "racefile/race_file.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class LockWait;

// The name the save dialog proposes for a race: the date's YYMMDD and the race number's two digits ("24052611" for
// race 11 on 24/05/26), or the pattern "YYMMDDRR" while the date cannot be read or the race number is not 1 to 99.
QString proposedRaceFileName(const QString& raceDate, int raceNumber);

// A rewrite that has been checked and written to "TKR.tmp", waiting for the user's answer. Made by RaceFolder's
// prepare steps, used by its commit.
struct PendingRewrite {
    QString fileName;    // the race file, in the folder
    QByteArray original; // the race file's bytes as prepare read them
    std::int64_t originalSize = 0;
    QByteArray rewritten; // what "TKR.tmp" holds and the race file will hold
};

// The saved races of one folder. The folder is given (the application passes its current folder); nothing here
// depends on the process's current folder. Race files are named by their bare names in the folder, and every path is
// made by joining the name to the folder, so that a name starting with ":" is a file like any other and never a Qt
// resource. A name is held so that it gives its bytes back (file_names.h): a name that is not UTF-8 is listed, read,
// rewritten and deleted like any other, and shown to the user through shownFileName.
//
// Only regular files are races: a "*.tkr" link is followed only to a regular file; a folder or a dangling link is not
// listed; a device, a pipe or a socket (or a link to one) is listed as unreadable, without ever being opened. Every
// read is bounded by what it reads. A rewrite writes nothing outside the folder.
class RaceFolder {
public:
    // A rewrite that finds another program holding the folder's lock waits through lockWait when one is given
    // (save_file.h); a wait stopped changes nothing.
    explicit RaceFolder(QString path, LockWait* lockWait = nullptr);

    const QString& path() const { return path_; }
    LockWait* lockWait() const { return lockWait_; }
    // The path of a file in the folder; a path that is already absolute is kept.
    QString filePath(const QString& name) const;
    // Where a race saved under the name chosen in the save dialog (a bare name or a path) goes: filePath, with
    // ".tkr" added to a name that does not end in it (in any case), since the lists find races by it alone.
    QString savePath(const QString& chosen) const;
    // True when the lists of this folder show a race saved at path: a file of the folder itself, named "*.tkr", not
    // hidden.
    bool lists(const QString& path) const;

    // Every "*.tkr" of the folder (extension case-insensitive, hidden files not), sorted ascending by sort key (ties
    // by file name), unreadable files included. Listing also removes the temporary copies that saves left behind when
    // the program stopped in the middle of one, and only those that no running トキロ can still be writing
    // (removeStaleCopies, save_file.h); "TKR.tmp" itself stays, and so does every other file.
    std::vector<CatalogueEntry> catalogue() const;
    // The same list with each race read from the same single read of its file.
    std::vector<CataloguedRace> races(ReadScope scope = ReadScope::ThroughResults) const;
    // The same list with each race turned by make into an Item, in the catalogue's order. make runs on the thread that
    // read the file (every core, for a large folder), so that its work is shared out too and nothing of a race but
    // its Item is kept. Item must be default-constructible.
    template <typename Item, typename Make>
    std::vector<Item> racesAs(ReadScope scope, RunnerNames names, Make make) const
    {
        std::vector<Item> items;
        std::vector<std::size_t> order = readEach(
            scope, names,
            [&](std::size_t count) {
                items.reserve(count);
                adviseLargeBlock(items.data(), count * sizeof(Item));
                items.resize(count);
            },
            [&](std::size_t index, CataloguedRace&& race) { items[index] = make(std::move(race)); });
        putInOrder(items, std::move(order));
        return items;
    }

    // Reads every file of the folder: sized gets how many there are, made gets file index (0 .. count - 1) and its
    // race, from any thread. Returns the indexes of the races in the catalogue's order (files gone since they were
    // listed left out). For a reader that keeps its races in arrays of its own rather than as Items.
    std::vector<std::size_t> readEach(ReadScope scope, RunnerNames names,
                                      const std::function<void(std::size_t count)>& sized,
                                      const std::function<void(std::size_t index, CataloguedRace&& race)>& made) const;

    // One race read afresh; entry, when given, gets what the lists show of it from the same read (the result lines as
    // the texts they hold).
    FileResult read(const QString& fileName, LoadedRace& out, ReadScope scope, CatalogueEntry* entry = nullptr) const;
    // The tipster columns (names and order, no marks) a new race starts with: those of the race saved last from the
    // mark sheet into this folder (rememberSaved), none when it has no grid; while that race is not known or no longer
    // a race of the folder, those of the newest race file (by the time it was changed) that has a grid, among the
    // newest carriedLookBack.
    TipsterGrid carriedTipsterColumns() const;
    // Remembers path, a race of this folder, as the race saved last from the mark sheet. It is kept in the folder
    // itself (lastSavedFileName), so that it goes with the races; a file elsewhere is not remembered. A rewrite of
    // results or balance does not change it. False when it could not be written (the carry-over then falls back).
    bool rememberSaved(const QString& path) const;

    static const QString lastSavedFileName; // ".tokiro-last-saved": the bare name of that race, as its bytes
    static constexpr int carriedLookBack = 200;

    // ok when something of that name is in the folder, else the sentence saying it is not.
    FileResult present(const QString& fileName) const;

    // A rewrite in two steps, with the user's confirmation between them. Prepare reads and checks the whole race file
    // and writes what it would become into "TKR.tmp", created afresh (a link or a pipe in its place is replaced, never
    // written through; a folder in its place is refused). The values are the boxes' texts: the number each holds is
    // written digit for digit, and a box that holds no number (or an amount that is not whole yen from 0 to
    // maxAmountYen) is refused, naming it, before anything is written. A race file that is a link is not rewritten:
    // its file may lie anywhere.
    FileResult prepareResults(const QString& fileName, const QString& first, const QString& second,
                              const QString& payout, PendingRewrite& pending) const;
    FileResult prepareBalance(const QString& fileName, const QString& stake, const QString& income,
                              PendingRewrite& pending) const;
    // Replaces the race file as a whole by what prepare wrote into "TKR.tmp" (the bytes held in pending: another
    // window may have used "TKR.tmp" since), only when the race file is still the one prepare read: a change made
    // meanwhile by another program is told and kept. That check is the last step before the new file is renamed into
    // place. Every line that is not replaced, including any after the income line, is kept byte for byte. "TKR.tmp"
    // stays in the folder.
    FileResult commit(const PendingRewrite& pending) const;
    // Deletes the race file (a link: the link, not what it points to).
    FileResult remove(const QString& fileName) const;

    static const QString tempFileName; // "TKR.tmp"

    // Asks the system to back a large block about to be filled with huge pages where it can: page by page, the
    // array of a hundred thousand races costs tens of thousands of faults, each dear on a virtual machine. A small
    // block, or a system without them, is left as it is.
    static void adviseLargeBlock(void* data, std::size_t bytes);

    // Rearranges items where they lie so that item j is the one that was at order[j], and drops the items order does
    // not name. order names each index at most once. A second array of a hundred thousand races would cost as much
    // memory again, and the time to fill it.
    template <typename Item>
    static void putInOrder(std::vector<Item>& items, std::vector<std::size_t> order)
    {
        const std::size_t kept = order.size();
        std::vector<bool> named(items.size());
        for (const std::size_t index : order)
            named[index] = true;
        for (std::size_t index = 0; index < items.size(); ++index) {
            if (!named[index])
                order.push_back(index);
        }
        // Each cycle of the arrangement is followed once; a place done is marked by naming itself.
        for (std::size_t start = 0; start < order.size(); ++start) {
            if (order[start] == start)
                continue;
            Item held = std::move(items[start]);
            std::size_t at = start;
            while (order[at] != start) {
                const std::size_t from = order[at];
                items[at] = std::move(items[from]);
                order[at] = at;
                at = from;
            }
            items[at] = std::move(held);
            order[at] = at;
        }
        items.erase(items.begin() + static_cast<std::ptrdiff_t>(kept), items.end());
    }

private:
    QString path_;
    LockWait* lockWait_ = nullptr;
};
