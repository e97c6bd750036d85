// Renders screens of the program offscreen into PNG files, for the README and for checking layouts.
// Usage: screenshots [--scale N] [folder]   (default docs/screens/; --scale 2 renders as on a high-density screen;
// TOKIRO_SHOTS=text in the environment renders only the shots whose file name holds the text)
// Each shot starts a fresh program (shared module, window, navigator) and brings it into the state to show.
#include "analysis/tipster_models.h"
#include "app/main_window.h"
#include "prediction/prediction.h"
#include "racefile/file_bytes.h"
#include "racefile/folder_backup.h"
#include "racefile/folder_backup_model.h"
#include "racefile/race_file.h"
#include "screens/control_table.h"
#include "screens/help_window.h"
#include "screens/restore_review_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <string_view>
#include <vector>

namespace {
struct Program {
    Module1& module;
    MainWindow& window;
    Navigator& navigator;
};

// Lets the event loop run until `done` holds or the time is up; returns whether it holds.
bool waitUntil(const std::function<bool()>& done, int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void settle()
{
    waitUntil([] { return false; }, 100);
}

// Answers the dialogs the shots need without showing them: the open dialog picks the sample race.
class SampleDialogs final : public Dialogs {
public:
    QString raceToOpen;
    bool confirm(const QString&, const QString&) override { return true; }
    QString openFile(const QString&, const QString&) override { return raceToOpen; }
    QString saveFile(const QString&, const QString&, const QString&) override { return {}; }
    void reportError(const QString&, const QString&) override {}
    bool waitForFolder(const QString&, std::chrono::milliseconds) override { return false; }
    void folderWaitOver() override {}
};

// A realistic race of 16 runners: a clear favourite, a few rivals, names for every runner.
RaceState sampleRace(const QString& date, int number, const QString& name, int variant)
{
    static const char* const names[] = {"サクラコスモス", "ミドリノカゼ",   "ハヤテオ｜",       "ユメノツバサ",
                                        "アオイホシ",     "シラユキヒメ",   "ゴ｜ルドラッシュ", "カゼノオト",
                                        "ツキノミチ",     "ホクトノヒカリ", "ナミノハナ",       "ヒノデマル",
                                        "タイヨウノコ",   "ソラノカナタ",   "イナズマボルト",   "モリノセイ"};
    static const int marks[16][6] = {{3, 1, 1, 0, 0, 0}, {1, 3, 1, 0, 0, 1}, {0, 2, 2, 1, 0, 0}, {2, 0, 1, 1, 1, 0},
                                     {0, 1, 0, 2, 1, 0}, {0, 0, 2, 0, 1, 1}, {1, 1, 0, 0, 0, 2}, {0, 0, 1, 1, 0, 0},
                                     {0, 0, 0, 1, 2, 0}, {0, 1, 1, 0, 0, 0}, {0, 0, 0, 0, 1, 1}, {0, 0, 1, 0, 0, 0},
                                     {0, 0, 0, 0, 0, 1}, {0, 0, 0, 1, 0, 0}, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 1, 0}};
    RaceState race;
    race.raceDate = date;
    race.raceNumber = static_cast<std::int16_t>(number);
    race.raceName = name;
    race.gradedText = variant % 3 == 0 ? QStringLiteral("ＧⅠ") : variant % 3 == 1 ? QStringLiteral("ＧⅡ") : QString();
    race.courseName = variant % 2 == 0 ? QStringLiteral("東京競馬場") : QStringLiteral("中山競馬場");
    race.distanceText = variant % 2 == 0 ? QStringLiteral("2400m") : QStringLiteral("1600m");
    race.runnerCount = 16;
    race.ticketCount = static_cast<std::int16_t>(4 + variant % 5);
    for (int r = 0; r < 16; ++r) {
        const int from = (r + variant) % 16;
        for (int k = 0; k < 6; ++k)
            race.markSheet[r][k] = static_cast<std::int16_t>(marks[from][k]);
        race.runnerNames[static_cast<std::size_t>(r)] = QString::fromUtf8(names[r]);
    }
    // Six tipsters share the marks out: each mark goes to the next tipster in turn who has not marked that runner yet
    // (nor given that ◎, ○ or ▲ elsewhere); what is left stays without a tipster.
    for (const char* tipster : {"本紙", "記者Ａ", "記者Ｂ", "記者Ｃ", "予想屋", "ＡＩ"})
        addTipster(race, QString::fromUtf8(tipster));
    const RaceState counted = race;
    for (auto& row : race.markSheet)
        row.fill(0);
    int next = variant;
    for (int k = 0; k < 6; ++k) {
        for (int r = 0; r < 16; ++r) {
            for (int m = 0; m < counted.markSheet[r][k]; ++m) {
                bool given = false;
                for (int tries = 0; tries < 6 && !given; ++tries) {
                    const int t = next++ % 6;
                    const auto& column = race.tipsters.columns[static_cast<std::size_t>(t)];
                    const bool used = isGivenOnce(k) && std::ranges::count(column.marks, k) > 0;
                    given = column.marks[static_cast<std::size_t>(r)] == noMark && !used
                            && setTipsterMark(race, t, r, k) == MarkChange::Done;
                }
                if (!given)
                    addMarkWithoutTipster(race, r, k);
            }
        }
    }
    return race;
}

// A folder of a dozen saved races with results and amounts, made the current folder while the shots run.
class SampleFolder {
public:
    SampleFolder() : previous_(QDir::currentPath())
    {
        static const char* const raceNames[] = {"中山金杯", "京成杯", "フェブラリーＳ", "高松宮記念",
                                                "桜花賞",   "皐月賞", "天皇賞（春）",   "日本ダービー",
                                                "宝塚記念", "菊花賞", "ジャパンＣ",     "有馬記念"};
        QDir::setCurrent(dir_.path());
        for (int i = 0; i < 12; ++i) {
            const QString date =
                QStringLiteral("26/%1/%2").arg(i + 1, 2, 10, QLatin1Char('0')).arg(5 + i, 2, 10, QLatin1Char('0'));
            RaceState race = sampleRace(date, 11, QString::fromUtf8(raceNames[i]), i);
            const PredictionResult proposal = runPrediction(race.markSheet, race.runnerCount, race.ticketCount);
            TailLines tail;
            if (i % 3 != 2 && proposal.ticketTotal > 0) { // a hit: the first proposed ticket came in
                tail.firstPlace = TailValue::ofNumber(proposal.ticketSecond[0] + 1);
                tail.secondPlace = TailValue::ofNumber(proposal.ticketFirst[0] + 1);
                tail.payout = TailValue::ofNumber(420 + 370 * i);
            } else {
                tail.firstPlace = TailValue::ofNumber(15);
                tail.secondPlace = TailValue::ofNumber(9);
                tail.payout = TailValue::ofNumber(12680);
            }
            tail.stake = TailValue::ofNumber(race.ticketCount * 100);
            tail.income = TailValue::ofNumber(i % 3 != 2 ? 420 + 370 * i : 0);
            const QString file = QStringLiteral("%1%2.tkr").arg(date).remove(u'/').arg(11);
            writeRaceFile(file, race, tail);
        }
        QDir::setCurrent(dir_.path());
    }
    ~SampleFolder() { QDir::setCurrent(previous_); }
    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }

private:
    QString previous_;
    // The races lie in ~/トキロ of a home made for the shots (and removed with it), so that the menu names the same
    // folder in every run.
    QTemporaryDir home_;
    QDir dir_ = [this] {
        qputenv("HOME", QFile::encodeName(home_.path()));
        QDir(home_.path()).mkpath(QStringLiteral("トキロ"));
        return QDir(QDir(home_.path()).filePath(QStringLiteral("トキロ")));
    }();
};

// A deterministic generator, so that every run draws the same folder.
class Dice {
public:
    explicit Dice(unsigned seed) : state_(seed) {}
    int below(int n)
    {
        state_ = state_ * 1103515245u + 12345u;
        return static_cast<int>((state_ >> 16) % static_cast<unsigned>(n));
    }

private:
    unsigned state_;
};

// A folder of a few hundred races over five seasons, as a fan who uses the program every weekend might have: courses
// and classes as the pick lists give them, 8 to 18 runners, about one proposal in four coming in, payouts from a few
// hundred yen to the odd big one, the user's own stake and income on most races, and the latest weekend's races
// still without a result.
class AnalysisFolder {
public:
    AnalysisFolder()
    {
        static const char* const courses[] = {"東京競馬場", "中山競馬場", "京都競馬場", "阪神競馬場", "中京競馬場",
                                              "新潟競馬場", "福島競馬場", "小倉競馬場", "札幌競馬場", "函館競馬場"};
        static const char* const distances[] = {"1200m", "1400m", "1600m", "1800m", "2000m",
                                                "2200m", "2400m", "2500m", "3000m"};
        static const char* const gradedNames[] = {
            "フェブラリーＳ",   "高松宮記念",       "大阪杯",     "桜花賞",           "皐月賞",
            "天皇賞（春）",     "ＮＨＫマイルＣ",   "オークス",   "日本ダービー",     "安田記念",
            "宝塚記念",         "スプリンターズＳ", "秋華賞",     "菊花賞",           "天皇賞（秋）",
            "エリザベス女王杯", "マイルＣＳ",       "ジャパンＣ", "チャンピオンズＣ", "有馬記念"};
        static const char* const plainNames[] = {"3歳未勝利",
                                                 "2歳新馬",
                                                 "3歳1勝クラス",
                                                 "4歳以上1勝クラス",
                                                 "4歳以上2勝クラス",
                                                 "3勝クラス",
                                                 "オープン特別",
                                                 "ステークス",
                                                 "記念",
                                                 "特別"};
        Dice dice(20250105u);
        int made = 0;
        QDate day(2021, 1, 9); // a Saturday
        int graded = 0;
        for (int week = 0; day.year() <= 2025; ++week, day = day.addDays(7)) {
            const int racesThisWeek = 1 + (dice.below(4) == 0) + (dice.below(6) == 0);
            for (int r = 0; r < racesThisWeek; ++r) {
                const QDate date = day.addDays(dice.below(2));
                const int course = dice.below(10);
                RaceState race;
                race.raceDate = date.toString(QStringLiteral("yy/MM/dd"));
                race.raceNumber = static_cast<std::int16_t>(12 - r - dice.below(2));
                const int kind = dice.below(10);
                if (kind < 2) {
                    race.gradedText = QStringLiteral("ＧⅠ");
                    race.raceName = QString::fromUtf8(gradedNames[graded++ % std::size(gradedNames)]);
                } else if (kind < 4) {
                    race.gradedText = kind == 2 ? QStringLiteral("ＧⅡ") : QStringLiteral("ＧⅢ");
                    race.raceName = QString::fromUtf8(courses[course]).left(2) + QStringLiteral("記念");
                } else {
                    race.raceName = QString::fromUtf8(plainNames[dice.below(10)]);
                }
                race.courseName = QString::fromUtf8(courses[course]);
                race.distanceText = QString::fromUtf8(distances[dice.below(9)]);
                race.runnerCount = static_cast<std::int16_t>(8 + dice.below(11));
                race.ticketCount = static_cast<std::int16_t>(3 + dice.below(6));
                race.aimMode = static_cast<std::int16_t>(dice.below(2));
                for (int h = 0; h < race.runnerCount; ++h) {
                    // A few runners draw most of the marks.
                    const int weight = h < 3 ? 6 : h < 7 ? 3 : 1;
                    for (int k = 0; k < 6; ++k)
                        race.markSheet[static_cast<std::size_t>((h * 7 + made) % race.runnerCount)]
                                      [static_cast<std::size_t>(k)] = static_cast<std::int16_t>(dice.below(weight + 1));
                    race.runnerNames[static_cast<std::size_t>(h)] = QStringLiteral("ウマ%1").arg(h + 1);
                }
                const PredictionResult proposal = runPrediction(race.markSheet, race.runnerCount, race.ticketCount);
                TailLines tail;
                const bool lastWeekend = date >= QDate(2025, 12, 20);
                if (!lastWeekend && dice.below(25) != 0) {
                    auto proposed = [&proposal](int a, int b) {
                        for (int t = 0; t < proposal.ticketTotal; ++t) {
                            const int low = proposal.ticketFirst[static_cast<std::size_t>(t)] + 1;
                            const int high = proposal.ticketSecond[static_cast<std::size_t>(t)] + 1;
                            if ((a == low && b == high) || (a == high && b == low))
                                return true;
                        }
                        return false;
                    };
                    // About one race in five the marks were right; otherwise another pair came in.
                    int first = 1;
                    int second = 2;
                    for (int tries = 0; tries < 20 && (tries == 0 || proposed(first, second)); ++tries) {
                        first = 1 + dice.below(race.runnerCount);
                        second = 1 + (first + dice.below(race.runnerCount - 1)) % race.runnerCount;
                    }
                    const bool proposedPair = proposal.ticketTotal > 0 && dice.below(100) < 20;
                    if (proposedPair) {
                        const int t = dice.below(proposal.ticketTotal);
                        first = proposal.ticketSecond[static_cast<std::size_t>(t)] + 1;
                        second = proposal.ticketFirst[static_cast<std::size_t>(t)] + 1;
                    }
                    // Quinella payouts: a pair the marks favoured pays a few hundred to a few thousand yen, now and
                    // then far more; any other pair pays more on the whole.
                    const int roll = dice.below(100) + (proposedPair ? 0 : 25);
                    const int payout = roll < 70    ? 300 + 10 * dice.below(120)
                                       : roll < 95  ? 1500 + 10 * dice.below(400)
                                       : roll < 121 ? 6000 + 100 * dice.below(160)
                                                    : 25000 + 100 * dice.below(1000);
                    tail.firstPlace = TailValue::ofNumber(first);
                    tail.secondPlace = TailValue::ofNumber(second);
                    tail.payout = TailValue::ofNumber(payout);
                    if (dice.below(12) != 0) {
                        // The user bought the proposed tickets at a few hundred yen each.
                        const int each = 100 * (1 + dice.below(3));
                        const bool hit = proposed(first, second);
                        tail.stake = TailValue::ofNumber(each * std::max(1, static_cast<int>(proposal.ticketTotal)));
                        tail.income = TailValue::ofNumber(hit ? payout * each / 100 : 0);
                    }
                }
                // From the second season the user keeps six tipsters' marks; one of them only from the fourth.
                if (date.year() >= 2022)
                    race.tipsters = tipstersOf(race, tail, dice, date.year() >= 2024);
                const QString file = QStringLiteral("%1%2.tkr")
                                         .arg(race.raceDate)
                                         .remove(u'/')
                                         .arg(race.raceNumber, 2, 10, QLatin1Char('0'));
                writeRaceFile(dir_.filePath(file), race, tail);
                ++made;
            }
        }
    }
    QString path() const { return dir_.path(); }

private:
    // The tipsters' columns of a race, drawn from the marks the counts hold, so that the race and its proposal stay
    // as they are: each tipster gives ◎ ○ ▲ △ △ × to runners that still have such a mark to give. A tipster with a
    // better eye picks a finisher for ◎ and ○ more often, when the result is in.
    static TipsterGrid tipstersOf(const RaceState& race, const TailLines& tail, Dice& dice, bool withLate)
    {
        struct Tipster {
            const char* name;
            int eye; // in 100: how often ◎ or ○ goes to a finisher that has the mark to give
        };
        static const Tipster tipsters[] = {{"本紙", 30},     {"記者Ａ", 22},       {"記者Ｂ", 12},
                                           {"ＡＩ予想", 38}, {"トラックマン", 18}, {"記者Ｃ", 45}};
        static const int kinds[] = {0, 1, 3, 2, 2, 4};
        MarkSheet left = race.markSheet;
        const int finishers[2] = {tail.firstPlace.isUnset() ? 0 : static_cast<int>(tail.firstPlace.number) - 1,
                                  tail.secondPlace.isUnset() ? 0 : static_cast<int>(tail.secondPlace.number) - 1};
        const bool result = !tail.firstPlace.isUnset();
        TipsterGrid grid;
        for (const Tipster& tipster : tipsters) {
            if (!withLate && std::string_view(tipster.name) == "記者Ｃ")
                continue;
            TipsterColumn column(QString::fromUtf8(tipster.name));
            for (const int kind : kinds) {
                auto free = [&](int runner) {
                    return column.marks[static_cast<std::size_t>(runner)] == noMark
                           && left[static_cast<std::size_t>(runner)][static_cast<std::size_t>(kind)] > 0;
                };
                int runner = -1;
                if (result && kind <= 1 && dice.below(100) < tipster.eye) {
                    const int finisher = finishers[dice.below(2)];
                    if (finisher >= 0 && finisher < race.runnerCount && free(finisher))
                        runner = finisher;
                }
                for (int tries = 0; runner < 0 && tries < 40; ++tries) {
                    const int candidate = dice.below(race.runnerCount);
                    if (free(candidate))
                        runner = candidate;
                }
                if (runner < 0)
                    continue;
                column.marks[static_cast<std::size_t>(runner)] = static_cast<std::int8_t>(kind);
                --left[static_cast<std::size_t>(runner)][static_cast<std::size_t>(kind)];
            }
            grid.columns.push_back(std::move(column));
        }
        return grid;
    }

    QTemporaryDir dir_;
};

// A setup brings the program into the state to show and returns the window to grab (nullptr: the main window).
using Setup = std::function<QWidget*(Program&)>;

struct Shot {
    const char* fileName;
    Setup setup;
    bool analysisFolder = false; // taken in the folder of a few hundred races
};

QWidget* titleAfterAnimation(Program& program)
{
    program.navigator.show(ScreenId::Form1);
    Screen* title = program.navigator.screen(ScreenId::Form1);
    auto* timer = title ? title->findChild<QTimer*>(QStringLiteral("Timer1")) : nullptr;
    if (timer)
        waitUntil([timer] { return !timer->isActive(); }, 5000);
    return nullptr;
}

QWidget* menu(Program& program)
{
    program.navigator.show(ScreenId::Form1);
    program.navigator.close(ScreenId::Form1);
    program.navigator.show(ScreenId::Form2);
    return nullptr;
}

QWidget* help(Program& program)
{
    program.navigator.show(ScreenId::Form1);
    return HelpWindow::openFor(program.navigator.screen(ScreenId::Form1),
                               QDir(program.module.appFolder).filePath(QStringLiteral("tokiro.hlp")));
}

void press(Screen* screen, const char* button)
{
    if (auto* found = screen ? screen->findChild<QPushButton*>(QString::fromUtf8(button)) : nullptr)
        found->click();
    settle();
}

// The race conditions with the keyboard in one of the boxes that open a pick list (Text5: the courses).
QWidget* raceConditions(Program& program, const char* box)
{
    program.module.race = sampleRace(QStringLiteral("26/12/27"), 11, QStringLiteral("有馬記念"), 0);
    program.module.race.surface = RaceSurface::Turf; // as a pasted race card gives it, shown beside the distance
    program.navigator.show(ScreenId::Form3);
    if (auto* focused = program.navigator.screen(ScreenId::Form3)->findChild<QLineEdit*>(QString::fromUtf8(box)))
        focused->setFocus();
    return nullptr;
}

// The menu with the keyboard moved on to a job button, as after a few Tab presses.
QWidget* menuWithFocusOnAButton(Program& program)
{
    menu(program);
    if (auto* job = program.navigator.screen(ScreenId::Form2)->findChild<QPushButton*>(QStringLiteral("Command3")))
        job->setFocus(Qt::TabFocusReason);
    return nullptr;
}

// The mark sheet with the sample race loaded through its own ロード button.
QWidget* markSheet(Program& program)
{
    program.module.race = sampleRace(QStringLiteral("26/12/27"), 11, QStringLiteral("有馬記念"), 0);
    program.navigator.show(ScreenId::Form4);
    press(program.navigator.screen(ScreenId::Form4), "Command8");
    return nullptr;
}

QWidget* tipsterGrid(Program& program)
{
    markSheet(program);
    press(program.navigator.screen(ScreenId::Form4), "tipsterGridButton");
    return nullptr;
}

QWidget* predictionResult(Program& program)
{
    markSheet(program);
    press(program.navigator.screen(ScreenId::Form4), "Command10");
    return nullptr;
}

// A saved-race screen with its first race picked, as the user sees it before typing.
QWidget* savedRaceScreen(Program& program, ScreenId id, bool pick)
{
    program.navigator.show(id);
    if (!pick)
        return nullptr;
    if (auto* list = program.navigator.screen(id)->findChild<QListWidget*>(QStringLiteral("List1"));
        list && list->count() > 2) {
        list->setCurrentRow(2);
        emit list->itemClicked(list->item(2));
    }
    return nullptr;
}

// 結果をまとめて入力 after a day's results were pasted as a spreadsheet: the races of that day saved beforehand (one
// with a result already, two alike), one race of the paste not saved, a dead heat whose pair is still to be chosen.
QWidget* dayResults(Program& program)
{
    struct Saved {
        const char* course;
        int number;
        const char* name;
        int first;
    };
    const Saved day[] = {{"中山競馬場", 9, "グッドラックＨ", 0},  {"中山競馬場", 10, "ベテルギウスＳ", 0},
                         {"中山競馬場", 11, "ホープフルＳ", 0},   {"中山競馬場", 12, "ファイナルＳ", 7},
                         {"阪神競馬場", 11, "ベテルギウスＳ", 0}, {"阪神競馬場", 11, "ベテルギウスＳ", 0}};
    int variant = 0;
    for (const Saved& saved : day) {
        RaceState race = sampleRace(QStringLiteral("26/12/27"), saved.number, QString::fromUtf8(saved.name), variant);
        race.courseName = QString::fromUtf8(saved.course);
        TailLines tail;
        if (saved.first != 0)
            tail = {TailValue::ofNumber(saved.first), TailValue::ofNumber(3), TailValue::ofNumber(1530),
                    TailValue::ofNumber(0), TailValue::ofNumber(0)};
        writeRaceFile(QDir(program.module.raceFolder).filePath(QStringLiteral("day%1.tkr").arg(variant++)), race, tail);
    }
    program.navigator.show(ScreenId::Form6);
    press(program.navigator.screen(ScreenId::Form6), "dayResults");
    QApplication::clipboard()->setText(QStringLiteral("日付\t競馬場\tR\tレース名\t1着\t2着\t馬連\n"
                                                      "2026/12/27\t中山\t9\tグッドラックＨ\t4\t11\t2,340\n"
                                                      "2026/12/27\t中山\t10\tベテルギウスＳ\t1\t6\t980\n"
                                                      "2026/12/27\t中山\t11\tホープフルＳ\t3\t8\t1,460\n"
                                                      "2026/12/27\t中山\t11\tホープフルＳ\t3\t14\t5,120\n"
                                                      "2026/12/27\t中山\t12\tファイナルＳ\t2\t9\t3,870\n"
                                                      "2026/12/27\t阪神\t11\tベテルギウスＳ\t5\t10\t4,410\n"
                                                      "2026/12/27\t阪神\t12\t3歳以上2勝クラス\t6\t13\t12,350\n"));
    Screen* screen = program.navigator.screen(ScreenId::DayResults);
    press(screen, "pasteDay");
    if (auto* table = screen ? screen->findChild<QTableView*>(QStringLiteral("table")) : nullptr)
        table->setCurrentIndex(table->model()->index(2, 1));
    return nullptr;
}

// The analysis screen opened with the record screen's button, on one of its pages.
Screen* analysis(Program& program, int page)
{
    program.navigator.show(ScreenId::Form7);
    press(program.navigator.screen(ScreenId::Form7), "Command2");
    Screen* screen = program.navigator.screen(ScreenId::Analysis);
    if (auto* pages = screen ? screen->findChild<QTabWidget*>(QStringLiteral("analysisPages")) : nullptr)
        pages->setCurrentIndex(page);
    settle();
    return screen;
}

template <typename Widget>
Widget* child(Screen* screen, const char* name)
{
    return screen ? screen->findChild<Widget*>(QString::fromUtf8(name)) : nullptr;
}

QWidget* analysisChart(Program& program, int chart)
{
    Screen* screen = analysis(program, 1);
    if (auto* option = child<QAbstractButton>(screen, chart == 0   ? "cumulativeOption"
                                                      : chart == 1 ? "monthlyOption"
                                                                   : "trendOption"))
        option->click();
    // The monthly bars read best over two seasons.
    if (chart == 1) {
        if (auto* kind = child<QComboBox>(screen, "periodKind"))
            kind->setCurrentIndex(2);
        if (auto* from = child<QComboBox>(screen, "periodFrom"))
            from->setCurrentIndex(std::max(0, from->count() - 24));
    }
    return nullptr;
}

QWidget* analysisRaces(Program& program)
{
    Screen* screen = analysis(program, 2);
    if (auto* search = child<QLineEdit>(screen, "raceSearch")) {
        search->setText(QStringLiteral("東京"));
        // The clear button fades in on a timer: the shot waits until it is whole, so that it is the same on any load.
        const QList<QWidget*> buttons = search->findChildren<QWidget*>();
        waitUntil(
            [&buttons] {
                return std::all_of(buttons.begin(), buttons.end(), [](const QWidget* button) {
                    const QVariant opacity = button->property("opacity");
                    return !opacity.isValid() || opacity.toReal() >= 1.0;
                });
            },
            2000);
    }
    if (auto* view = child<QTableView>(screen, "racesView"))
        view->horizontalHeader()->setSortIndicator(0, Qt::DescendingOrder); // the latest first
    return nullptr;
}

QWidget* analysisBreakdown(Program& program)
{
    Screen* screen = analysis(program, 3);
    if (auto* picker = child<QComboBox>(screen, "breakdownPicker"))
        picker->setCurrentIndex(2); // by course
    return nullptr;
}

QWidget* analysisTipsters(Program& program)
{
    Screen* screen = analysis(program, 5);
    if (auto* view = child<QTableView>(screen, "tipstersView"))
        view->horizontalHeader()->setSortIndicator(TipsterTableModel::markColumn(0, TipsterTableModel::PlaceRate),
                                                   Qt::DescendingOrder); // by ◎ 連対率
    return nullptr;
}

// 「バックアップから戻す」 before anything is written: a backup of the sample folder against a folder that has lost
// some of its races since and holds one of them changed.
QWidget* restoreReview(Program& program)
{
    static QTemporaryDir place;
    static QTemporaryDir folder;
    const QString archive = place.filePath(backupFileName(QDate(2026, 12, 20)));
    writeBackup(program.module.raceFolder, archive);
    const BackupContents contents = readBackup(archive);
    const QDir races(program.module.raceFolder);
    int kept = 0;
    for (const QString& name : races.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
        if (kept++ % 2 == 0)
            QFile::copy(races.filePath(name), folder.filePath(name));
    }
    const QStringList copied = QDir(folder.path()).entryList({QStringLiteral("*.tkr")}, QDir::Files, QDir::Name);
    if (!copied.isEmpty()) {
        QFile changed(folder.filePath(copied.front()));
        if (changed.open(QIODevice::Append))
            changed.write(" ");
    }
    auto* model = new RestoreComparisonModel(program.window.window());
    model->setItems(compareWithFolder(folder.path(), contents.files));
    const QString text =
        QStringLiteral("「~/バックアップ/%1」（2026年12月20日 21:30 に作成）には %2 個のファイルがあります。"
                       "レースフォルダと比べると：\n新しい %3 個、同じ %4 個、違う %5 個、戻せない 0 個。\n"
                       "「戻す」で新しいファイルを加えます。違うファイルは一つずつ、どうするかを尋ねます。")
            .arg(QFileInfo(archive).fileName())
            .arg(model->rowCount())
            .arg(model->count(RestoreState::New))
            .arg(model->count(RestoreState::Same))
            .arg(model->count(RestoreState::Differs));
    auto* dialog = new RestoreReviewDialog(*model, text, QStringLiteral("バックアップから戻す"), &program.window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return dialog;
}

const std::vector<Shot>& shots()
{
    static const std::vector<Shot> list = {
        {"title.png", titleAfterAnimation},
        {"menu.png", menu},
        {"help.png", help},
        {"focus_on_button.png", menuWithFocusOnAButton},
        {"race_conditions.png", [](Program& p) { return raceConditions(p, "Text5"); }},
        {"distance_list.png", [](Program& p) { return raceConditions(p, "Text6"); }},
        {"mark_sheet.png", markSheet},
        {"tipster_grid.png", tipsterGrid},
        {"prediction_result.png", predictionResult},
        {"result_entry.png", [](Program& p) { return savedRaceScreen(p, ScreenId::Form6, true); }},
        {"record.png", [](Program& p) { return savedRaceScreen(p, ScreenId::Form7, false); }},
        {"balance.png", [](Program& p) { return savedRaceScreen(p, ScreenId::Form8, true); }},
        // Last of the sample folder's shots: it saves a day of races there.
        {"day_results.png", dayResults},
        {"analysis_overview.png", [](Program& p) { return analysis(p, 0), nullptr; }, true},
        {"analysis_cumulative.png", [](Program& p) { return analysisChart(p, 0); }, true},
        {"analysis_monthly.png", [](Program& p) { return analysisChart(p, 1); }, true},
        {"analysis_trend.png", [](Program& p) { return analysisChart(p, 2); }, true},
        {"analysis_races.png", analysisRaces, true},
        {"analysis_breakdown.png", analysisBreakdown, true},
        {"analysis_whatif.png", [](Program& p) { return analysis(p, 4), nullptr; }, true},
        {"analysis_tipsters.png", analysisTipsters, true},
        {"analysis_ranks.png", [](Program& p) { return analysis(p, 6), nullptr; }, true},
        {"analysis_adds.png", [](Program& p) { return analysis(p, 7), nullptr; }, true},
        {"restore_review.png", restoreReview},
    };
    return list;
}
} // namespace

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The scale must be known before the application starts; the grabs then have its device pixels.
    int first = 1;
    if (argc > 2 && std::string_view(argv[1]) == "--scale") {
        qputenv("QT_SCALE_FACTOR", argv[2]);
        first = 3;
    }
    QApplication application(argc, argv);
    registerFontSubstitutions();
    QTextStream err(stderr);

    const QDir folder(argc > first ? QString::fromLocal8Bit(argv[first]) : QStringLiteral("docs/screens"));
    if (!QDir().mkpath(folder.path())) {
        err << "cannot make the folder " << folder.path() << "\n";
        return 1;
    }

    const QDir output(folder.absolutePath());
    SampleFolder races;
    AnalysisFolder manyRaces;
    // TOKIRO_SHOTS=analysis renders only the shots whose file name holds that text.
    const QString only = qEnvironmentVariable("TOKIRO_SHOTS");
    int failures = 0;
    for (const Shot& shot : shots()) {
        if (!only.isEmpty() && !QString::fromUtf8(shot.fileName).contains(only))
            continue;
        Module1 module;
        module.raceFolder = shot.analysisFolder ? manyRaces.path() : races.path();
        SampleDialogs dialogs;
        dialogs.raceToOpen = races.filePath(QStringLiteral("26121611.tkr"));
        MainWindow window(module, dialogs);
        window.navigator().setOnEnd([] {});
        window.show();
        Program program{module, window, window.navigator()};
        QWidget* target = shot.setup(program);
        if (!target)
            target = &window;
        settle();
        const QString path = output.filePath(QString::fromUtf8(shot.fileName));
        if (!target->grab().save(path, "PNG")) {
            err << "cannot write " << path << "\n";
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
