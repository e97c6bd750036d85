// Grabs the race conditions, mark sheet and prediction result screens into PNG files, to compare them with their
// layouts by eye. Usage: entry_screenshots [folder]   (default: the current folder)
#include "app/main_window.h"
#include "screens/control_table.h"
#include "scripted_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>

#include <functional>

namespace {
// The example race of eight runners: ◎ ○ △ ▲ × ★ per horse.
const int exampleMarks[8][6] = {{2, 1, 0, 0, 0, 0}, {1, 2, 1, 0, 0, 0}, {1, 0, 2, 1, 0, 0}, {0, 2, 1, 1, 0, 0},
                                {0, 1, 0, 1, 1, 0}, {0, 0, 1, 0, 1, 1}, {0, 0, 0, 1, 0, 1}, {0, 0, 0, 0, 0, 0}};

void describeRace(RaceState& race, int runners, int tickets)
{
    race.raceDate = QStringLiteral("24/12/22");
    race.raceNumber = 11;
    race.raceName = QStringLiteral("有馬記念");
    race.gradedText = QStringLiteral("ＧⅠ");
    race.courseName = QStringLiteral("中山競馬場");
    race.distanceText = QStringLiteral("2500m");
    race.runnerCount = static_cast<std::int16_t>(runners);
    race.ticketCount = static_cast<std::int16_t>(tickets);
}

void markExample(Module1& module)
{
    for (int r = 0; r < 8; ++r)
        for (int k = 0; k < 6; ++k)
            module.race.markSheet[r][k] = static_cast<std::int16_t>(exampleMarks[r][k]);
}

// A sheet with the example marks spread over many runners, and a few names.
void markMany(Module1& module, Navigator& nav, int runners)
{
    Screen* sheet = nav.screen(ScreenId::Form4);
    for (int r = 0; r < runners; ++r) {
        for (int k = 0; k < 6; ++k)
            module.race.markSheet[r][k] = static_cast<std::int16_t>(exampleMarks[r % 8][k] * (1 + r % 3));
        QString caption;
        for (int k = 0; k < 6; ++k)
            caption += markSymbol(k).repeated(module.race.markSheet[r][k]);
        sheet->findChild<QLabel*>(QStringLiteral("Label8(%1)").arg(r))->setText(caption);
    }
    const QStringList names = {"サ｜フ｜ン", "ゴ｜ルドシップ", "キタサンブラック"};
    for (int r = 0; r < std::min<int>(runners, names.size()); ++r)
        sheet->findChild<QPlainTextEdit*>(QStringLiteral("Text1(%1)").arg(r))->setPlainText(names[r]);
}

struct Shot {
    const char* fileName;
    std::function<void(Module1&, Navigator&)> setup;
};
} // namespace

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    registerFontSubstitutions();
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());

    const Shot shots[] = {
        {"form3.png",
         [](Module1& module, Navigator& nav) {
             describeRace(module.race, 16, 4);
             nav.show(ScreenId::Form3);
             nav.screen(ScreenId::Form3)->findChild<QLineEdit*>(QStringLiteral("Text5"))->setFocus();
         }},
        {"form4_3.png",
         [](Module1& module, Navigator& nav) {
             describeRace(module.race, 3, 4);
             nav.show(ScreenId::Form4);
             markMany(module, nav, 3);
         }},
        {"form4_21.png",
         [](Module1& module, Navigator& nav) {
             describeRace(module.race, 21, 4);
             nav.show(ScreenId::Form4);
             markMany(module, nav, 21);
         }},
        {"form5_8.png",
         [](Module1& module, Navigator& nav) {
             describeRace(module.race, 8, 12);
             nav.show(ScreenId::Form4);
             markExample(module);
             nav.show(ScreenId::Form5);
         }},
        {"form5_18.png",
         [](Module1& module, Navigator& nav) {
             describeRace(module.race, 18, 6);
             nav.show(ScreenId::Form4);
             markMany(module, nav, 18);
             nav.show(ScreenId::Form5);
         }},
    };
    int failures = 0;
    for (const Shot& shot : shots) {
        Module1 module;
        ScriptedDialogs dialogs;
        MainWindow window(module, dialogs);
        window.navigator().setOnEnd([] {});
        window.show();
        shot.setup(module, window.navigator());
        QCoreApplication::processEvents();
        if (!window.grab().save(folder.filePath(QString::fromUtf8(shot.fileName)), "PNG"))
            ++failures;
    }
    return failures == 0 ? 0 : 1;
}
