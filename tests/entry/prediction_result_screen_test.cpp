#include "entry_helpers.h"
#include "screens/name_columns.h"
#include "screens/prediction_result_screen.h"
#include "test_main.h"

#include "core/proposal_text.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QTextDocument>

using entry::settle;

namespace {
using MarkRows = QList<QList<int>>; // per runner: ◎ ○ △ ▲ × ★

// The example race of eight runners from the engine's design notes.
const MarkRows exampleRace = {{2, 1, 0, 0, 0, 0}, {1, 2, 1, 0, 0, 0}, {1, 0, 2, 1, 0, 0}, {0, 2, 1, 1, 0, 0},
                              {0, 1, 0, 1, 1, 0}, {0, 0, 1, 0, 1, 1}, {0, 0, 0, 1, 0, 1}, {0, 0, 0, 0, 0, 0}};

QString cell(int value) { return QStringLiteral("   ") + QString::number(value); }
} // namespace

class PredictionResultScreenTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<AppHarness> app;

    QLabel* label(const QString& name) { return app->find<QLabel>(ScreenId::Form5, name); }
    QLabel* element(const char* array, int i) { return label(QStringLiteral("%1(%2)").arg(array).arg(i)); }

    // Enters the marks on the mark sheet as the user does, sets the ticket box and presses "予想します".
    void predict(const MarkRows& marks, int runners, int tickets)
    {
        app->module.race.runnerCount = static_cast<std::int16_t>(runners);
        app->nav().show(ScreenId::Form4);
        for (int kind = 0; kind < markKindCount; ++kind) {
            QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command%1").arg(kind + 2)));
            for (int r = 0; r < marks.size(); ++r) {
                auto* marksOf = app->find<QLabel>(ScreenId::Form4, QStringLiteral("Label8(%1)").arg(r));
                for (int n = 0; n < marks[r][kind]; ++n)
                    QTest::mouseClick(marksOf, Qt::LeftButton);
            }
        }
        app->find<QLineEdit>(ScreenId::Form4, QStringLiteral("Text2"))->setText(QString::number(tickets));
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command10")));
        QCOMPARE(app->nav().front()->screenId(), ScreenId::Form5);
    }

    QStringList shownTickets()
    {
        QStringList tickets;
        for (int t = 0; QLabel* ticket = element("Label49", t); ++t)
            if (ticket->isVisible())
                tickets << ticket->text();
        return tickets;
    }

    QList<int> gradedColumns(const char* array, int runners)
    {
        QList<int> columns;
        for (int i = 0; i < runners; ++i)
            if (!element(array, i)->text().isEmpty())
                columns << i;
        return columns;
    }

private slots:
    void init()
    {
        app = std::make_unique<AppHarness>();
        app->module.race.ticketCount = 4;
    }
    void cleanup()
    {
        app.reset();
        settle();
    }

    void workedExample_data()
    {
        QTest::addColumn<int>("tickets");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<bool>("note");
        QTest::newRow("six tickets") << 6 << QStringList{"1 － 4", "2 － 4", "3 － 4", "1 － 2", "1 － 5", "1 － 3"}
                                     << false;
        QTest::newRow("twelve asked, ten found") << 12 << QStringList{"1 － 4", "2 － 4", "3 － 4", "1 － 2", "1 － 5",
                                                                      "1 － 3", "2 － 3", "2 － 5", "2 － 6", "2 － 7"}
                                                 << true;
    }
    void workedExample()
    {
        QFETCH(int, tickets);
        QFETCH(QStringList, shown);
        QFETCH(bool, note);
        predict(exampleRace, 8, tickets);

        const int favScores[] = {5, 4, 2, 2, 1, 0, 0, 0};
        const int quinellaScores[] = {2, 5, 3, 6, 4, 3, 2, 0};
        const int quinellaRanks[] = {6, 2, 4, 1, 3, 5, 7, 8};
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(element("Label23", i)->text(), QString::number(i + 1));
            QCOMPARE(element("Label24", i)->text(), cell(exampleRace[i][0]));
            QCOMPARE(element("Label25", i)->text(), cell(exampleRace[i][1]));
            QCOMPARE(element("Label26", i)->text(), cell(favScores[i]));
            QCOMPARE(element("Label27", i)->text(), cell(i + 1));
            QCOMPARE(element("Label29", i)->text(), cell(exampleRace[i][1]));
            QCOMPARE(element("Label30", i)->text(),
                     cell(exampleRace[i][2] + exampleRace[i][3] + exampleRace[i][4] + exampleRace[i][5]));
            QCOMPARE(element("Label31", i)->text(), cell(quinellaScores[i]));
            QCOMPARE(element("Label32", i)->text(), cell(quinellaRanks[i]));
        }
        QCOMPARE(gradedColumns("Label28", 8), (QList<int>{0, 1}));
        QCOMPARE(element("Label28", 0)->text(), QStringLiteral("   C"));
        QCOMPARE(element("Label28", 1)->text(), QStringLiteral("   C"));
        QCOMPARE(gradedColumns("Label33", 8), (QList<int>{1, 3}));
        QCOMPARE(element("Label33", 3)->text(), QStringLiteral("   B"));
        QCOMPARE(element("Label33", 1)->text(), QStringLiteral("   B"));

        QCOMPARE(label("Label35")->text(), cell(14));
        QCOMPARE(label("Label37")->text(), QStringLiteral("0.357"));
        QCOMPARE(label("Label39")->text(), QStringLiteral("0.643"));
        QCOMPARE(label("Label41")->text(), cell(25));
        QCOMPARE(label("Label43")->text(), QStringLiteral("0.240"));
        QCOMPARE(label("Label45")->text(), QStringLiteral("0.440"));
        QCOMPARE(label("Label47")->text(), QStringLiteral("3本軸"));

        QCOMPARE(shownTickets(), shown);
        QCOMPARE(label("Label48")->geometry(), QRect(233, 50, 80, 20));
        for (int t = 0; t < shown.size(); ++t)
            QCOMPARE(element("Label49", t)->geometry(), QRect(233, 70 + 20 * t, 80, 20));
        QCOMPARE(label("Label10")->isVisible(), note);
        if (note)
            QCOMPARE(label("Label10")->geometry(), QRect(233, 270, 89, 33));
        QVERIFY(label("Label50")->isVisible());
    }

    void placement_data()
    {
        QTest::addColumn<int>("runners");
        QTest::addColumn<int>("listLeft"); // in pixels; -1: wherever it fits left of the table
        QTest::newRow("8 runners") << 8 << 233;
        QTest::newRow("18 runners") << 18 << 33;
        QTest::newRow("19 runners") << 19 << 13;
        QTest::newRow("20 runners") << 20 << -1;
        QTest::newRow("21 runners") << 21 << -1;
    }
    void placement()
    {
        QFETCH(int, runners);
        QFETCH(int, listLeft);
        MarkRows marks(runners, QList<int>(6, 0));
        marks[0] = {3, 0, 0, 0, 0, 0};
        marks[1] = {0, 2, 0, 0, 0, 0};
        marks[runners - 1] = {0, 1, 2, 0, 0, 0};
        predict(marks, runners, 12); // more than the marks give: the note shows too

        const int tops[] = {50, 67, 110, 153, 196, 239, 282, 325, 368, 411, 454};
        // Horse 1 on the right, then every 350 twips (23 1/3 pixels) to the left.
        const int lefts[] = {532, 508, 485, 462, 438, 415, 392, 368, 345, 322, 298,
                             275, 252, 228, 205, 182, 158, 135, 112, 88,  65};
        const char* arrays[] = {"Label23", "Label24", "Label25", "Label26", "Label27", "Label28",
                                "Label29", "Label30", "Label31", "Label32", "Label33"};
        QList<QRect> table;
        for (int i = 0; i < runners; ++i) {
            for (int row = 0; row < 11; ++row) {
                QLabel* c = element(arrays[row], i);
                QVERIFY(c && c->isVisible());
                QCOMPARE(c->geometry(), QRect(lefts[i], tops[row], 23, row == 0 ? 17 : 43));
                table << c->geometry();
            }
        }
        QVERIFY(!element("Label23", runners));
        QCOMPARE(element("Label23", runners - 1)->text(), QString::number(runners));

        const qsizetype tickets = shownTickets().size();
        QVERIFY(tickets > 0);
        QVERIFY(label("Label10")->isVisible());
        if (listLeft >= 0) {
            QCOMPARE(label("Label48")->geometry(), QRect(listLeft, 50, 80, 20));
            QCOMPARE(element("Label49", 0)->geometry(), QRect(listLeft, 70, 80, 20));
            QCOMPARE(label("Label10")->geometry(), QRect(listLeft, 70 + 20 * int(tickets), 89, 33));
        }
        // Every part of the list is inside the window, clear of the table, and its text is not cut.
        QList<QLabel*> parts = {label("Label48"), label("Label10")};
        for (int t = 0; t < tickets; ++t)
            parts << element("Label49", t);
        const QRect window = app->nav().front()->rect();
        for (QLabel* part : parts) {
            QVERIFY2(window.contains(part->geometry()), qPrintable(part->objectName()));
            for (const QRect& c : table)
                QVERIFY2(!part->geometry().intersects(c), qPrintable(part->objectName()));
            if (!part->wordWrap())
                QVERIFY2(part->fontMetrics().horizontalAdvance(part->text()) <= part->contentsRect().width(),
                         qPrintable(part->objectName()));
        }
    }

    void noteNeedsFavouriteMarks_data()
    {
        QTest::addColumn<MarkRows>("marks");
        QTest::addColumn<bool>("note");
        QTest::addColumn<QString>("favTopRate");
        QTest::addColumn<QString>("quinellaTopRate");
        // Only ◎: no runner can partner the favourite, so no ticket at all, and the quinella rates are absent.
        QTest::newRow("◎ alone, no ticket")
            << MarkRows{{2, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}} << true << "1.000"
            << "";
        // Neither ◎ nor ○: a short list carries no note.
        QTest::newRow("no ◎ and no ○") << MarkRows{{0, 0, 3, 0, 0, 0}, {0, 0, 0, 2, 0, 0}, {0, 0, 0, 0, 1, 0}} << false
                                       << ""
                                       << "0.500";
    }
    void noteNeedsFavouriteMarks()
    {
        QFETCH(MarkRows, marks);
        QFETCH(bool, note);
        QFETCH(QString, favTopRate);
        QFETCH(QString, quinellaTopRate);
        predict(marks, 3, 6);
        QVERIFY(shownTickets().size() < 6);
        QCOMPARE(label("Label10")->isVisible(), note);
        if (note)
            QCOMPARE(label("Label10")->geometry().topLeft(),
                     QPoint(333, 70 + 20 * static_cast<int>(shownTickets().size())));
        QCOMPARE(label("Label37")->text(), favTopRate);
        QCOMPARE(label("Label43")->text(), quinellaTopRate);
    }

    void laterActivationLeavesNothingStale()
    {
        predict(exampleRace, 8, 12);
        QCOMPARE(shownTickets().size(), 10);
        QVERIFY(label("Label10")->isVisible());

        // New marks behind the screen's back: one clear favourite and two partners.
        RaceState& race = app->module.race;
        for (auto& row : race.markSheet)
            row.fill(0);
        race.markSheet[5][0] = 10;
        race.markSheet[6][1] = 2;
        race.markSheet[7][2] = 1;
        race.ticketCount = 2;
        app->nav().show(ScreenId::Form5);

        QCOMPARE(shownTickets(), (QStringList{"6 － 7", "6 － 8"}));
        QCOMPARE(element("Label49", 2)->isVisible(), false);
        QVERIFY(!label("Label10")->isVisible());
        QCOMPARE(label("Label47")->text(), QStringLiteral("1本軸"));
        QCOMPARE(gradedColumns("Label28", 8), (QList<int>{5, 6}));
        QCOMPARE(element("Label28", 5)->text(), QStringLiteral("   A"));
        QCOMPARE(gradedColumns("Label33", 8), (QList<int>{6, 7}));
    }

    // However many tickets there are, each can be seen inside the window, clear of the table and of "必勝を祈る！！":
    // a list that fits its column keeps today's places, a longer one scrolls in the column's place.
    // Every proposed horse's name can be read whole, at any number of runners, without moving anything of the screen.
    void namesWhole_data()
    {
        QTest::addColumn<int>("runners");
        QTest::newRow("16 runners") << 16;
        QTest::newRow("18 runners") << 18;
        QTest::newRow("21 runners") << 21;
    }
    void namesWhole()
    {
        QFETCH(int, runners);
        // Marks spread so that many horses are proposed; nine-character names of one stable, told apart at the end.
        MarkRows marks(runners, QList<int>(6, 0));
        for (int r = 0; r < runners; ++r)
            marks[r] = {r % 4 == 0 ? 2 : 0, r % 3 == 0 ? 2 : 1, 1, 0, 0, 0};
        const QString endings = QStringLiteral("アイウエオカキクケコサシスセソタチツテトナ");
        app->module.race.runnerCount = static_cast<std::int16_t>(runners);
        app->nav().show(ScreenId::Form4); // a new sheet starts without names
        for (int r = 0; r < runners; ++r)
            app->module.race.runnerNames[static_cast<std::size_t>(r)] = QStringLiteral("ロングネームホー") + endings[r];
        predict(marks, runners, 12);
        settle();
        QWidget* form = app->nav().screen(ScreenId::Form5);
        QLabel* names = label(QStringLiteral("ticketNames"));
        QVERIFY(names && names->isVisible());
        QSet<int> proposed;
        for (const QString& ticket : shownTickets())
            for (const QString& number : ticket.split(QStringLiteral(" － ")))
                proposed.insert(number.toInt());
        QVERIFY2(proposed.size() >= 6, qPrintable(shownTickets().join(u',')));
        const QStringList lines = names->text().split(u'\n');
        QCOMPARE(lines.size(), proposed.size());
        for (const int horse : proposed) {
            const QString line = QStringLiteral("%1 ロングネームホー%2").arg(horse, 2).arg(endings[horse - 1]);
            QVERIFY2(lines.contains(line), qPrintable(line));
        }
        // The tooltip shows the same names, as plain text however they are spelt.
        QTextDocument tip;
        tip.setHtml(names->toolTip());
        QStringList tipLines = tip.toPlainText().replace(QChar::LineSeparator, u'\n').split(u'\n', Qt::SkipEmptyParts);
        QStringList trimmed;
        for (const QString& line : lines)
            trimmed += line.trimmed();
        for (QString& line : tipLines)
            line = line.trimmed();
        QCOMPARE(tipLines, trimmed);
        // Set whole within the label, and the label clear of every other control, within the window.
        QVERIFY(!columnPlaces(lines, QFontMetrics(names->font()), names->contentsRect().size()).empty());
        QVERIFY(names->font().pointSizeF() >= 6.75);
        QVERIFY(form->rect().contains(names->geometry()));
        QMap<QString, QRect> placed;
        for (QWidget* other : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (other == names || !other->isVisible())
                continue;
            placed.insert(other->objectName(), other->geometry());
            QVERIFY2(!other->geometry().intersects(names->geometry()), qPrintable(other->objectName()));
        }
        // Without names the same race shows everything else at the same places.
        QVERIFY(app->click(ScreenId::Form5, QStringLiteral("Command1")));
        for (QString& name : app->module.race.runnerNames)
            name.clear();
        QVERIFY(app->click(ScreenId::Form4, QStringLiteral("Command10")));
        settle();
        form = app->nav().screen(ScreenId::Form5);
        QVERIFY(!label(QStringLiteral("ticketNames"))->isVisible());
        for (QWidget* other : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (other->isVisible())
                QCOMPARE(other->geometry(), placed.value(other->objectName()));
        }
    }

    void everyTicketCanBeSeen_data()
    {
        QTest::addColumn<int>("runners");
        QTest::addColumn<int>("tickets");
        QTest::addColumn<bool>("note");
        QTest::addColumn<QRect>("column"); // the first ticket's place while the list fits; empty: it scrolls
        QTest::newRow("12 tickets") << 8 << 12 << false << QRect(233, 70, 80, 20);
        QTest::newRow("22 tickets, the most above 必勝を祈る") << 8 << 22 << false << QRect(233, 70, 80, 20);
        QTest::newRow("20 tickets and the note, 21 runners") << 21 << 20 << true << QRect(1, 70, 63, 20);
        QTest::newRow("23 tickets") << 8 << 23 << false << QRect();
        QTest::newRow("30 tickets and the note") << 16 << 30 << true << QRect();
        QTest::newRow("30 tickets, 20 runners") << 20 << 30 << false << QRect();
        QTest::newRow("210 tickets, every pair of 21 runners") << 21 << 210 << false << QRect();
    }
    void everyTicketCanBeSeen()
    {
        QFETCH(int, runners);
        QFETCH(int, tickets);
        QFETCH(bool, note);
        QFETCH(QRect, column);
        app->module.race.runnerCount = static_cast<std::int16_t>(runners);
        app->nav().show(ScreenId::Form5);
        auto* form = qobject_cast<Form5*>(app->nav().screen(ScreenId::Form5));
        QVERIFY(form);
        std::vector<std::pair<int, int>> pairs;
        QStringList texts;
        for (int a = 0; a < runners && int(pairs.size()) < tickets; ++a)
            for (int b = a + 1; b < runners && int(pairs.size()) < tickets; ++b) {
                pairs.emplace_back(a, b);
                texts << QStringLiteral("%1 － %2").arg(a + 1).arg(b + 1);
            }
        QCOMPARE(int(pairs.size()), tickets);
        form->showTicketList(pairs, note);
        settle();

        auto* scroll = form->findChild<QScrollArea*>(QStringLiteral("ticketScroll"));
        QVERIFY(scroll);
        QCOMPARE(scroll->isVisible(), column.isEmpty());
        const int tableLeft = element("Label23", runners - 1)->x();
        const QRect prayer = label("Label50")->geometry();
        QList<QLabel*> parts;
        for (int t = 0; t < tickets; ++t) {
            QLabel* ticket = element("Label49", t);
            QCOMPARE(ticket->text(), texts[t]);
            parts << ticket;
            if (!column.isEmpty())
                QCOMPARE(ticket->geometry(), column.translated(0, 20 * t));
        }
        if (note)
            parts << label("Label10");
        QCOMPARE(shownTickets(), texts);
        for (QLabel* part : parts) {
            if (scroll->isVisible())
                scroll->ensureWidgetVisible(part, 0, 0);
            const QRect place(part->mapTo(form, QPoint(0, 0)), part->size());
            QVERIFY2(form->rect().contains(place), qPrintable(part->objectName()));
            QVERIFY2(place.right() < tableLeft, qPrintable(part->objectName()));
            QVERIFY2(!place.intersects(prayer), qPrintable(part->objectName()));
            if (scroll->isVisible()) {
                const QRect viewport(scroll->viewport()->mapTo(form, QPoint(0, 0)), scroll->viewport()->size());
                QVERIFY2(viewport.contains(place), qPrintable(part->objectName()));
            }
            // The numbers are never cut: a narrow ticket shows them without the blanks between.
            if (!part->wordWrap())
                QVERIFY2(part->fontMetrics().horizontalAdvance(QString(part->text()).remove(u' '))
                             <= part->contentsRect().width(),
                         qPrintable(part->objectName()));
        }
        if (scroll->isVisible()) {
            const QRect area = scroll->geometry();
            QVERIFY(form->rect().contains(area));
            QVERIFY(area.right() < tableLeft);
            QVERIFY(!area.intersects(prayer));
            QCOMPARE(area.topLeft(), label("Label48")->geometry().bottomLeft() + QPoint(0, 1));
        }
    }

    void headerAndBack()
    {
        RaceState& race = app->module.race;
        race.raceDate = QStringLiteral("24/12/22");
        race.raceName = QStringLiteral("有馬記念");
        race.courseName = QStringLiteral("中山競馬場");
        predict({{1, 0, 0, 0, 0, 0}, {0, 1, 0, 0, 0, 0}}, 2, 4);
        QCOMPARE(label("Label1")->text(), race.raceDate);
        QCOMPARE(label("Label3")->text(), QString());
        QCOMPARE(label("Label4")->text(), race.raceName);
        QCOMPARE(label("Label2")->text(), race.courseName);

        QVERIFY(app->click(ScreenId::Form5, QStringLiteral("Command1")));
        settle();
        QVERIFY(!app->nav().isLoaded(ScreenId::Form5));
        QCOMPARE(app->nav().front()->screenId(), ScreenId::Form4);
        QCOMPARE(app->module.race.markSheet[1][1], std::int16_t(1));
    }

    // The proposal leaves by the clipboard as the text of the race and its tickets, or the tickets alone.
    void copyTheProposal_data()
    {
        QTest::addColumn<QString>("how"); // an action of the copy button's menu, or a key
        QTest::addColumn<bool>("ticketsOnly");
        QTest::newRow("menu") << "copyWhole" << false;
        QTest::newRow("Ctrl+C") << "Ctrl+C" << false;
        QTest::newRow("tickets alone") << "copyTickets" << true;
        QTest::newRow("Ctrl+Shift+C") << "Ctrl+Shift+C" << true;
    }
    void copyTheProposal()
    {
        QFETCH(QString, how);
        QFETCH(bool, ticketsOnly);
        RaceState& race = app->module.race;
        race.raceName = QStringLiteral("有馬記念");
        QApplication::clipboard()->clear();
        predict(exampleRace, 8, 4);
        auto* back = app->find<QPushButton>(ScreenId::Form5, QStringLiteral("Command1"));
        if (how == u"Ctrl+C")
            QTest::keyClick(back, Qt::Key_C, Qt::ControlModifier);
        else if (how == u"Ctrl+Shift+C")
            QTest::keyClick(back, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        else
            app->find<QPushButton>(ScreenId::Form5, QStringLiteral("copyProposal"))
                ->menu()
                ->findChild<QAction*>(how)
                ->trigger();
        const PredictionResult result = runPrediction(race.markSheet, race.runnerCount, race.ticketCount);
        const QString copied = QApplication::clipboard()->text();
        QCOMPARE(copied, ticketsOnly ? ticketsText(result) : proposalText(race, result));
        QCOMPARE(copied.count(u'-'), shownTickets().size());
        QVERIFY(!label("copyNote")->text().isEmpty());
    }
};

TOKIRO_TEST_MAIN(PredictionResultScreenTest)
#include "prediction_result_screen_test.moc"
