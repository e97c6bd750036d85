#include "core/race_date.h"

#include <QRegularExpression>

#include <atomic>

namespace {
struct Era {
    QString name;
    QChar letter;
    QDate first;
    QDate last; // invalid for the present era
};

const Era* eraOf(const QString& mark)
{
    static const Era eras[] = {
        {QStringLiteral("令和"), u'R', QDate(2019, 5, 1), QDate()},
        {QStringLiteral("平成"), u'H', QDate(1989, 1, 8), QDate(2019, 4, 30)},
        {QStringLiteral("昭和"), u'S', QDate(1926, 12, 25), QDate(1989, 1, 7)},
    };
    for (const Era& era : eras) {
        if (mark == era.name || (mark.size() == 1 && mark.front().toUpper() == era.letter))
            return &era;
    }
    return nullptr;
}

// Full-width digits, letters, brackets and separators as their half-width selves (NFKC also opens the one-character
// era names ㋿ and ㍻), every dash and the long-vowel mark as "-", blanks dropped.
QString plainForm(const QString& text)
{
    const QString compatible = text.normalized(QString::NormalizationForm_KC);
    QString plain;
    plain.reserve(compatible.size());
    for (const QChar c : compatible) {
        if (c.isSpace())
            continue;
        switch (c.unicode()) {
        case 0x2010:
        case 0x2011:
        case 0x2012:
        case 0x2013:
        case 0x2014:
        case 0x2015:
        case 0x2212:
        case 0x30FC: plain += u'-'; break;
        default: plain += c;
        }
    }
    return plain;
}

// The stored form, YY/MM/DD in plain digits, read without the general reader: the analysis reads every race's date.
bool readStoredForm(const QString& text, int currentYear, RaceDateRead& out)
{
    if (text.size() != 8 || text[2] != u'/' || text[5] != u'/')
        return false;
    int parts[3] = {};
    for (int part = 0; part < 3; ++part) {
        const QChar tens = text[part * 3];
        const QChar ones = text[part * 3 + 1];
        if (tens < u'0' || tens > u'9' || ones < u'0' || ones > u'9')
            return false;
        parts[part] = (tens.unicode() - u'0') * 10 + (ones.unicode() - u'0');
    }
    out.year = fullYearOfTwoDigits(parts[0], currentYear);
    out.month = parts[1];
    out.day = parts[2];
    out.date = QDate(out.year, out.month, out.day);
    out.reading = out.date.isValid() ? RaceDateReading::Date : RaceDateReading::NoSuchDay;
    return true;
}

QString westernDate(int year, int month, int day)
{
    return QStringLiteral("%1年%2月%3日").arg(year).arg(month).arg(day);
}

QString westernDate(const QDate& date) { return westernDate(date.year(), date.month(), date.day()); }

// The year a test set, 0 for none.
std::atomic<int> yearForTests{0};

constexpr int yearsAhead = 20;
} // namespace

TwoDigitYearWindow twoDigitYearWindow(int currentYear)
{
    return {currentYear + yearsAhead - 99, currentYear + yearsAhead};
}

int fullYearOfTwoDigits(int twoDigitYear, int currentYear)
{
    const int first = twoDigitYearWindow(currentYear).first;
    // The year of the window that ends in those two digits: first, or one of the 99 years after it.
    const int offset = ((twoDigitYear - first) % 100 + 100) % 100;
    return first + offset;
}

int raceDateCurrentYear()
{
    const int set = yearForTests.load(std::memory_order_relaxed);
    return set != 0 ? set : QDate::currentDate().year();
}

RaceDateTodayForTests::RaceDateTodayForTests(const QDate& today) : previous_(yearForTests.exchange(today.year())) {}

RaceDateTodayForTests::~RaceDateTodayForTests() { yearForTests.store(previous_); }

RaceDateRead readRaceDate(const QString& text, int yearForMonthDay, int currentYear)
{
    if (currentYear == 0)
        currentYear = raceDateCurrentYear();
    RaceDateRead out;
    if (readStoredForm(text, currentYear, out))
        return out;

    QString plain = plainForm(text);
    if (plain.isEmpty())
        return out;
    out.reading = RaceDateReading::NotADate;

    static const QRegularExpression weekdayPart(QStringLiteral("\\(([月火水木金土日])(?:曜日?)?\\)$"));
    int weekday = 0;
    if (const QRegularExpressionMatch m = weekdayPart.match(plain); m.hasMatch()) {
        weekday = static_cast<int>(QStringLiteral("月火水木金土日").indexOf(m.captured(1))) + 1;
        plain.chop(m.capturedLength());
    }

    // Year first: an optional era, the year, then month and day with kanji or with separators.
    static const QRegularExpression withYear(QStringLiteral(
        "^(令和|平成|昭和|[RHSrhs])?(元|\\d{1,4})(?:年(\\d{1,2})月(\\d{1,2})日?|[/.-](\\d{1,2})[/.-](\\d{1,2}))$"));
    static const QRegularExpression digitsOnly(QStringLiteral("^(\\d{2}|\\d{4})(\\d{2})(\\d{2})$"));
    static const QRegularExpression monthDay(QStringLiteral("^(\\d{1,2})(?:月(\\d{1,2})日?|[/.-](\\d{1,2}))$"));

    const Era* era = nullptr;
    if (const QRegularExpressionMatch m = withYear.match(plain); m.hasMatch()) {
        const QString yearText = m.captured(2);
        if (!m.captured(1).isEmpty()) {
            era = eraOf(m.captured(1));
            if (yearText.size() > 2)
                return out;
            out.year = era->first.year() + (yearText == u"元" ? 1 : yearText.toInt()) - 1;
        } else if (yearText.size() == 2) {
            out.year = fullYearOfTwoDigits(yearText.toInt(), currentYear);
        } else if (yearText.size() == 4) {
            out.year = yearText.toInt();
        } else {
            return out;
        }
        const bool kanji = m.capturedLength(3) > 0;
        out.month = m.captured(kanji ? 3 : 5).toInt();
        out.day = m.captured(kanji ? 4 : 6).toInt();
    } else if (const QRegularExpressionMatch d = digitsOnly.match(plain); d.hasMatch()) {
        out.year =
            d.capturedLength(1) == 2 ? fullYearOfTwoDigits(d.captured(1).toInt(), currentYear) : d.captured(1).toInt();
        out.month = d.captured(2).toInt();
        out.day = d.captured(3).toInt();
    } else if (const QRegularExpressionMatch md = monthDay.match(plain); md.hasMatch() && yearForMonthDay != 0) {
        out.year = yearForMonthDay;
        out.month = md.captured(1).toInt();
        out.day = md.captured(md.capturedLength(2) > 0 ? 2 : 3).toInt();
    } else {
        return out;
    }

    const QDate date(out.year, out.month, out.day);
    if (!date.isValid()) {
        out.reading = RaceDateReading::NoSuchDay;
        return out;
    }
    out.date = date;
    if (era && (date < era->first || (era->last.isValid() && date > era->last))) {
        out.reading = RaceDateReading::OutsideEra;
        out.eraName = era->name;
        out.eraFirst = era->first;
        out.eraLast = era->last;
        return out;
    }
    out.reading = weekday != 0 && date.dayOfWeek() != weekday ? RaceDateReading::WrongWeekday : RaceDateReading::Date;
    return out;
}

QDate parseRaceDate(const QString& text, int yearForMonthDay, int currentYear)
{
    const RaceDateRead read = readRaceDate(text, yearForMonthDay, currentYear);
    return read.reading == RaceDateReading::Date ? read.date : QDate();
}

RaceDateEntry enterRaceDate(const QString& typed, int currentYear)
{
    const RaceDateRead read = readRaceDate(typed, currentYear, currentYear);
    switch (read.reading) {
    case RaceDateReading::Empty: return {};
    case RaceDateReading::Date: {
        // Two digits of year are kept: only the years of the two-digit window read back as themselves.
        const TwoDigitYearWindow window = twoDigitYearWindow(currentYear);
        if (read.date.year() < window.first || read.date.year() > window.last)
            return {{},
                    QStringLiteral("年は下二けたで保存するので、%1年から%2年までの日付にしてください。")
                        .arg(window.first)
                        .arg(window.last)};
        return {read.date.toString(QStringLiteral("yy/MM/dd")), {}};
    }
    case RaceDateReading::NoSuchDay:
        return {{}, QStringLiteral("%1という日はありません。").arg(westernDate(read.year, read.month, read.day))};
    case RaceDateReading::OutsideEra:
        if (read.date < read.eraFirst)
            return {{}, QStringLiteral("%1は%2からです。").arg(read.eraName, westernDate(read.eraFirst))};
        return {{}, QStringLiteral("%1は%2までです。").arg(read.eraName, westernDate(read.eraLast))};
    case RaceDateReading::WrongWeekday:
        return {{},
                QStringLiteral("%1は%2曜日です。")
                    .arg(westernDate(read.date), QStringLiteral("月火水木金土日").mid(read.date.dayOfWeek() - 1, 1))};
    case RaceDateReading::NotADate: break;
    }
    return {{},
            QStringLiteral("日付は「24/5/26」「2024年5月26日」「令和6年5月26日」「R6.5.26」「240526」"
                           "のように入力してください。")};
}

std::optional<QString> normalisedRaceDate(const QString& typed, int currentYear)
{
    const RaceDateEntry entry = enterRaceDate(typed, currentYear);
    if (entry.text.isEmpty())
        return std::nullopt;
    return entry.text;
}

QString writtenDate(const QDate& date) { return date.toString(QStringLiteral("yyyy年M月d日")); }
