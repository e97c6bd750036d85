#include "core/race_card_paste.h"

#include "core/pasted_table.h"
#include "core/race_date.h"
#include "prediction/mark_sheet.h"

#include <QRegularExpression>

#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace {

const QString courseNames = QStringLiteral("札幌|函館|福島|新潟|東京|中山|中京|京都|阪神|小倉|帯広|門別|盛岡|水沢|"
                                           "浦和|船橋|大井|川崎|金沢|笠松|名古屋|園田|姫路|高知|佐賀");

// The races of a day are numbered 1 to 12; a distance outside these metres is no race's.
constexpr int lastRaceNumber = 12;
constexpr int shortestRace = 800;
constexpr int longestRace = 4300;
// Above this a number before 人気 is no popularity.
constexpr int highestHorse = 28;

// The values of one kind found on the heading's lines. A line naming two different values of the kind is a list of
// them (the day's races, the meeting's days) and says nothing of this race.
class Found {
public:
    void addLine(QStringList values, const QString& shown = {})
    {
        values.removeDuplicates();
        if (values.size() != 1)
            return;
        if (!values_.contains(values.front())) {
            values_ += values.front();
            shown_ += shown.isEmpty() ? values.front() : shown;
        }
    }
    bool empty() const { return values_.isEmpty(); }
    bool one() const { return values_.size() == 1; }
    const QString& value() const { return values_.front(); }
    // 「2400m」と「1600m」
    QString both() const
    {
        QStringList quoted;
        for (const QString& v : shown_)
            quoted += QStringLiteral("「%1」").arg(v);
        return quoted.join(u'と');
    }

private:
    QStringList values_;
    QStringList shown_;
};

QString twoWays(const QString& what, const Found& found)
{
    return QStringLiteral("%1が%2の二通りあるため読みませんでした。").arg(what, found.both());
}

// Everything of the heading a line names, matched on the folded text.
const QRegularExpression& fullDatePattern()
{
    static const QRegularExpression pattern(QStringLiteral(
        "(?<![\\d])(?:(?:令和|平成|昭和)\\s*(?:\\d{1,2}|元)|\\d{4}|\\d{2})\\s*年\\s*\\d{1,2}\\s*月\\s*\\d{1,2}\\s*日"
        "(?:\\s*\\([月火水木金土日](?:曜日?)?\\))?"
        "|(?<![\\d/.])\\d{4}\\s*[/.-]\\s*\\d{1,2}\\s*[/.-]\\s*\\d{1,2}(?![\\d/"
        ".])(?:\\s*\\([月火水木金土日](?:曜日?)?\\))?"));
    return pattern;
}
const QRegularExpression& monthDayPattern()
{
    // Month and day with a slash only before the day of the week: 1/2 alone is a margin, not a day.
    static const QRegularExpression pattern(
        QStringLiteral("(?<![\\d年/])\\d{1,2}\\s*月\\s*\\d{1,2}\\s*日(?:\\s*\\([月火水木金土日](?:曜日?)?\\))?"
                       "|(?<![\\d/.:])\\d{1,2}/\\d{1,2}\\s*\\([月火水木金土日](?:曜日?)?\\)"));
    return pattern;
}
const QRegularExpression& raceNumberPattern()
{
    static const QRegularExpression pattern(QStringLiteral(
        "(?<![A-Za-z\\d.:/])(\\d{1,2})\\s*(?:R(?![A-Za-z\\d])|レース(?!名))|第\\s*(\\d{1,2})\\s*(?:競走|レース)"));
    return pattern;
}
const QRegularExpression& coursePattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("\\d+\\s*回\\s*(%1)\\s*\\d+\\s*日|(%1)\\s*(?:競馬場|\\d{1,2}\\s*R(?![A-Za-z]))")
            .arg(courseNames));
    return pattern;
}
const QRegularExpression& courseCellPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^(?:%1)$").arg(courseNames));
    return pattern;
}
// 芝2400m, ダ1,200m, 障害3000m, 芝・右 外1800m; and 2,400メートル（芝・左）.
const QRegularExpression& surfaceDistancePattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("(障害\\s*[・･]?\\s*(?:芝|ダート|ダ)?(?:\\s*→\\s*(?:芝|ダート|ダ))?|芝|ダート|ダ|障)\\s*[・･/"
                       "]?\\s*(?:(?:右|左|外|内|直線|直|外-内|内-外|内2周|外2周)\\s*[・･]?\\s*)*"
                       "(\\d,\\d{3}|\\d{3,4})\\s*(?:m|M|メートル|米)(?![A-Za-z])"
                       "|(?<![\\d,.])(\\d,\\d{3}|\\d{3,4})\\s*(?:m|M|メートル)\\s*\\(\\s*(芝|ダート|ダ|障害)"));
    return pattern;
}
const QRegularExpression& distancePattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("(?<![\\d,.])(\\d,\\d{3}|\\d{3,4})\\s*(?:m|M|メートル)(?![A-Za-z])"));
    return pattern;
}
const QRegularExpression& gradePattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("(?<![A-Za-z])(J\\s*[・･.]?\\s*)?(G|Jpn|JPN)\\s*(III|II|I|Ⅲ|Ⅱ|Ⅰ|3|2|1)(?![A-Za-z\\d])"));
    return pattern;
}
const QRegularExpression& ungradedPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("新馬|未勝利|[123]勝クラス|(?:500|1000|1600)万円?下|オープン|\\(L\\)|\\(OP\\)|リステッド"));
    return pattern;
}
const QRegularExpression& countPattern()
{
    static const QRegularExpression pattern(QStringLiteral("(?<!\\d)(\\d{1,2})\\s*頭(?:立て?)?"));
    return pattern;
}

QString gradeText(const QRegularExpressionMatch& match)
{
    const QString level = match.captured(3);
    int n = 1;
    if (level == u"II" || level == u"Ⅱ" || level == u"2")
        n = 2;
    else if (level == u"III" || level == u"Ⅲ" || level == u"3")
        n = 3;
    static const char16_t* const numerals[] = {u"Ⅰ", u"Ⅱ", u"Ⅲ"};
    const bool jpn = match.captured(2) != u"G";
    return (jpn ? QStringLiteral("Ｊｐｎ") : QStringLiteral("Ｇ")) + QString::fromUtf16(numerals[n - 1]);
}

int metresOf(const QString& digits) { return QString(digits).remove(u',').toInt(); }

// The text with every match of the pattern blanked out.
QString without(QString text, const QRegularExpression& pattern) { return text.replace(pattern, QStringLiteral("\t")); }

// What is left of a heading line for a race's name: everything else it names taken out, cut at tabs and slashes;
// the first piece that holds a word.
QString nameLeftIn(QString line)
{
    static const QRegularExpression bracketedGrade(
        QStringLiteral("[(\\[]\\s*(?:J\\s*[・･.]?\\s*)?(?:G|Jpn|JPN)\\s*(?:III|II|I|Ⅲ|Ⅱ|Ⅰ|3|2|1)\\s*[)\\]]|"
                       "[(\\[]\\s*(?:L|OP|リステッド)\\s*[)\\]]"));
    static const QRegularExpression time(QStringLiteral("\\d{1,2}\\s*[:時]\\s*\\d{2}\\s*分?\\s*(?:発走)?|発走"));
    static const QRegularExpression meeting(QStringLiteral("\\d+\\s*回\\s*(?:%1)\\s*\\d+\\s*日目?").arg(courseNames));
    static const QRegularExpression place(
        QStringLiteral("(?:%1)\\s*(?:競馬場)?\\s*(?=\\t|$|\\s)|^\\s*(?:%1)(?=\\s*\\d)").arg(courseNames));
    static const QRegularExpression pieces(QStringLiteral("\\t|\\s/\\s|\\s{2,}|/"));
    static const QRegularExpression word(QStringLiteral("[\\p{L}]"));
    static const QRegularExpression edge(QStringLiteral("^[\\s【「『〔\\[:：-]+|[\\s】」』〕\\]:：-]+$"));
    for (const QRegularExpression* drop :
         {&bracketedGrade, &fullDatePattern(), &monthDayPattern(), &time, &meeting, &raceNumberPattern(),
          &surfaceDistancePattern(), &distancePattern(), &countPattern(), &gradePattern()})
        line = without(line, *drop);
    line = without(line, place);
    for (QString piece : line.split(pieces, Qt::SkipEmptyParts)) {
        piece.remove(edge);
        piece = piece.trimmed();
        if (piece.size() >= 2 && piece.contains(word) && columnRoleOf(piece) == ColumnRole::None)
            return piece;
    }
    return {};
}

struct OddsAndPopularity {
    double odds = 0;
    int popularity = 0;
};

std::optional<double> oddsOf(const QString& cell)
{
    static const QRegularExpression odds(QStringLiteral("^(\\d{1,4}\\.\\d)\\s*倍?$"));
    const QRegularExpressionMatch match = odds.match(cell);
    if (!match.hasMatch())
        return std::nullopt;
    const double value = match.captured(1).toDouble();
    return value >= 1.0 ? std::optional<double>(value) : std::nullopt;
}

std::optional<int> popularityOf(const QString& cell, bool bare)
{
    static const QRegularExpression labelled(QStringLiteral("^\\(?(\\d{1,2})\\s*番?\\s*人気\\)?$"));
    static const QRegularExpression plain(QStringLiteral("^\\(?(\\d{1,2})\\)?$"));
    const QRegularExpressionMatch match = (bare ? plain : labelled).match(cell);
    if (!match.hasMatch())
        return std::nullopt;
    const int value = match.captured(1).toInt();
    return value >= 1 && value <= highestHorse ? std::optional<int>(value) : std::nullopt;
}

OddsAndPopularity oddsOfRow(const RunnerRow& row, const RunnerTable& table)
{
    OddsAndPopularity read;
    const qsizetype nameColumn = [&table] {
        for (qsizetype c = 0; c < table.header.size(); ++c)
            if (columnRoleOf(table.header[c]) == ColumnRole::Name)
                return c;
        return qsizetype(-1);
    }();
    if (table.headerTabbed && nameColumn >= 0 && nameColumn == row.nameCell) {
        // The header says which column is which.
        for (qsizetype i = 0; i < row.after.size() && nameColumn + 1 + i < table.header.size(); ++i) {
            const QString label = table.header[nameColumn + 1 + i].trimmed();
            if (label == u"単勝" || label == u"オッズ" || label == u"単勝オッズ")
                read.odds = oddsOf(row.after[i]).value_or(0);
            else if (label == u"人気")
                read.popularity = popularityOf(row.after[i], true).value_or(0);
        }
        return read;
    }
    QStringList cells;
    for (const QString& cell : row.after)
        if (!cell.isEmpty())
            cells += cell;
    // Labelled anywhere: 3.5倍, 1番人気.
    for (const QString& cell : cells) {
        if (cell.endsWith(u'倍'))
            read.odds = oddsOf(cell).value_or(read.odds);
        read.popularity = popularityOf(cell, false).value_or(read.popularity);
    }
    if (read.odds != 0 || read.popularity != 0)
        return read;
    // Bare: the row ends in the odds and the popularity (the weight, also a number with a decimal, never ends it).
    if (cells.size() >= 2) {
        const std::optional<int> popularity = popularityOf(cells.back(), true);
        const std::optional<double> odds = oddsOf(cells[cells.size() - 2]);
        if (popularity && odds)
            return {*odds, *popularity};
    }
    return read;
}

QString withdrawalOfRow(const RunnerRow& row)
{
    if (!row.withdrawal.isEmpty())
        return row.withdrawal;
    for (const QString& cell : row.after)
        if (const QString word = withdrawalOf(cell); !word.isEmpty())
            return word;
    return {};
}

void readRunners(const RunnerTable& table, PastedRaceCard& card)
{
    // The last name, when the paste ends in it although the rows go on after their names, was cut by the copy.
    const auto& rows = table.rows;
    int cut = 0;
    if (!rows.empty() && rows.back().endsPaste
        && (table.hasColumnsAfterName
            || std::any_of(rows.begin(), rows.end() - 1, [](const RunnerRow& row) { return row.moreAfterName; })))
        cut = rows.back().number;
    std::map<int, std::vector<const RunnerRow*>> byNumber;
    for (std::size_t i = 0; i + (cut != 0 ? 1 : 0) < rows.size(); ++i)
        byNumber[rows[i].number].push_back(&rows[i]);
    for (const auto& [number, named] : byNumber) {
        QStringList names;
        for (const RunnerRow* row : named)
            if (!names.contains(row->name))
                names += row->name;
        if (names.size() > 1) {
            card.twoNames.push_back(number);
            continue;
        }
        if (number == cut)
            continue;
        const RunnerRow& row = *named.front();
        const OddsAndPopularity odds = oddsOfRow(row, table);
        card.runners.push_back({number, row.name, withdrawalOfRow(row), odds.odds, odds.popularity});
    }
    card.cutNumber = cut;
}

void setAnswer(PastedRaceCard& card, CardItem item, const QString& text)
{
    CardAnswer& answer = card.answers[static_cast<std::size_t>(item)];
    answer.read = true;
    answer.text = text;
}

void setWhy(PastedRaceCard& card, CardItem item, const QString& why)
{
    card.answers[static_cast<std::size_t>(item)].why = why;
}

} // namespace

QString cardItemName(CardItem item)
{
    switch (item) {
    case CardItem::Date: return QStringLiteral("日付");
    case CardItem::RaceNumber: return QStringLiteral("レース番号");
    case CardItem::RaceName: return QStringLiteral("レース名");
    case CardItem::Grade: return QStringLiteral("重賞");
    case CardItem::Course: return QStringLiteral("競馬場");
    case CardItem::Distance: return QStringLiteral("距離");
    case CardItem::Runners: return QStringLiteral("頭数");
    }
    return {};
}

QStringList PastedRaceCard::unreadItems() const
{
    QStringList items;
    for (int i = 0; i < cardItemCount; ++i)
        if (!answers[static_cast<std::size_t>(i)].read)
            items += cardItemName(static_cast<CardItem>(i));
    return items;
}

QString oddsText(double odds) { return odds > 0 ? QString::number(odds, 'f', 1) : QString(); }

PastedRaceCard parsePastedRaceCard(const QString& text, int currentYear)
{
    PastedRaceCard card;
    if (currentYear == 0)
        currentYear = raceDateCurrentYear();
    const QString folded = foldPastedText(text);
    const RunnerTable table = readRunnerTable(folded);
    readRunners(table, card);

    std::set<int> runnerLines;
    for (const RunnerRow& row : table.rows)
        runnerLines.insert(row.line);

    Found fullDates;
    Found monthDays;
    Found raceNumbers;
    Found courses;
    Found distances;
    Found surfaces;
    Found grades;
    Found counts;
    bool ungraded = false;
    QString labelledName;
    QString numberLineName;
    QString gradeLineName;
    bool nameFromNextLine = false;
    QString dateWhy;

    const std::vector<PastedLine> lines = pastedLines(folded);
    int headingLines = 0;
    for (std::size_t l = 0; l < lines.size(); ++l) {
        const PastedLine& line = lines[l];
        if (line.cells.isEmpty() || runnerLines.contains(line.number))
            continue;
        ++headingLines;
        const QString& t = line.text;
        const auto all = [&t](const QRegularExpression& pattern, auto valueOf) {
            QStringList values;
            for (const QRegularExpressionMatch& match : pattern.globalMatch(t))
                if (const QString v = valueOf(match); !v.isEmpty())
                    values += v;
            return values;
        };

        // Dates: with the year first, then month and day alone in what is left.
        QStringList full;
        QStringList shownFull;
        for (const QRegularExpressionMatch& match : fullDatePattern().globalMatch(t)) {
            const RaceDateRead read = readRaceDate(match.captured(0), 0, currentYear);
            if (read.reading == RaceDateReading::Date) {
                full += read.date.toString(Qt::ISODate);
                shownFull += match.captured(0).trimmed();
            } else if (dateWhy.isEmpty()) {
                dateWhy = QStringLiteral("「%1」は日付として読めないため読みませんでした。").arg(match.captured(0));
            }
        }
        fullDates.addLine(full, shownFull.value(0));
        QStringList days;
        for (const QRegularExpressionMatch& match : monthDayPattern().globalMatch(without(t, fullDatePattern()))) {
            const RaceDateRead read = readRaceDate(match.captured(0), currentYear, currentYear);
            if (read.reading == RaceDateReading::Date)
                days += read.date.toString(Qt::ISODate);
        }
        monthDays.addLine(days);

        QStringList numbers = all(raceNumberPattern(), [](const QRegularExpressionMatch& m) {
            const int n = (m.captured(1).isEmpty() ? m.captured(2) : m.captured(1)).toInt();
            return n >= 1 && n <= lastRaceNumber ? QString::number(n) : QString();
        });
        // A spreadsheet's key and value: 「レース」「11」, 「頭数」「18」, 「距離」「2400」.
        QStringList labelledCounts;
        QStringList labelledMetres;
        for (qsizetype c = 0; c + 1 < line.cells.size(); ++c) {
            static const QRegularExpression number(QStringLiteral("^(\\d{1,4})\\s*(?:R|m|頭)?$"));
            const QString key = line.cells[c].trimmed();
            const QRegularExpressionMatch value = number.match(line.cells[c + 1].trimmed());
            if (!value.hasMatch())
                continue;
            const int n = value.captured(1).toInt();
            if ((key == u"レース" || key == u"R" || key == u"レース番号" || key == u"競走番号") && n >= 1
                && n <= lastRaceNumber)
                numbers += QString::number(n);
            else if (key == u"頭数" || key == u"出走頭数")
                labelledCounts += QString::number(n);
            else if (key == u"距離" && n >= shortestRace && n <= longestRace)
                labelledMetres += QString::number(n);
        }
        raceNumbers.addLine(numbers);

        QStringList named = all(coursePattern(), [](const QRegularExpressionMatch& m) {
            return m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
        });
        for (const QString& cell : line.cells)
            if (courseCellPattern().match(cell.trimmed()).hasMatch())
                named += cell.trimmed();
        courses.addLine(named);

        QStringList metres;
        QStringList tracks;
        for (const QRegularExpressionMatch& m : surfaceDistancePattern().globalMatch(t)) {
            const bool surfaceFirst = !m.captured(1).isEmpty();
            const int d = metresOf(m.captured(surfaceFirst ? 2 : 3));
            if (d < shortestRace || d > longestRace)
                continue;
            metres += QString::number(d);
            const QString word = m.captured(surfaceFirst ? 1 : 4);
            const std::optional<RaceSurface> s = word.startsWith(u'障') ? RaceSurface::Jump : surfaceOfWord(word);
            // A jump race prints its track too (障害・芝 3000m): 障害 on the line decides.
            tracks += surfaceText(t.contains(QStringLiteral("障害")) ? RaceSurface::Jump : *s);
        }
        if (metres.isEmpty()) {
            for (const QRegularExpressionMatch& m : distancePattern().globalMatch(t)) {
                const int d = metresOf(m.captured(1));
                if (d >= shortestRace && d <= longestRace)
                    metres += QString::number(d);
            }
        }
        distances.addLine(metres + labelledMetres);
        surfaces.addLine(tracks);

        grades.addLine(all(gradePattern(), [](const QRegularExpressionMatch& m) { return gradeText(m); }));
        ungraded = ungraded || ungradedPattern().match(t).hasMatch();
        counts.addLine(all(countPattern(), [](const QRegularExpressionMatch& m) { return m.captured(1); })
                       + labelledCounts);

        // The race's name: after a label, beside the race number (or under it), or before a class mark.
        for (qsizetype c = 0; c < line.cells.size() && labelledName.isEmpty(); ++c) {
            const QString cell = line.cells[c].trimmed();
            if (cell != u"レース名" && cell != u"競走名")
                continue;
            if (c + 1 < line.cells.size())
                labelledName = nameLeftIn(line.cells.mid(c + 1).join(u'\t'));
            else if (l + 1 < lines.size())
                labelledName = nameLeftIn(lines[l + 1].text);
        }
        if (numbers.size() == 1 && numberLineName.isEmpty() && !nameFromNextLine) {
            numberLineName = nameLeftIn(t);
            nameFromNextLine = numberLineName.isEmpty();
        } else if (nameFromNextLine && numberLineName.isEmpty()) {
            // The line under a race number standing alone (11R, then 東京優駿(GⅠ)): its name if it is only that.
            numberLineName = nameLeftIn(t);
            nameFromNextLine = false;
        }
        if (gradeLineName.isEmpty() && gradePattern().match(t).hasMatch())
            gradeLineName = nameLeftIn(t);
    }
    card.passedLines = table.passedLines;

    // Date.
    const Found& dates = fullDates.empty() ? monthDays : fullDates;
    if (dates.one()) {
        card.date = QDate::fromString(dates.value(), Qt::ISODate);
        setAnswer(card, CardItem::Date, card.date.toString(QStringLiteral("yyyy/MM/dd")));
    } else if (!dates.empty()) {
        setWhy(card, CardItem::Date, twoWays(QStringLiteral("日付"), dates));
    } else {
        setWhy(card, CardItem::Date, dateWhy);
    }
    // Race number.
    if (raceNumbers.one())
        setAnswer(card, CardItem::RaceNumber, raceNumbers.value());
    else if (!raceNumbers.empty())
        setWhy(card, CardItem::RaceNumber, twoWays(QStringLiteral("レース番号"), raceNumbers));
    // Race name.
    const QString name = !labelledName.isEmpty()     ? labelledName
                         : !numberLineName.isEmpty() ? numberLineName
                                                     : gradeLineName;
    if (!name.isEmpty())
        setAnswer(card, CardItem::RaceName, name);
    // Class: a grade, or a class that is none.
    if (grades.one())
        setAnswer(card, CardItem::Grade, grades.value());
    else if (!grades.empty())
        setWhy(card, CardItem::Grade, twoWays(QStringLiteral("重賞の格"), grades));
    else if (ungraded)
        setAnswer(card, CardItem::Grade, QString());
    // Course.
    if (courses.one())
        setAnswer(card, CardItem::Course, courses.value() + QStringLiteral("競馬場"));
    else if (!courses.empty())
        setWhy(card, CardItem::Course, twoWays(QStringLiteral("競馬場"), courses));
    // Distance and surface.
    if (distances.one()) {
        setAnswer(card, CardItem::Distance, distances.value() + u'm');
        if (surfaces.one())
            card.surface = surfaceOfWord(surfaces.value()).value_or(RaceSurface::Unknown);
    } else if (!distances.empty()) {
        setWhy(card, CardItem::Distance, twoWays(QStringLiteral("距離"), distances));
    }
    // Runner count: as printed, else the table's highest number; never fewer than the table numbers.
    int highest = 0;
    for (const RunnerRow& row : table.rows)
        highest = std::max(highest, row.number);
    int count = highest;
    QString countWhy;
    if (counts.one()) {
        const int printed = counts.value().toInt();
        if (printed < highest)
            countWhy = QStringLiteral("「%1頭」とありますが、出馬表には%2番の馬までいるため読みませんでした。")
                           .arg(printed)
                           .arg(highest);
        count = printed;
    } else if (!counts.empty()) {
        countWhy = twoWays(QStringLiteral("頭数"), counts);
    }
    if (countWhy.isEmpty() && count > maxRunners)
        countWhy = QStringLiteral("%1頭は多すぎます（%2頭まで）。").arg(count).arg(maxRunners);
    if (!countWhy.isEmpty())
        setWhy(card, CardItem::Runners, countWhy);
    else if (count > 0)
        setAnswer(card, CardItem::Runners, QString::number(count));
    if (card.answer(CardItem::Runners).read) {
        std::set<int> named;
        for (const CardRunner& r : card.runners)
            named.insert(r.number);
        for (int n = 1; n <= count; ++n)
            if (!named.contains(n) && n != card.cutNumber
                && std::find(card.twoNames.begin(), card.twoNames.end(), n) == card.twoNames.end())
                card.missing.push_back(n);
    }

    const bool anything =
        std::any_of(card.answers.begin(), card.answers.end(), [](const CardAnswer& a) { return a.read; });
    if (!anything && card.runners.empty()) {
        card.error =
            headingLines == 0 && table.rows.empty()
                ? QStringLiteral("貼り付ける文字がありません。出馬表のページをコピーしてから貼り付けてください。")
                : QStringLiteral("貼り付けた文字から、出馬表のレースも出走馬も読めませんでした。"
                                 "出馬表のページ（レース名と馬番・馬名の表）をコピーしてから貼り付けて"
                                 "ください。");
        return card;
    }
    card.ok = true;
    return card;
}
