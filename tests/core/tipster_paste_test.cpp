#include "core/pasted_table.h"
#include "core/tipster_grid.h"
#include "core/tipster_paste.h"
#include "core_test_main.h"

#include <QtTest>

namespace {

// What a marks paste read, as a paper prints it: 「◎3 ○7」, or 「本紙：◎1|記者A：◎2」 for a table.
QString readMarks(const PastedMarks& pasted)
{
    if (pasted.table.empty())
        return marksAsPrinted(pasted.marks);
    QStringList columns;
    for (const PastedMarkColumn& column : pasted.table)
        columns += column.tipster + u'：' + marksAsPrinted(column.marks);
    return columns.join(u'|');
}

// The names read, as 「1 ドウデュース|2 イクイノックス」.
QString readNames(const PastedNames& pasted)
{
    QStringList names;
    for (const PastedName& name : pasted.names)
        names += QStringLiteral("%1 %2").arg(name.number).arg(name.name);
    return names.join(u'|');
}

} // namespace

// Marks and runner lists pasted as papers, sites and spreadsheets print them, and the pastes refused.
class TipsterPasteTest : public QObject {
    Q_OBJECT

private slots:
    void marks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("runners");
        QTest::addColumn<QString>("marks"); // what is read, ◎ ○ ▲ △ × ★ and by number; empty when refused
        QTest::addColumn<QString>("error"); // part of the refusal

        QTest::newRow("newspaper: mark then number") << "◎3 ○7 ▲1 △5 △12 ×9" << 16 << "◎3 ○7 ▲1 △5 △12 ×9"
                                                     << "";
        QTest::newRow("web card: full-width numbers with 番") << "◎３番　○７番　▲１番　☆１６番" << 16 << "◎3 ○7 ▲1 ★16"
                                                              << "";
        QTest::newRow("colon and comma") << "◎：3、○：10，注：4" << 10 << "◎3 ○10 ×4"
                                         << "";
        QTest::newRow("number then mark") << "3◎ 7○ 1▲" << 8 << "◎3 ○7 ▲1"
                                          << "";
        QTest::newRow("joined without blanks") << "◎3○7▲12" << 12 << "◎3 ○7 ▲12"
                                               << "";
        QTest::newRow("circled numbers") << "◎③ ○⑦ ▲① △⑫" << 12 << "◎3 ○7 ▲1 △12"
                                         << "";
        QTest::newRow("parenthesised numbers") << "◎(3) ○（７） ▲（１２）" << 12 << "◎3 ○7 ▲12"
                                               << "";
        QTest::newRow("a name after the number") << "◎３番ドウデュース ○７番" << 16 << "◎3 ○7"
                                                 << "";
        QTest::newRow("circled number and name, full-width blanks")
            << "◎③ドウデュース　○⑦イクイノックス　▲①リバティアイランド　▽⑤ジャスティンパレス" << 8 << "◎3 ○7 ▲1 △5"
            << "";
        QTest::newRow("title and note around the marks")
            << "【本紙の予想】\n\n◎3 ○7 ▲1\n△5 △12\n\n※印は前日のものです。\n"
            << 16 << "◎3 ○7 ▲1 △5 △12"
            << "";
        QTest::newRow("a dated heading and a race under the marks")
            << "2024年5月26日 東京11R\n◎3 ○7\n11R 日本ダービー\n"
            << 16 << "◎3 ○7"
            << "";
        QTest::newRow("a header of blank-separated labels")
            << "馬番 印 馬名\n1 ◎ ドウデュース\n2 ドウデュース\n3 ○ イクイノックス" << 3 << "◎1 ○3"
            << "";
        QTest::newRow("cells one to a line: number, mark") << "3\n◎\n7\n○\n"
                                                           << 8 << "◎3 ○7"
                                                           << "";
        QTest::newRow("spreadsheet rows: number, tab, mark") << "3\t◎\r\n7\t○\r\n1\t▲\r\n"
                                                             << 8 << "◎3 ○7 ▲1"
                                                             << "";
        QTest::newRow("spreadsheet with its header row") << "馬番\t印\r\n1\t\r\n2\t◎\r\n3\t\r\n4\t○\r\n5\t▽\r\n6\t\r\n"
                                                         << 6 << "◎2 ○4 △5"
                                                         << "";
        QTest::newRow("spreadsheet rows without a header, empty cells") << "1\t\n2\t◎\n3\t-\n4\t○\n"
                                                                        << 4 << "◎2 ○4"
                                                                        << "";
        // A site's race card copied row by row, the user's own mark column among the others.
        QTest::newRow("web card rows with a 印 column") << "枠\t馬番\t印\t馬名\t性齢\t斤量\t騎手\t人気\n"
                                                           "1\t1\t\tドウデュース\t牡5\t58.0\t武豊\t2\n"
                                                           "1\t2\t◎\tスターズオンアース\t牝5\t56.0\tルメール\t3\n"
                                                           "2\t3\t☆\tジャスティンパレス\t牡5\t58.0\tレーン\t5\n"
                                                        << 16 << "◎2 ★3"
                                                        << "";
        QTest::newRow("newspaper rows: frame, circled number, mark, name")
            << "１枠①　◎　ドウデュース　牡５\n１枠②　　　スターズオンアース　牝５\n２枠③　▲　ジャスティンパレス　牡５"
            << 3 << "◎1 ▲3"
            << "";
        QTest::newRow("column copied line by line, empty cells") << "\n\n◎\n\n\n○\n\n▲\n"
                                                                 << 10 << "◎3 ○6 ▲8"
                                                                 << "";
        QTest::newRow("a column under its header") << "本紙\n\n\n◎\n\n○\n"
                                                   << 6 << "◎3 ○5"
                                                   << "";
        QTest::newRow("race card mark column with stand-ins") << "☆\n-\n注\n〇\n・\n◯\nx\n▽\n"
                                                              << 8 << "○4 ○6 △8 ×3 ×7 ★1"
                                                              << "";

        // A site's 予想印 table: runners as rows, one column per tipster.
        QTest::newRow("mark table")
            << "予想印\n馬番\t馬名\t本紙\t記者A\t記者Ｂ\n1\tドウデュース\t◎\t\t△\n2\tイクイノックス\t\t◎\t\n"
               "3\tリバティアイランド\t○\t○\t◎\n4\tスターズオンアース\t\t▲\t○\n"
            << 4 << "本紙：◎1 ○3|記者A：◎2 ○3 ▲4|記者Ｂ：◎3 ○4 △1"
            << "";
        QTest::newRow("mark table with the frame and the odds")
            << "枠\t馬番\t馬名\t須藤\tCP予想\tオッズ\n1\t1\tドウデュース\t◎\t-\t3.5\n2\t2\tイクイノックス\t○\t◎\t1.8\n"
            << 2 << "須藤：◎1 ○2|CP予想：◎2"
            << "";
        QTest::newRow("spreadsheet table, nothing over the numbers") << "\t本紙\t記者A\n1\t◎\t\n2\t\t◎\n"
                                                                     << 2 << "本紙：◎1|記者A：◎2"
                                                                     << "";
        QTest::newRow("one tipster's column, named") << "馬番\t本紙\n1\t\n2\t◎\n"
                                                     << 2 << "本紙：◎2"
                                                     << "";

        QTest::newRow("number beyond the runners") << "◎3 ○17" << 16 << ""
                                                   << "馬番17";
        QTest::newRow("one runner twice") << "◎3 ○3" << 16 << ""
                                          << "3番に印が二つ";
        QTest::newRow("circled numbers, one runner twice") << "◎③ ○③" << 16 << ""
                                                           << "3番に印が二つ";
        QTest::newRow("mark without its number") << "◎3 ○" << 16 << ""
                                                 << "組になっていません";
        QTest::newRow("more lines than runners") << "◎\n○\n▲\n△" << 3 << ""
                                                 << "4行あります";
        QTest::newRow("a name between the marks of a column") << "◎\nドウデュース\n○\n"
                                                              << 3 << ""
                                                              << "2行目の「ドウデュース」";
        QTest::newRow("two tipsters in one paste") << "本紙 ◎3 ○7\n記者A ◎5 ○1" << 8 << ""
                                                   << "「本紙」";
        QTest::newRow("a jockey after the name") << "◎３番ドウデュース（武豊）" << 8 << ""
                                                 << "(武豊)";
        // A table copied cell by cell loses its columns: whose mark is which cannot be told.
        QTest::newRow("mark table copied cell by cell")
            << "馬番\n馬名\n本紙\n記者A\n1\nドウデュース\n◎\n\n2\nイクイノックス\n\n○\n"
            << 4 << ""
            << "6行目の「ドウデュース」";
        QTest::newRow("mark table without names, copied cell by cell") << "馬番\n本紙\n記者A\n1\n◎\n\n2\n\n○\n"
                                                                       << 4 << ""
                                                                       << "一つずつの行";
        QTest::newRow("table: a runner twice") << "馬番\t印\n2\t◎\n2\t○\n"
                                               << 4 << ""
                                               << "2番の行が二つ";
        QTest::newRow("table: a number beyond the runners") << "馬番\t印\n2\t◎\n9\t○\n"
                                                            << 4 << ""
                                                            << "馬番9";
        QTest::newRow("table: two marks in a cell") << "馬番\t本紙\t記者A\n1\t◎○\t◎\n"
                                                    << 4 << ""
                                                    << "「◎○」を「本紙」の印";
        QTest::newRow("table: a column of marks without a name beside named ones") << "馬番\t印\t本紙\n1\t◎\t○\n"
                                                                                   << 4 << ""
                                                                                   << "予想家の名前のない列";
        QTest::newRow("table: one tipster twice, spelt two ways") << "馬番\t記者B\t記者Ｂ\n1\t◎\t○\n"
                                                                  << 4 << ""
                                                                  << "二度";
        QTest::newRow("table: marks above the header") << "◎1\n馬番\t印\n2\t○\n"
                                                       << 4 << ""
                                                       << "見出しの行";
        QTest::newRow("table: marks on a row without a number") << "馬番\t印\n1\t◎\n計\t○\n"
                                                                << 4 << ""
                                                                << "3行目に馬番がありません";
        QTest::newRow("table without marks") << "馬番\t馬名\n1\tドウデュース\n"
                                             << 4 << ""
                                             << "印の列";
        QTest::newRow("only a title") << "本紙の予想" << 3 << ""
                                      << "印が見つかりません";
        QTest::newRow("column of no marks at all") << "－\n－\n"
                                                   << 4 << ""
                                                   << "ありません";
        QTest::newRow("nothing") << " \n\t\n"
                                 << 3 << ""
                                 << "ありません";
    }
    void marks()
    {
        QFETCH(QString, text);
        QFETCH(int, runners);
        QFETCH(QString, marks);
        QFETCH(QString, error);
        const PastedMarks pasted = parsePastedMarks(text, runners);
        QVERIFY2(pasted.ok == error.isEmpty(), qPrintable(pasted.error));
        if (pasted.ok) {
            QCOMPARE(readMarks(pasted), marks);
            for (const PastedMarkColumn& column : pasted.table)
                QCOMPARE(int(column.marks.size()), runners);
            if (pasted.table.empty())
                QCOMPARE(int(pasted.marks.size()), runners);
        } else {
            QVERIFY2(pasted.error.contains(error), qPrintable(pasted.error));
        }
    }

    void names_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("runners");
        QTest::addColumn<QString>("names");  // 「number name」 joined by |
        QTest::addColumn<QString>("report"); // part of what the paste says

        // A web race card's table copied row by row: frame, number, mark, name, sex and age, weight, jockey, trainer,
        // body weight, odds, popularity.
        QTest::newRow("web race card rows")
            << "枠\t馬番\t印\t馬名\t性齢\t斤量\t騎手\t厩舎\t馬体重\tオッズ\t人気\n"
               "1\t1\t\tドウデュース\t牡5\t58.0\t武豊\t栗東友道\t506(+2)\t3.5\t2\n"
               "1\t2\t◎\tスターズオンアース\t牝5\t56.0\tＣ．ルメール\t美浦高柳瑞\t470(0)\t6.1\t3\n"
               "2\t3\t\tジャスティンパレス\t牡5\t58.0\tレーン\t栗東杉山晴\t460(-2)\t9.8\t5\n"
            << 3 << "1 ドウデュース|2 スターズオンアース|3 ジャスティンパレス"
            << "3頭の馬名を貼り付けました";
        // The same card from a page that puts each cell on its own line.
        QTest::newRow("web race card, a cell to a line")
            << "枠\n馬番\n印\n馬名\n性齢\n斤量\n騎手\n1\n1\n--\nドウデュース\n牡5\n58.0\n武豊\n1\n2\n--\nスターズオンア"
               "ース\n牝5\n56.0\nＣ．ルメール\n"
            << 2 << "1 ドウデュース|2 スターズオンアース"
            << "";
        QTest::newRow("web race card, a cell to a line, no header")
            << "1\n1\n--\nドウデュース\n牡5\n58.0\n武豊\n3.5\n2\n1\n2\n--\nスターズオンアース\n牝5\n56.0\n"
            << 2 << "1 ドウデュース|2 スターズオンアース"
            << "";
        // A newspaper's runner list: number, name, sex and age, weight without decimals, jockey; full-width digits.
        QTest::newRow("newspaper list") << "１　ドウデュース　牡５　58　武豊\n２　ジャスティンパレス　牡５　58　ルメー"
                                           "ル\n３　ブローザホーン　牡５　58　菅原明"
                                        << 3 << "1 ドウデュース|2 ジャスティンパレス|3 ブローザホーン"
                                        << "";
        QTest::newRow("newspaper rows: frame and circled number")
            << "１枠①　ドウデュース　牡５\n１枠②　スターズオンアース　牝５\n２枠③　ジャスティンパレス　牡５\n"
            << 3 << "1 ドウデュース|2 スターズオンアース|3 ジャスティンパレス"
            << "";
        QTest::newRow("circled numbers") << "⑪ ドウデュース\n⑫ イクイノックス\n"
                                         << 12 << "11 ドウデュース|12 イクイノックス"
                                         << "1・2・3・4・5・6・7・8・9・10番の馬名は";
        QTest::newRow("half-width katakana") << "1 ﾄﾞｳﾃﾞｭｰｽ\r\n2 ｲｸｲﾉｯｸｽ\r\n"
                                             << 2 << "1 ドウデュース|2 イクイノックス"
                                             << "";
        QTest::newRow("spreadsheet: number and name")
            << "1\tイクイノックス\r\n2\tEnable" << 2 << "1 イクイノックス|2 Enable"
            << "";
        // A spreadsheet race card whose header holds key/value lines: 10 is the race, 「レース名」 no horse's name.
        QTest::newRow("spreadsheet card with key/value lines")
            << "レース\t10\nレース名\t鴨川特別\n枠番\t馬番\t馬名\n1\t1\tアカイイト\n6\t10\tカゼステラ\n8\t12\tブローザ"
               "ホーン\n"
            << 12 << "1 アカイイト|10 カゼステラ|12 ブローザホーン"
            << "";
        QTest::newRow("key/value lines without a header row")
            << "レース\t10\nレース名\tジャパンカップ\n1\tアカイイト\n10\tカゼステラ\n"
            << 12 << "1 アカイイト|10 カゼステラ"
            << "";
        QTest::newRow("key/value cells, a cell to a line")
            << "レース\n10\nレース名\nジャパンカップ\n1\nアカイイト\n10\nカゼステラ\n"
            << 12 << "1 アカイイト|10 カゼステラ"
            << "";
        // 馬番 before 枠番, the header saying so.
        QTest::newRow("馬番 before 枠番, tabs")
            << "馬番\t枠番\t馬名\n1\t1\tドウデュース\n6\t5\tカゼステラ\n12\t8\tブローザホーン\n"
            << 12 << "1 ドウデュース|6 カゼステラ|12 ブローザホーン"
            << "";
        QTest::newRow("馬番 before 枠番, blanks") << "馬番 枠 馬名\n6 5 カゼステラ\n7 5 スターズオンアース\n"
                                                  << 7 << "6 カゼステラ|7 スターズオンアース"
                                                  << "";
        QTest::newRow("馬番 before 枠番, a cell to a line")
            << "馬番\n枠番\n馬名\n6\n5\nカゼステラ\n7\n5\nスターズオンアース\n"
            << 7 << "6 カゼステラ|7 スターズオンアース"
            << "";

        // Without a header, rows whose frame would stand above its horse number were copied horse number first.
        QTest::newRow("馬番 before 枠番, no header") << "1\t1\tドウデュース\n6\t5\tカゼステラ\n12\t8\tブローザホーン\n"
                                                     << 12 << "1 ドウデュース|6 カゼステラ|12 ブローザホーン"
                                                     << "";
        QTest::newRow("frame and number in no one order")
            << "1\t1\tドウデュース\n6\t5\tカゼステラ\n2\t3\tブローザホーン\n"
            << 6 << "1 ドウデュース|3 ブローザホーン"
            << "2・4・5・6番の馬名はありません";
        QTest::newRow("a number given two names") << "1\tドウデュース\n2\tイクイノックス\n2\tリバティアイランド\n"
                                                  << 2 << "1 ドウデュース"
                                                  << "2番は馬名が二つ";
        QTest::newRow("the same card pasted twice") << "1 ドウデュース\n1 ドウデュース\n"
                                                    << 1 << "1 ドウデュース"
                                                    << "";
        QTest::newRow("a name cut at the end of the paste")
            << "1\tドウデュース\t牡5\t58.0\n2\tイクイノックス\t牡4\t58.0\n3\tリバティアイ" << 3
            << "1 ドウデュース|2 イクイノックス"
            << "3番の「リバティアイ」は途中で切れている";
        QTest::newRow("a name cut at the end, a cell to a line")
            << "1\n--\nドウデュース\n牡5\n2\n--\nイクイノックス\n牡4\n3\n--\nリバティアイ" << 3
            << "1 ドウデュース|2 イクイノックス"
            << "途中で切れている";
        QTest::newRow("a name cut at the end of a row the header makes longer")
            << "馬番\t馬名\t騎手\n1\tドウデュ" << 3 << ""
            << "途中で切れている";
        QTest::newRow("names at the ends of the rows are whole")
            << "1\tドウデュース\n2\tイクイノックス" << 2 << "1 ドウデュース|2 イクイノックス"
            << "";
        QTest::newRow("fewer runners than the race") << "1 ドウデュース\n2 イクイノックス\n"
                                                     << 4 << "1 ドウデュース|2 イクイノックス"
                                                     << "3・4番の馬名はありません";
        QTest::newRow("an 18-horse card into a 16-runner race")
            << "1 ドウデュース\n9 イクイノックス\n17 リバティアイランド\n18 ブローザホーン\n"
            << 16 << ""
            << "18番までありますが、このレースは16頭立て";
        QTest::newRow("a frame alone names no horse") << "1枠\nドウデュース\n"
                                                      << 8 << ""
                                                      << "見つかりませんでした";
        QTest::newRow("no numbers, no names") << "ドウデュース\nイクイノックス" << 16 << ""
                                              << "見つかりませんでした";
    }
    void names()
    {
        QFETCH(QString, text);
        QFETCH(int, runners);
        QFETCH(QString, names);
        QFETCH(QString, report);
        const PastedNames pasted = parsePastedNames(text, runners);
        QCOMPARE(readNames(pasted), names);
        QVERIFY2(pasted.report.contains(report), qPrintable(pasted.report));
        QCOMPARE(pasted.ok, pasted.error.isEmpty());
        if (!pasted.ok)
            QVERIFY(pasted.names.empty());
        // Nothing said to be pasted that is not.
        if (names.isEmpty())
            QVERIFY2(!pasted.report.contains(QStringLiteral("貼り付けました")), qPrintable(pasted.report));
    }

    // The table reader keeps what a race card reader needs beside the names: frames, and where each runner stands.
    void runnerTableFrames()
    {
        const RunnerTable newspaper = readRunnerTable(QStringLiteral("２枠③　ジャスティンパレス\n8枠⑰ ブローザホーン"));
        QCOMPARE(int(newspaper.rows.size()), 2);
        QCOMPARE(newspaper.rows[0].frame, 2);
        QCOMPARE(newspaper.rows[0].number, 3);
        QCOMPARE(newspaper.rows[1].frame, 8);
        QCOMPARE(newspaper.rows[1].line, 2);
        const RunnerTable card = readRunnerTable(QStringLiteral("タイトル\n馬番\t枠番\t馬名\n6\t5\tカゼステラ\n"));
        QCOMPARE(card.header, QStringList({"馬番", "枠番", "馬名"}));
        QCOMPARE(card.rows.front().frame, 5);
        QCOMPARE(card.rows.front().number, 6);
        QCOMPARE(card.passedLines, 1);
    }

    void tipsterIdentityFoldsSpellings()
    {
        QCOMPARE(tipsterIdentity(QStringLiteral("記者Ｂ")), tipsterIdentity(QStringLiteral("記者B")));
        QCOMPARE(tipsterIdentity(QStringLiteral("本　紙")), tipsterIdentity(QStringLiteral("本紙")));
        QVERIFY(tipsterIdentity(QStringLiteral("記者A")) != tipsterIdentity(QStringLiteral("記者B")));
    }
};

TOKIRO_CORE_TEST_MAIN(TipsterPasteTest)
#include "tipster_paste_test.moc"
