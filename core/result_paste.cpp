#include "core/result_paste.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <array>
#include <optional>

namespace {

// The highest horse number a race can have; anything above is not a horse.
constexpr int maxHorse = 28;

const QString courses =
    QStringLiteral("札幌|函館|福島|新潟|東京|中山|中京|京都|阪神|小倉|帯広|門別|盛岡|水沢|浦和|船橋|"
                   "大井|川崎|金沢|笠松|名古屋|園田|姫路|高知|佐賀");

std::optional<int> smallNumber(const QString& token, int lowest, int highest)
{
    bool ok = false;
    const int value = token.toInt(&ok);
    if (!ok || value < lowest || value > highest)
        return std::nullopt;
    return value;
}

bool isNameToken(const QString& token)
{
    return std::any_of(token.begin(), token.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x30A1 && u <= 0x30FA) || (c.isLetter() && u < 0x80);
    });
}

// A place as the finishing table prints it: 「1」, 「1着」, 「4(降)」, 「4降」, 「2(同)」.
std::optional<int> placeOf(const QString& token)
{
    static const QRegularExpression place(QStringLiteral("^(\\d{1,2})着?(?:\\(?[降同]\\)?)?$"));
    const QRegularExpressionMatch match = place.match(token);
    return match.hasMatch() ? smallNumber(match.captured(1), 1, maxHorse) : std::nullopt;
}

bool isWithdrawal(const QString& token)
{
    static const QStringList kinds{QStringLiteral("取消"), QStringLiteral("除外"), QStringLiteral("中止"),
                                   QStringLiteral("失格")};
    return std::any_of(kinds.begin(), kinds.end(), [&](const QString& kind) { return token.startsWith(kind); });
}

enum class Column { Place, Frame, Horse };

// The order of the numbers before the name, from a header row that names them (着順 枠番 馬番 馬名); the sites' order
// without one.
std::vector<Column> numberColumns(const QStringList& tokens)
{
    const qsizetype start = tokens.indexOf(QStringLiteral("着順"));
    if (start < 0)
        return {Column::Place, Column::Frame, Column::Horse};
    std::vector<Column> columns{Column::Place};
    for (qsizetype i = start + 1; i < tokens.size() && i < start + 6; ++i) {
        const QString& token = tokens[i];
        if (token.startsWith(u'馬') && token != QStringLiteral("馬番"))
            break; // 馬名: the numbers end here
        if (token == QStringLiteral("馬番"))
            columns.push_back(Column::Horse);
        else if (token.startsWith(u'枠'))
            columns.push_back(Column::Frame);
    }
    if (std::find(columns.begin(), columns.end(), Column::Horse) == columns.end())
        return {Column::Place, Column::Frame, Column::Horse};
    return columns;
}

// The finishing table's rows of places 1 and 2. A row is its numbers in the header's order followed by a name; a
// newspaper row is a place with 着 followed by the horse number, glued to the name or not.
void readFinishingTable(const QStringList& tokens, PastedResult& result)
{
    const std::vector<Column> columns = numberColumns(tokens);
    const auto columnCount = static_cast<qsizetype>(columns.size());
    int lastPlace = 0;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const bool withdrawn = isWithdrawal(tokens[i]);
        const std::optional<int> place = withdrawn ? std::optional<int>(0) : placeOf(tokens[i]);
        if (!place)
            continue;
        int horse = 0;
        bool row = i + columnCount < tokens.size() && isNameToken(tokens[i + columnCount]);
        for (qsizetype c = 1; row && c < columnCount; ++c) {
            const QString& cell = tokens[i + c];
            const auto column = columns[static_cast<std::size_t>(c)];
            const std::optional<int> number = smallNumber(cell, 1, column == Column::Frame ? 8 : maxHorse);
            row = number.has_value();
            if (row && column == Column::Horse)
                horse = *number;
        }
        if (!row && tokens[i].endsWith(u'着') && i + 1 < tokens.size()) {
            static const QRegularExpression glued(QStringLiteral("^(\\d{1,2})(?=\\D)"));
            const QRegularExpressionMatch match = glued.match(tokens[i + 1]);
            const std::optional<int> separate = smallNumber(tokens[i + 1], 1, maxHorse);
            if (match.hasMatch() && isNameToken(tokens[i + 1]))
                horse = smallNumber(match.captured(1), 1, maxHorse).value_or(0);
            else if (separate && i + 2 < tokens.size() && isNameToken(tokens[i + 2]))
                horse = *separate;
            row = horse != 0;
        }
        if (!row)
            continue;
        if (withdrawn)
            continue; // a runner that did not finish holds no place
        // A second table (the page copied twice, or a past race further down) starts again from 1: the first is read.
        if (*place < lastPlace)
            break;
        lastPlace = *place;
        if (*place == 1)
            result.firsts.push_back(horse);
        else if (*place == 2)
            result.seconds.push_back(horse);
        i += columnCount - 1;
    }
}

bool isBetType(const QString& token)
{
    static const QStringList kinds{QStringLiteral("単勝"),   QStringLiteral("複勝"),  QStringLiteral("枠連"),
                                   QStringLiteral("ワイド"), QStringLiteral("馬単"),  QStringLiteral("3連複"),
                                   QStringLiteral("三連複"), QStringLiteral("3連単"), QStringLiteral("三連単"),
                                   QStringLiteral("WIN5"),   QStringLiteral("払戻金")};
    return std::any_of(kinds.begin(), kinds.end(), [&](const QString& kind) { return token.startsWith(kind); });
}

// The 馬連 line of the payout table: its pairs and amounts in order, one amount a pair.
QString readQuinella(const QStringList& tokens, PastedResult& result)
{
    const qsizetype start = tokens.indexOf(QStringLiteral("馬連"));
    if (start < 0)
        return {};
    QStringList segment;
    for (qsizetype i = start + 1; i < tokens.size() && !isBetType(tokens[i]) && tokens[i] != QStringLiteral("馬連");
         ++i)
        segment += tokens[i];
    QString text = segment.join(u' ');
    static const QRegularExpression pair(QStringLiteral("(\\d{1,2})\\s*[-−‐―~〜]\\s*(\\d{1,2})(?!\\d)"));
    static const QRegularExpression popularity(QStringLiteral("\\d+\\s*番?\\s*人気"));
    static const QRegularExpression amount(QStringLiteral("(\\d{1,3}(?:,\\d{3})+|\\d+)\\s*円?"));
    std::vector<std::array<int, 2>> pairs;
    for (const QRegularExpressionMatch& match : pair.globalMatch(text)) {
        const auto low = smallNumber(match.captured(1), 1, maxHorse);
        const auto high = smallNumber(match.captured(2), 1, maxHorse);
        if (!low || !high || *low == *high)
            return QStringLiteral("馬連の組「%1」は馬番の組として読めません。").arg(match.captured(0));
        pairs.push_back({std::min(*low, *high), std::max(*low, *high)});
    }
    text.replace(pair, QStringLiteral(" "));
    text.replace(popularity, QStringLiteral(" "));
    std::vector<std::int64_t> amounts;
    for (const QRegularExpressionMatch& match : amount.globalMatch(text)) {
        bool ok = false;
        const qint64 yen = QString(match.captured(1)).remove(u',').toLongLong(&ok);
        if (ok && yen >= 100)
            amounts.push_back(yen);
    }
    if (pairs.empty())
        return {};
    if (pairs.size() != amounts.size())
        return QStringLiteral("馬連の払戻金で、組（%1）と金額（%2）の数が合いません。")
            .arg(pairs.size())
            .arg(amounts.size());
    for (std::size_t i = 0; i < pairs.size(); ++i)
        result.quinella.push_back({pairs[i][0], pairs[i][1], amounts[i]});
    return {};
}

void readRace(const QString& text, PastedResult& result)
{
    static const QRegularExpression kanjiDate(QStringLiteral("(\\d{4})\\s*年\\s*(\\d{1,2})\\s*月\\s*(\\d{1,2})\\s*日"));
    static const QRegularExpression slashDate(QStringLiteral("(?<!\\d)(\\d{4})/(\\d{1,2})/(\\d{1,2})(?!\\d)"));
    for (const QRegularExpression* form : {&kanjiDate, &slashDate}) {
        const QRegularExpressionMatch match = form->match(text);
        if (match.hasMatch()) {
            result.date = QDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
            break;
        }
    }
    static const QRegularExpression meeting(QStringLiteral("\\d+\\s*回\\s*(%1)\\s*\\d+\\s*日").arg(courses));
    static const QRegularExpression track(QStringLiteral("(%1)\\s*(?:競馬場|\\d{1,2}\\s*R(?![A-Za-z]))").arg(courses));
    for (const QRegularExpression* form : {&meeting, &track}) {
        const QRegularExpressionMatch match = form->match(text);
        if (match.hasMatch()) {
            result.course = match.captured(1);
            break;
        }
    }
    static const QRegularExpression number(
        QStringLiteral("(?<![A-Za-z\\d.])(\\d{1,2})\\s*(?:R(?![A-Za-z\\d])|レース)|第\\s*(\\d{1,2})\\s*競走"));
    const QRegularExpressionMatch match = number.match(text);
    if (match.hasMatch())
        result.raceNumber = (match.captured(1).isEmpty() ? match.captured(2) : match.captured(1)).toInt();
}

} // namespace

PastedResult parsePastedResult(const QString& text)
{
    PastedResult result;
    // Full-width digits, letters and brackets, circled numbers and the ideographic blank read as their plain forms.
    const QString plain = text.normalized(QString::NormalizationForm_KC);
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList tokens = plain.split(blanks, Qt::SkipEmptyParts);
    readFinishingTable(tokens, result);
    const QString problem = readQuinella(tokens, result);
    // The race is named even when its result is refused, so that a list of races can say which one it was.
    readRace(plain, result);
    if (!problem.isEmpty()) {
        result.error = problem;
        return result;
    }
    if (result.firsts.empty() && result.quinella.empty()) {
        result.error = QStringLiteral("貼り付けた文字から、着順表も馬連の払戻金も読めませんでした。"
                                      "結果のページの着順表か払戻金の表をコピーしてから貼り付けてください。");
        return result;
    }
    if (!result.firsts.empty() && result.firsts.size() < 2 && result.seconds.empty() && result.quinella.empty()) {
        result.error = QStringLiteral("着順表に二着の馬が見つかりません。");
        return result;
    }
    result.ok = true;
    return result;
}

QString courseNamedIn(const QString& text)
{
    static const QRegularExpression course(courses);
    return course.match(text).captured(0);
}

std::vector<ResultChoice> resultChoices(const PastedResult& result)
{
    std::vector<ResultChoice> choices;
    auto add = [&](int first, int second) {
        ResultChoice choice{first, second, 0, false};
        for (const QuinellaPayout& paid : result.quinella)
            if (paid.low == std::min(first, second) && paid.high == std::max(first, second)) {
                choice.payout = paid.yen;
                choice.payoutKnown = true;
            }
        choices.push_back(choice);
    };
    if (result.firsts.size() >= 2) {
        // A dead heat for first: the quinella is any two of them.
        for (std::size_t a = 0; a < result.firsts.size(); ++a)
            for (std::size_t b = a + 1; b < result.firsts.size(); ++b)
                add(result.firsts[a], result.firsts[b]);
    } else if (result.firsts.size() == 1 && !result.seconds.empty()) {
        for (int second : result.seconds)
            add(result.firsts.front(), second);
    } else {
        // Payouts alone give no order, but for a winner the table named.
        const int winner = result.firsts.empty() ? 0 : result.firsts.front();
        for (const QuinellaPayout& paid : result.quinella)
            paid.high == winner ? add(paid.high, paid.low) : add(paid.low, paid.high);
    }
    return choices;
}
