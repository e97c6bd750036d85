#include "core/quinella_odds.h"

#include "core/pasted_table.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// A cell in place of odds: odds in tenths, 0 for a pair not sold; nullopt for anything else. Odds carry their decimal
// or 倍, so that a bare popularity or horse number is never taken for them.
std::optional<int> oddsCell(const QString& cell)
{
    static const QRegularExpression odds(QStringLiteral("^([0-9]{1,3}(?:,[0-9]{3})*|[0-9]+)(?:\\.([0-9]))?(倍)?$"));
    static const QRegularExpression notSold(QStringLiteral("^(?:取消|取り消し|除外|発売なし|-{2,}|—+|―+|ー{2,})$"));
    const QString word = cell.trimmed();
    if (notSold.match(word).hasMatch())
        return 0;
    const QRegularExpressionMatch match = odds.match(word);
    if (!match.hasMatch() || (!match.hasCaptured(2) && !match.hasCaptured(3)))
        return std::nullopt;
    const long long tenths = QString(match.captured(1)).remove(u',').toLongLong() * 10 + match.captured(2).toInt();
    if (tenths < 10 || tenths > 9999999) // below 1.0倍 no pool pays; the bound keeps the figure an int
        return std::nullopt;
    return static_cast<int>(tenths);
}

// A horse number standing alone in a cell (「7」, 「⑦」, 「7番」).
int numberCell(const QString& cell)
{
    const std::optional<PrintedNumbers> numbers = printedNumbers(cell.trimmed());
    return numbers && numbers->frame == 0 ? numbers->number : 0;
}

bool isPopularity(const QString& cell)
{
    static const QRegularExpression popularity(QStringLiteral("^\\(?[0-9]+(?:番)?人気\\)?$|^\\([0-9]+\\)$|^[0-9]+$"));
    return popularity.match(cell.trimmed()).hasMatch();
}

class Reader {
public:
    explicit Reader(int runners) : runners_(runners) {}

    // Takes one pair; false (with the error set) when it cannot be.
    bool take(int a, int b, int tenths, int line)
    {
        if (a < 1 || b < 1 || a > runners_ || b > runners_ || a == b) {
            error = QStringLiteral("%1行目の組 %2-%3 はこのレース（%4頭）にありません。")
                        .arg(line)
                        .arg(a)
                        .arg(b)
                        .arg(runners_);
            return false;
        }
        const auto key = std::minmax(a, b);
        const auto [at, added] = odds_.emplace(key, tenths);
        if (!added && at->second != tenths) {
            error = QStringLiteral("組 %1-%2 に二つのオッズがあります（%3行目）。")
                        .arg(key.first)
                        .arg(key.second)
                        .arg(line);
            return false;
        }
        return true;
    }

    std::vector<QuinellaOdds> odds() const
    {
        std::vector<QuinellaOdds> list;
        for (const auto& [pair, tenths] : odds_)
            list.push_back({pair.first, pair.second, tenths});
        return list;
    }
    bool empty() const { return odds_.empty(); }

    QString error;

private:
    int runners_;
    std::map<std::pair<int, int>, int> odds_;
};

} // namespace

PastedQuinellaOdds parsePastedQuinellaOdds(const QString& text, int runners)
{
    static const QRegularExpression pairPattern(
        QStringLiteral("(?<![0-9.,/-])([0-9]{1,2})\\s*[-=－−‐]\\s*([0-9]{1,2})(?![0-9.,/-])"));
    const std::vector<PastedLine> lines = pastedLines(foldPastedText(text));
    PastedQuinellaOdds result;
    Reader reader(runners);
    const auto refuse = [&result](const QString& why) {
        result.error = why;
        return result;
    };
    const auto nextFilled = [&lines](std::size_t from) {
        while (from < lines.size() && lines[from].cells.isEmpty())
            ++from;
        return from;
    };
    const auto loneOdds = [&lines](std::size_t i) -> std::optional<int> {
        if (i >= lines.size() || lines[i].cells.size() != 1)
            return std::nullopt;
        return oddsCell(lines[i].cells.front());
    };

    int lower = 0;             // the matrix's lower number, from its line of its own
    std::vector<int> gridHead; // the partners a grid's header row names
    int unreadPairLine = 0;    // the first line holding a pair without odds, since odds were last read
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const PastedLine& line = lines[i];
        if (line.cells.isEmpty())
            continue;
        const bool before = !reader.empty();
        bool read = false;

        // A list: each pair takes the odds that follow it before the next pair, or a line of their own below.
        QRegularExpressionMatchIterator pairs = pairPattern.globalMatch(line.text);
        if (pairs.hasNext()) {
            std::vector<QRegularExpressionMatch> found;
            while (pairs.hasNext())
                found.push_back(pairs.next());
            for (std::size_t p = 0; p < found.size(); ++p) {
                const qsizetype end = p + 1 < found.size() ? found[p + 1].capturedStart() : line.text.size();
                const QString after = line.text.mid(found[p].capturedEnd(), end - found[p].capturedEnd());
                std::optional<int> tenths;
                for (const QString& cell :
                     after.split(QRegularExpression(QStringLiteral("[\\s\\t]+")), Qt::SkipEmptyParts))
                    if (const std::optional<int> o = oddsCell(cell); o && !tenths)
                        tenths = o;
                if (!tenths && found.size() == 1 && (tenths = loneOdds(nextFilled(i + 1))))
                    i = nextFilled(i + 1);
                if (!tenths) {
                    unreadPairLine = unreadPairLine ? unreadPairLine : line.number;
                    continue;
                }
                if (unreadPairLine && before) {
                    return refuse(QStringLiteral("%1行目の組のオッズが読めません。").arg(unreadPairLine));
                }
                unreadPairLine = 0;
                if (!reader.take(found[p].captured(1).toInt(), found[p].captured(2).toInt(), *tenths, line.number))
                    return refuse(reader.error);
                read = true;
            }
            lower = 0;
            gridHead.clear();
            result.passedLines += !read;
            continue;
        }

        std::vector<int> numbers;
        for (const QString& cell : line.cells)
            if (!cell.trimmed().isEmpty())
                numbers.push_back(numberCell(cell));
        const bool allNumbers = std::all_of(numbers.begin(), numbers.end(), [](int n) { return n > 0; });

        if (allNumbers && numbers.size() >= 2 && std::is_sorted(numbers.begin(), numbers.end())) {
            gridHead = numbers; // a grid's header row
            lower = 0;
            continue;
        }
        if (!gridHead.empty() && numbers.front() > 0 && line.cells.size() >= 2) {
            // A grid's row: its cells under the header's partners, empty cells kept where the row was copied with tabs;
            // else only the cells that hold odds, which then stand under the partners above the row's number.
            QStringList cells = line.cells.mid(1);
            std::vector<int> partners = gridHead;
            if (!line.tabbed || cells.size() != static_cast<qsizetype>(gridHead.size())) {
                cells.removeIf([](const QString& c) { return c.trimmed().isEmpty(); });
                partners.clear();
                for (const int n : gridHead)
                    if (n > numbers.front())
                        partners.push_back(n);
                if (cells.size() != static_cast<qsizetype>(partners.size()))
                    return refuse(QStringLiteral("%1行目の行はオッズ表の列と合いません。").arg(line.number));
            }
            for (qsizetype c = 0; c < cells.size(); ++c) {
                const QString cell = cells[c].trimmed();
                if (cell.isEmpty() || partners[c] == numbers.front())
                    continue;
                const std::optional<int> tenths = oddsCell(cell);
                if (!tenths)
                    return refuse(
                        QStringLiteral("%1行目の「%2」はオッズとして読めません。").arg(line.number).arg(cell));
                if (!reader.take(numbers.front(), partners[c], *tenths, line.number))
                    return refuse(reader.error);
            }
            continue;
        }
        if (line.cells.size() == 1 && numbers.front() > 0) {
            // Alone: the partner when its odds stand on the next line, else the matrix's lower number.
            const std::size_t next = nextFilled(i + 1);
            if (const std::optional<int> tenths = loneOdds(next); tenths && lower > 0) {
                if (!reader.take(lower, numbers.front(), *tenths, line.number))
                    return refuse(reader.error);
                i = next;
            } else {
                lower = numbers.front();
            }
            continue;
        }
        if (lower > 0 && numbers.front() > 0 && line.cells.size() >= 2) {
            // A partner's row: its number, its odds, perhaps a popularity.
            std::optional<int> tenths;
            bool readable = true;
            for (qsizetype c = 1; c < line.cells.size(); ++c) {
                if (const std::optional<int> o = oddsCell(line.cells[c]); o && !tenths)
                    tenths = o;
                else if (!isPopularity(line.cells[c]))
                    readable = false;
            }
            if (tenths && readable) {
                if (!reader.take(lower, numbers.front(), *tenths, line.number))
                    return refuse(reader.error);
                continue;
            }
        }
        ++result.passedLines;
    }
    if (reader.empty())
        return refuse(QStringLiteral(
            "馬連のオッズが見つかりません。「3-7 12.5」のように、組とオッズが並んだ表を貼り付けてください。"));
    result.ok = true;
    result.odds = reader.odds();
    return result;
}

std::optional<int> oddsOfPair(const std::vector<QuinellaOdds>& odds, int a, int b)
{
    const auto [low, high] = std::minmax(a, b);
    const auto at = std::find_if(odds.begin(), odds.end(),
                                 [low, high](const QuinellaOdds& o) { return o.low == low && o.high == high; });
    return at == odds.end() ? std::nullopt : std::optional<int>(at->tenths);
}

QString oddsText(int tenths) { return QStringLiteral("%1.%2").arg(tenths / 10).arg(tenths % 10); }

ProposalPrices proposalPrices(const std::vector<std::optional<int>>& ticketOdds)
{
    ProposalPrices prices;
    const auto tickets = static_cast<long long>(ticketOdds.size());
    double inverse = 0;
    bool allKnown = !ticketOdds.empty();
    for (const std::optional<int>& tenths : ticketOdds) {
        // A hit pays odds × 100 yen against a stake of 100 yen a ticket: less than the stake when odds < tickets.
        prices.torigami.push_back(tenths && *tenths > 0 && *tenths < tickets * 10);
        if (!tenths || *tenths <= 0)
            allKnown = false;
        else
            inverse += 10.0 / *tenths;
    }
    if (allKnown)
        prices.combinedHundredths = static_cast<int>(std::floor(100.0 / inverse + 1e-9));
    return prices;
}
