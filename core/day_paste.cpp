#include "core/day_paste.h"

#include "core/race_date.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <optional>

namespace {

constexpr int maxHorse = 28;

// A race number on a heading: 「11R」, 「11 R」, 「11レース」, 「第11競走」. Not across a tab: in a finishing table a
// weight cell before a jockey's initial (「58<TAB>R.ムーア」) is no race number.
const QRegularExpression& raceNumberForm()
{
    static const QRegularExpression number(
        QStringLiteral("(?<![A-Za-z\\d.])(\\d{1,2}) ?(?:R(?![A-Za-z\\d])|レース)|第 ?(\\d{1,2}) ?競走"));
    return number;
}

// More races than this are not run on one day at one course.
constexpr int mostRaces = 16;

int numberOf(const QRegularExpressionMatch& match)
{
    return (match.captured(1).isEmpty() ? match.captured(2) : match.captured(1)).toInt();
}

// ---- spreadsheets ----

QStringList cellsOf(const QString& line)
{
    QStringList cells;
    if (line.contains(u'\t')) {
        cells = line.split(u'\t');
    } else {
        // Commas, with a quoted cell (「"6,940"」) kept whole and a doubled quote inside it read as one.
        QString cell;
        bool quoted = false;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar c = line[i];
            if (c == u'"') {
                if (quoted && i + 1 < line.size() && line[i + 1] == u'"') {
                    cell += c;
                    ++i;
                } else {
                    quoted = !quoted;
                }
            } else if (c == u',' && !quoted) {
                cells += cell;
                cell.clear();
            } else {
                cell += c;
            }
        }
        cells += cell;
    }
    for (QString& cell : cells)
        cell = cell.trimmed();
    return cells;
}

struct SheetColumns {
    int date = 0;
    int course = 1;
    int number = 2;
    int first = 3;
    int second = 4;
    int payout = 5;
    int name = -1;
    int last() const { return std::max({date, course, number, first, second, payout, name}); }
};

// The columns a header row names, when it names them all.
std::optional<SheetColumns> headerColumns(const QStringList& cells)
{
    SheetColumns c{-1, -1, -1, -1, -1, -1, -1};
    for (int i = 0; i < static_cast<int>(cells.size()); ++i) {
        const QString& cell = cells[i];
        auto has = [&cell](const char16_t* word) { return cell.contains(QStringView(word)); };
        if (has(u"1着") || has(u"一着"))
            c.first = i;
        else if (has(u"2着") || has(u"二着"))
            c.second = i;
        else if (has(u"馬連") || has(u"配当") || has(u"払戻"))
            c.payout = i;
        else if (has(u"レース名") || has(u"競走名"))
            c.name = i;
        else if (has(u"日付") || has(u"年月日") || has(u"開催日"))
            c.date = i;
        else if (has(u"競馬場") || has(u"場名") || has(u"場所") || cell == u"場" || has(u"開催"))
            c.course = i;
        else if (cell == u"R" || has(u"レース") || has(u"番号") || has(u"競走"))
            c.number = i;
    }
    if (c.date < 0 || c.course < 0 || c.number < 0 || c.first < 0 || c.second < 0 || c.payout < 0)
        return std::nullopt;
    return c;
}

std::optional<int> raceNumberCell(const QString& cell)
{
    static const QRegularExpression form(QStringLiteral("^(?:第\\s*)?(\\d{1,2})\\s*(?:R|レース|競走)?$"));
    const QRegularExpressionMatch match = form.match(cell);
    if (!match.hasMatch())
        return std::nullopt;
    const int number = match.captured(1).toInt();
    return number >= 1 ? std::optional<int>(number) : std::nullopt;
}

std::optional<int> horseCell(const QString& cell)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{1,2})\\s*番?$"));
    const QRegularExpressionMatch match = form.match(cell);
    if (!match.hasMatch())
        return std::nullopt;
    const int horse = match.captured(1).toInt();
    return horse >= 1 && horse <= maxHorse ? std::optional<int>(horse) : std::nullopt;
}

// A payout cell: 「6,940」, 「6940円」, 「¥6,940」; empty gives 0 with known false.
std::optional<std::int64_t> payoutCell(const QString& cell)
{
    static const QRegularExpression form(QStringLiteral("^[¥\\\\]?\\s*(\\d{1,3}(?:,\\d{3})+|\\d{1,12})\\s*円?$"));
    const QRegularExpressionMatch match = form.match(cell);
    if (!match.hasMatch())
        return std::nullopt;
    return QString(match.captured(1)).remove(u',').toLongLong();
}

bool sameRace(const PastedResult& a, const PastedResult& b)
{
    return a.date == b.date && a.course == b.course && a.raceNumber == b.raceNumber;
}

void addUnique(std::vector<int>& list, int value)
{
    if (std::find(list.begin(), list.end(), value) == list.end())
        list.push_back(value);
}

PastedDay readSpreadsheet(const QStringList& lines)
{
    PastedDay day;
    day.spreadsheet = true;
    SheetColumns columns;
    const int year = raceDateCurrentYear();
    for (int l = 0; l < static_cast<int>(lines.size()); ++l) {
        const QStringList cells = cellsOf(lines[l]);
        // A header names 1着 or 一着: a line without 着 is none, and is not looked at cell by cell.
        if (const std::optional<SheetColumns> header =
                lines[l].contains(u'着') ? headerColumns(cells) : std::optional<SheetColumns>();
            header) {
            columns = *header;
            continue;
        }
        if (cells.size() <= columns.last())
            continue;
        // The cheap checks first: most lines of a result page have cells enough but no race number or course.
        const std::optional<int> number = raceNumberCell(cells[columns.number]);
        const QString course = courseNamedIn(cells[columns.course]);
        const QDate date = number || !course.isEmpty() ? parseRaceDate(cells[columns.date], year, year) : QDate();
        if (!date.isValid() || course.isEmpty() || !number) {
            if (date.isValid() || !course.isEmpty())
                day.passedOver +=
                    QStringLiteral("%1行目は日付・競馬場・レース番号が読めないため、飛ばしました。").arg(l + 1);
            continue;
        }
        PastedRace race;
        race.firstLine = l + 1;
        race.name = columns.name >= 0 ? cells[columns.name] : QString();
        PastedResult& result = race.result;
        result.date = date;
        result.course = course;
        result.raceNumber = *number;
        const std::optional<int> first = horseCell(cells[columns.first]);
        const std::optional<int> second = horseCell(cells[columns.second]);
        const QString& payoutText = cells[columns.payout];
        const std::optional<std::int64_t> payout =
            payoutText.isEmpty() ? std::optional<std::int64_t>(0) : payoutCell(payoutText);
        if (!first)
            result.error = QStringLiteral("一着「%1」が馬番として読めません。").arg(cells[columns.first]);
        else if (!second)
            result.error = QStringLiteral("二着「%1」が馬番として読めません。").arg(cells[columns.second]);
        else if (*first == *second)
            result.error = QStringLiteral("一着と二着が同じ馬番%1です。").arg(*first);
        else if (!payout)
            result.error = QStringLiteral("馬連配当「%1」が金額として読めません。").arg(payoutText);
        if (!result.error.isEmpty()) {
            day.races.push_back(std::move(race));
            continue;
        }
        // A second row of a race already read is its dead heat: the other pair and its payout.
        const auto earlier = std::find_if(day.races.begin(), day.races.end(), [&](const PastedRace& other) {
            return other.result.ok && sameRace(other.result, result);
        });
        PastedResult& into = earlier != day.races.end() ? earlier->result : result;
        addUnique(into.firsts, *first);
        addUnique(into.seconds, *second);
        if (!payoutText.isEmpty())
            into.quinella.push_back({std::min(*first, *second), std::max(*first, *second), *payout});
        into.ok = true;
        if (earlier == day.races.end())
            day.races.push_back(std::move(race));
    }
    return day;
}

// ---- result pages ----

// A line that goes with the race heading below it: its date or its meeting, or nothing.
bool isHeadingLine(const QString& line)
{
    static const QRegularExpression heading(
        QStringLiteral("\\d{4}\\s*年\\s*\\d{1,2}\\s*月\\s*\\d{1,2}\\s*日|(?<!\\d)\\d{4}/\\d{1,2}/\\d{1,2}(?!\\d)|"
                       "\\d+\\s*回\\s*\\S+?\\s*\\d+\\s*日|競馬場"));
    const QString trimmed = line.trimmed();
    return trimmed.isEmpty() || (trimmed.size() <= 60 && heading.match(trimmed).hasMatch());
}

// The race's name on its heading line: what follows the race number, without brackets and words of the page.
QString nameOnHeading(const QString& line, const QRegularExpressionMatch& number)
{
    QString name = line.mid(number.capturedEnd()).section(u'\t', 0, 0);
    static const QRegularExpression edges(QStringLiteral("^[\\s\\]】)）:：・\\-]+|[\\s\\[【(（]+$"));
    name.remove(edges);
    static const QRegularExpression pageWords(QStringLiteral("^(?:レース)?(?:結果|払戻金?|成績)$"));
    if (pageWords.match(name).hasMatch() || name.size() < 2)
        return {};
    return name.trimmed();
}

bool meantAsResult(const QString& text)
{
    return text.contains(u'着') || text.contains(QStringLiteral("払戻")) || text.contains(QStringLiteral("馬連"))
           || text.contains(QStringLiteral("中止"));
}

PastedDay readPages(const QStringList& lines)
{
    struct Heading {
        int line;
        int number;
        QString name;
    };
    std::vector<Heading> headings;
    for (int l = 0; l < static_cast<int>(lines.size()); ++l) {
        const QString& line = lines[l];
        if (!line.contains(u'R') && !line.contains(QStringLiteral("レース")) && !line.contains(QStringLiteral("競走")))
            continue;
        QRegularExpressionMatchIterator it = raceNumberForm().globalMatch(line);
        if (!it.hasNext())
            continue;
        const QRegularExpressionMatch match = it.next();
        if (it.hasNext())
            continue; // several numbers on a line: the page's navigation
        if (numberOf(match) >= 1 && numberOf(match) <= mostRaces)
            headings.push_back({l, numberOf(match), nameOnHeading(lines[l], match)});
    }
    // Each race begins at its heading, or at the date and meeting lines right above it.
    std::vector<int> begins;
    for (std::size_t k = 0; k < headings.size(); ++k) {
        const int floor = k == 0 ? 0 : headings[k - 1].line + 1;
        int begin = headings[k].line;
        while (begin - 1 >= floor && isHeadingLine(lines[begin - 1]))
            --begin;
        begins.push_back(begin);
    }
    begins.push_back(static_cast<int>(lines.size()));

    PastedDay day;
    QDate lastDate;
    QString lastCourse;
    auto carry = [&](PastedResult& result) {
        if (result.date.isValid())
            lastDate = result.date;
        else
            result.date = lastDate;
        if (!result.course.isEmpty())
            lastCourse = result.course;
        else
            result.course = lastCourse;
    };
    auto textOf = [&](int from, int to) { return lines.mid(from, to - from).join(u'\n'); };

    // Before the first heading: a single page with no heading is a race of its own; else only its date and course
    // count.
    const int firstBegin = begins.front();
    if (firstBegin > 0) {
        PastedRace race;
        race.result = parsePastedResult(textOf(0, firstBegin));
        race.firstLine = 1;
        carry(race.result);
        if (race.result.ok)
            day.races.push_back(std::move(race));
    }
    int from = -1; // the start of a heading whose text read nothing, joined to the next heading of its number
    for (std::size_t k = 0; k < headings.size(); ++k) {
        const int begin = from >= 0 ? from : begins[k];
        const QString text = textOf(begin, begins[k + 1]);
        PastedRace race;
        race.result = parsePastedResult(text);
        race.result.raceNumber = headings[k].number;
        race.firstLine = headings[k].line + 1;
        race.name = headings[k].name;
        if (!race.result.ok && k + 1 < headings.size() && headings[k + 1].number == headings[k].number) {
            from = begin;
            continue;
        }
        from = -1;
        for (std::size_t back = k; race.name.isEmpty() && back > 0 && headings[back - 1].number == headings[k].number;
             --back)
            race.name = headings[back - 1].name;
        carry(race.result);
        if (race.result.ok || meantAsResult(text))
            day.races.push_back(std::move(race));
    }
    return day;
}

} // namespace

PastedDay parsePastedDay(const QString& text)
{
    const QString plain = text.normalized(QString::NormalizationForm_KC);
    QStringList lines = plain.split(u'\n');
    for (QString& line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    PastedDay day = readSpreadsheet(lines);
    // Rows half read are a spreadsheet's only when some row of it was read whole.
    if (day.races.empty())
        day = readPages(lines);
    if (day.races.empty())
        day.error = QStringLiteral("貼り付けた文字から、レースの結果が読めませんでした。"
                                   "結果のページを続けてコピーしたもの、または日付・競馬場・レース番号・一着・二着・"
                                   "馬連配当の列のある表を貼り付けてください。");
    return day;
}

QString pastedRaceTitle(const PastedRace& race)
{
    QStringList parts;
    if (race.result.date.isValid())
        parts += writtenDate(race.result.date);
    if (!race.result.course.isEmpty())
        parts += race.result.course;
    if (race.result.raceNumber > 0)
        parts += QStringLiteral("%1R").arg(race.result.raceNumber);
    if (!race.name.isEmpty())
        parts += race.name;
    return parts.isEmpty() ? QStringLiteral("（%1行目から）").arg(race.firstLine) : parts.join(u' ');
}
