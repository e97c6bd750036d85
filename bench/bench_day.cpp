// The day's results pasted at once: reading a day of 12 full result pages (about 60 KB) and matching its races against
// a folder of saved races (100,000 by default; TOKIRO_BENCH_RACES sets another count, TOKIRO_BENCH_FOLDER a folder to
// keep it in). Prints medians; the folder's listing, which the day screen reads afresh on every paste, is measured
// too, against a plain read of the files.
#include "bench_support.h"
#include "core/day_paste.h"
#include "core/race_date.h"
#include "racefile/race_folder.h"
#include "record/day_results.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

const char* const courses[] = {"東京", "中山", "京都", "阪神", "函館", "札幌", "新潟", "福島", "中京", "小倉"};

// A result page as a site prints it when copied whole: menu, heading, an 18-runner finishing table with every column,
// the payout table, the race's notes and advertisements.
QString resultPage(const RaceState& race, const QDate& date, int index)
{
    QString page = QStringLiteral("ホーム > 競馬 > レース結果 > %1\nログイン　会員登録　ヘルプ\n"
                                  "1R 2R 3R 4R 5R 6R 7R 8R 9R 10R 11R 12R\n")
                       .arg(QString::fromUtf8(courses[index % 10]));
    page += QStringLiteral("%1（日） %2回%3%4日\n%5R %6\n")
                .arg(date.toString(QStringLiteral("yyyy年M月d日")))
                .arg(1 + index % 5)
                .arg(QString::fromUtf8(courses[index % 10]))
                .arg(1 + index % 12)
                .arg(race.raceNumber)
                .arg(race.raceName);
    page += QStringLiteral("3歳以上2勝クラス （混合）[指定] 定量 芝 1800m（右 外） 天候：晴 芝：良 発走：15:40\n"
                           "着順\t枠番\t馬番\t馬名\t性齢\t斤量\t騎手\tタイム\t着差\t通過\t上り\t単勝\t人気\t馬体重\t"
                           "調教師\t馬主\t賞金(万円)\n");
    for (int place = 1; place <= 18; ++place) {
        const int horse = (place * 7 + index) % 18 + 1;
        page += QStringLiteral("%1\t%2\t%3\t%4\t牡4\t57.0\t騎手%5\t1:4%6.%7\t1/2\t%8-%8-%8\t34.%9\t%10.%11\t%12\t"
                               "48%13(+2)\t(美)調教師%14\t馬主%15ホールディングス\t1,%16\n")
                    .arg(place)
                    .arg((horse + 1) / 2 - 1 < 8 ? (horse + 1) / 2 : 8)
                    .arg(horse)
                    .arg(race.runnerNames[static_cast<std::size_t>(horse - 1)])
                    .arg(place)
                    .arg(place % 10)
                    .arg(place)
                    .arg(place % 14 + 1)
                    .arg(place % 10)
                    .arg(place * 3)
                    .arg(place % 10)
                    .arg(place)
                    .arg(place % 10)
                    .arg(place)
                    .arg(place)
                    .arg(place * 11 % 1000, 3, 10, QLatin1Char('0'));
    }
    const int first = (7 + index) % 18 + 1;
    const int second = (14 + index) % 18 + 1;
    page += QStringLiteral("ラップ\t12.5 - 11.0 - 11.4 - 11.9 - 12.0 - 11.8 - 11.5 - 11.3 - 11.7\n"
                           "コーナー通過順位\t1コーナー (*3,5)(1,9)8\n払戻金\n"
                           "単勝\t%1\t450円\t2番人気\n複勝\t%1\t160円\t2番人気\n\t%2\t210円\t4番人気\n"
                           "枠連\t1-4\t1,020円\t5番人気\n馬連\t%3-%4\t1,870円\t6番人気\n"
                           "ワイド\t%3-%4\t680円\t7番人気\n馬単\t%1-%2\t3,410円\t11番人気\n"
                           "3連複\t1-%3-%4\t5,570円\t18番人気\n3連単\t%1-%2-1\t24,390円\t77番人気\n")
                .arg(first)
                .arg(second)
                .arg(std::min(first, second))
                .arg(std::max(first, second));
    page += QStringLiteral("レースの注意事項：なし\n広告：競馬新聞デジタル版は初月無料\nこのページの先頭へ\n"
                           "Copyright JRA All Rights Reserved.\n\n");
    // Sites pad a page with more menus and notes than anything else; a page copied whole is about 5 KB.
    for (int line = 0; line < 22; ++line)
        page += QStringLiteral("関連ニュース：%1の注目馬、調教で好時計をマーク（%2）\n")
                    .arg(race.runnerNames[static_cast<std::size_t>(line % 18)])
                    .arg(line);
    return page;
}

double timed(const std::function<void()>& work, int repetitions)
{
    std::vector<double> times;
    for (int r = 0; r < repetitions; ++r) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return bench::median(times);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int count =
        qEnvironmentVariableIsSet("TOKIRO_BENCH_RACES") ? qEnvironmentVariableIntValue("TOKIRO_BENCH_RACES") : 100000;
    // TOKIRO_BENCH_FOLDER keeps the folder there for the next run (making it takes minutes).
    QTemporaryDir temporary;
    const QString kept = qEnvironmentVariable("TOKIRO_BENCH_FOLDER");
    const QDir dir(kept.isEmpty() ? temporary.path() : kept);
    if (dir.entryList({QStringLiteral("*.tkr")}, QDir::Files).size() != count) {
        std::printf("making a folder of %d races…\n", count);
        std::fflush(stdout);
        if (!QDir().mkpath(dir.path()) || !bench::makeFolder(dir.path(), count, true)) {
            std::fprintf(stderr, "cannot make the race folder\n");
            return 1;
        }
    }
    // The day: twelve races of the folder spread over it, each pasted as its full result page.
    QString text;
    for (int k = 0; k < 12; ++k) {
        const int index = (count / 12) * k + k;
        bench::Lcg unused(1u);
        const RaceState race = bench::raceNumbered(index, unused, true);
        text += resultPage(race, parseRaceDate(race.raceDate), index);
    }
    PastedDay day;
    const double readMs = timed([&] { day = parsePastedDay(text); }, 31);
    std::vector<CatalogueEntry> catalogue;
    const RaceFolder folder(dir.path());
    const double plainMs = timed([&] { bench::plainRead(dir.path()); }, 3);
    const double listMs = timed([&] { catalogue = folder.catalogue(); }, 3);
    std::vector<DayMatch> matches;
    const double matchMs = timed([&] { matches = matchPastedRaces(day.races, catalogue, folder); }, 15);
    DayResultsModel model;
    const double pasteMs = timed([&] { model.load(parsePastedDay(text), folder.catalogue(), folder); }, 3);
    int matched = 0;
    for (const DayMatch& match : matches)
        matched += match.kind == DayMatch::Kind::Matched;

    std::printf("a day of %zu races pasted, %lld characters (%lld bytes as UTF-8)\n", day.races.size(),
                static_cast<long long>(text.size()), static_cast<long long>(text.toUtf8().size()));
    std::printf("  reading the paste               %9.2f ms (median of 31)\n", readMs);
    std::printf("  matching against %d races %9.2f ms (median of 15), %d of 12 matched\n", count, matchMs, matched);
    std::printf("  listing the folder              %9.1f ms (median of 3)  ratio to a plain read %.2f\n", listMs,
                listMs / plainMs);
    std::printf("  plain read of the files         %9.1f ms (median of 3)\n", plainMs);
    std::printf("  paste to rows (list, read, match) %7.1f ms (median of 3)\n", pasteMs);
    return matched == 12 ? 0 : 1;
}
