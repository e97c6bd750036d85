#pragma once

#include "core/day_paste.h"
#include "racefile/catalogue.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

class LockWait;
class RaceFolder;

// The results of a day pasted at once, matched to the saved races of a folder and written into them.

// The saved race a pasted race is for: matched by date, course and race number; where those leave more than one, by
// the race's name. A date or a course the paste does not give does not decide; a saved race whose course names no
// course this program knows (or none) is not told apart by its course.
struct DayMatch {
    enum class Kind { Matched, NoRace, SeveralRaces, NoNumber };
    Kind kind = Kind::NoRace;
    std::vector<std::size_t> races; // catalogue indexes: the race matched, or the races it could be
};
// catalogue is the folder's list (RaceFolder::catalogue); only the few races of the right date and number are read,
// for their course.
std::vector<DayMatch> matchPastedRaces(const std::vector<PastedRace>& pasted,
                                       const std::vector<CatalogueEntry>& catalogue, const RaceFolder& folder);

// One race's result lines to write, and what they held when shown.
struct DayWrite {
    QString fileName;
    QString first;
    QString second;
    QString payout;
    QString heldFirst; // the result lines as the catalogue read them; a file whose lines changed since is not written
    QString heldSecond;
    QString heldPayout;
};
struct DayWriteOutcome {
    bool written = false;
    QString reason; // why not, as a sentence
};
// Writes each race in turn through the folder's rewrite: each file is replaced whole, so that a stop at any moment
// leaves every race as it was or as written. A wait for the folder's lock that the user stops ends the writes: that
// race and those after it are not written.
std::vector<DayWriteOutcome> writeDayResults(const QString& folder, const std::vector<DayWrite>& writes,
                                             LockWait* lockWait = nullptr);

// One row per pasted race: 書き込む (a tick), the race as pasted, the saved race it matches, what will be written,
// and the row's state. A race is ticked when its saved race holds no result yet; one that holds another result, or
// the same, is shown unticked; one with no saved race, with several, pasted twice, or not read cannot be ticked. A
// dead heat cannot be ticked until the pair to keep is chosen (choose).
class DayResultsModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { TickColumn, PastedColumn, SavedColumn, WrittenColumn, StateColumn, ColumnCount };

    explicit DayResultsModel(QObject* parent = nullptr);

    // Shows the races of a paste, matched against the folder (its list as catalogue gives it).
    void load(const PastedDay& day, const std::vector<CatalogueEntry>& catalogue, const RaceFolder& folder);
    void clear();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    bool tickable(int row) const;
    bool ticked(int row) const;
    int tickedCount() const;

    // A dead heat: the pairs it can be written as, one text each; empty for a race with one.
    QStringList choices(int row) const;
    bool needsChoice(int row) const;
    // Keeps pair choice of the row's dead heat; the row is then ticked as any other.
    void choose(int row, int choice);
    // The row's state as one sentence.
    QString stateText(int row) const;

    struct Written {
        int count = 0;
        QStringList notWritten; // 「race：why」, a line per pasted race not written
    };
    // Writes every ticked race; the rows then say what became of them.
    Written writeTicked(const QString& folder, LockWait* lockWait = nullptr);

private:
    enum class Held { None, Same, Different };
    enum class Done { No, Written, Failed };
    struct Row {
        PastedRace pasted;
        std::vector<ResultChoice> choices;
        int chosen = -1; // the pair kept of a dead heat
        DayMatch::Kind match = DayMatch::Kind::NoRace;
        CatalogueEntry saved;
        QStringList candidates; // the saved races it could be
        bool duplicate = false;
        Held held = Held::None;
        bool ticked = false;
        Done done = Done::No;
        QString doneReason;
    };
    bool holds(const QModelIndex& index) const;
    const ResultChoice* choiceOf(const Row& row) const;
    bool tickable(const Row& row) const;
    DayWrite writeOf(const Row& row) const;
    Held heldOf(const Row& row) const;
    QString writtenText(const Row& row) const;

    std::vector<Row> rows_;
};

// A saved race as the day screen names it: 「24/05/26 11R 東京優駿」.
QString savedRaceTitle(const CatalogueEntry& entry);
