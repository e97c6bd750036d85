#include "core_test_main.h"
#include "racefile/race_bytes.h"
#include "samples.h"

#include <QtTest>

// The race's surface in its block after the income line: written only for a race that has one, read back, kept by
// every save and rewrite where it stood, and a block that cannot be read reported and kept unchanged.
class SurfaceBlockTest : public QObject {
    Q_OBJECT

private slots:
    void written_data();
    void written();
    void read_data();
    void read();
    void keptByRewrites();
};

namespace {

QByteArray surfaceBlock(const QString& word, const QByteArray& version = "1")
{
    return crlfLines({sjis(QStringLiteral("[コース] ")) + version, sjis(word), sjis(QStringLiteral("[/コース]"))});
}

// One tipster giving ◎ to horse 1 of two.
QByteArray gridBlock()
{
    return crlfLines({sjis(QStringLiteral("[予想家ごとの印] 1")), " 1 ", sjis(QStringLiteral("本紙")),
                      sjis(QStringLiteral("◎・")), sjis(QStringLiteral("[/予想家ごとの印]"))});
}

RaceState twoRunners()
{
    RaceState race = sampleRace(2);
    for (auto& row : race.markSheet)
        row.fill(0);
    race.markSheet[0][0] = 1; // the ◎ of gridBlock's tipster
    return race;
}

QByteArray bytesOf(const RaceState& race, const AfterRace& after = {})
{
    QByteArray bytes;
    const FileResult built = raceFileBytes(race, TailLines{}, bytes, after);
    if (!built.ok)
        qWarning() << built.error;
    return bytes;
}

} // namespace

void SurfaceBlockTest::written_data()
{
    QTest::addColumn<int>("surface");
    QTest::addColumn<QString>("word");
    QTest::newRow("turf") << int(RaceSurface::Turf) << QStringLiteral("芝");
    QTest::newRow("dirt") << int(RaceSurface::Dirt) << QStringLiteral("ダート");
    QTest::newRow("jump") << int(RaceSurface::Jump) << QStringLiteral("障害");
}

void SurfaceBlockTest::written()
{
    QFETCH(int, surface);
    QFETCH(QString, word);
    // Without a surface the race is its own lines and nothing more: 14 + 7N lines ending in the income line.
    const RaceState plain = twoRunners();
    const QByteArray plainBytes = bytesOf(plain);
    QCOMPARE(plainBytes.count("\r\n"), 14 + 7 * 2);
    QVERIFY(plainBytes.endsWith("\r\n\r\n\r\n\r\n 0 \r\n"));

    // With one, the race's lines stay byte for byte and the block follows them; it reads back.
    RaceState race = plain;
    race.surface = static_cast<RaceSurface>(surface);
    QCOMPARE(bytesOf(race), plainBytes + surfaceBlock(word));
    LoadedRace loaded;
    QVERIFY(parseRaceFile(bytesOf(race), loaded).ok);
    QCOMPARE(int(loaded.race.surface), surface);
    QCOMPARE(loaded.after.surface.block, SurfaceBlock::Read);
    QCOMPARE(readRaceSurface(surfaceBlock(word)), static_cast<RaceSurface>(surface));

    // With a grid too, the surface comes first; both read back.
    RaceState both = race;
    addTipster(both, QStringLiteral("本紙"));
    setTipsterMark(both, 0, 0, 0);
    RaceState bothPlain = both;
    bothPlain.surface = RaceSurface::Unknown;
    bothPlain.tipsters = {};
    QCOMPARE(bytesOf(both), bytesOf(bothPlain) + surfaceBlock(word) + gridBlock());
    QVERIFY(parseRaceFile(bytesOf(both), loaded).ok);
    QCOMPARE(int(loaded.race.surface), surface);
    QCOMPARE(loaded.race.tipsters, both.tipsters);
}

void SurfaceBlockTest::read_data()
{
    QTest::addColumn<QByteArray>("after"); // the bytes after the income line
    QTest::addColumn<int>("block");        // SurfaceBlock
    QTest::addColumn<int>("surface");      // RaceSurface read
    QTest::addColumn<int>("problemLine");  // the line named for a damaged block
    QTest::addColumn<bool>("gridRead");
    const QByteArray turf = surfaceBlock(QStringLiteral("芝"));
    const QByteArray note = crlfLines({"note from another program"});
    const auto read = int(SurfaceBlock::Read);
    const auto damaged = int(SurfaceBlock::Damaged);
    const auto t = int(RaceSurface::Turf);
    const auto u = int(RaceSurface::Unknown);
    QTest::newRow("none") << QByteArray() << int(SurfaceBlock::None) << u << 0 << false;
    QTest::newRow("alone") << turf << read << t << 0 << false;
    QTest::newRow("before the grid") << turf + gridBlock() << read << t << 0 << true;
    QTest::newRow("after the grid, between other lines")
        << note + gridBlock() + note + turf + note << read << t << 0 << true;
    QTest::newRow("between other lines, no grid") << note + turf + note << read << t << 0 << false;
    QTest::newRow("unknown version") << surfaceBlock(QStringLiteral("芝"), "2") + gridBlock()
                                     << int(SurfaceBlock::UnknownVersion) << u << 0 << true;
    QTest::newRow("a word that is no surface") << surfaceBlock(QStringLiteral("砂")) << damaged << u << 30 << false;
    QTest::newRow("no version") << sjis(QStringLiteral("[コース]\r\n芝\r\n[/コース]\r\n")) << damaged << u << 29
                                << false;
    QTest::newRow("no end line, the grid after it")
        << sjis(QStringLiteral("[コース] 1\r\n芝\r\n")) + gridBlock() << damaged << u << 30 << true;
    QTest::newRow("cut at the end of the file")
        << sjis(QStringLiteral("[コース] 1\r\n芝")) << damaged << u << 30 << false;
}

void SurfaceBlockTest::read()
{
    QFETCH(QByteArray, after);
    QFETCH(int, block);
    QFETCH(int, surface);
    QFETCH(int, problemLine);
    QFETCH(bool, gridRead);
    const QByteArray raceBytes = bytesOf(twoRunners());
    const QByteArray original = raceBytes + after;

    // A block, read or not, never keeps the race from loading; one that cannot be read is said.
    LoadedRace loaded;
    const FileResult result = parseRaceFile(original, loaded, ReadScope::Whole, QStringLiteral("s.tkr"));
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(int(loaded.after.surface.block), block);
    QCOMPARE(int(loaded.race.surface), surface);
    QCOMPARE(loaded.after.surface.problemLine, problemLine);
    const bool unread = block == int(SurfaceBlock::Damaged) || block == int(SurfaceBlock::UnknownVersion);
    QCOMPARE(surfaceBlockProblem(loaded.after.surface).isEmpty(), !unread);
    QCOMPARE(loaded.after.block == GridBlock::Read, gridRead);
    QCOMPARE(readRaceSurface(after), static_cast<RaceSurface>(surface));

    // Saved with nothing changed, every byte stays where it stood.
    QCOMPARE(bytesOf(loaded.race, loaded.after), original);

    // Given another surface, the race's own block takes the place of the one found, and the rest stays.
    RaceState dirt = loaded.race;
    dirt.surface = RaceSurface::Dirt;
    const QByteArray saved = bytesOf(dirt, loaded.after);
    LoadedRace again;
    QVERIFY(parseRaceFile(saved, again).ok);
    QCOMPARE(again.race.surface, RaceSurface::Dirt);
    QCOMPARE(again.race.tipsters, loaded.race.tipsters);
    QCOMPARE(again.after.linesBefore + again.after.otherLines, loaded.after.linesBefore + loaded.after.otherLines);
    if (block != int(SurfaceBlock::None))
        QCOMPARE(again.after.surface.offset, loaded.after.surface.offset);
    QCOMPARE(bytesOf(again.race, again.after), saved);

    // A race that no longer has a surface drops a block it read whole, and keeps one it could not read.
    RaceState none = loaded.race;
    none.surface = RaceSurface::Unknown;
    QByteArray expected = original;
    if (block == int(SurfaceBlock::Read))
        expected.remove(expected.indexOf(surfaceBlock(QStringLiteral("芝"))),
                        surfaceBlock(QStringLiteral("芝")).size());
    QCOMPARE(bytesOf(none, loaded.after), expected);
}

void SurfaceBlockTest::keptByRewrites()
{
    // The result and balance rewrites change their lines only; the block after the income line stays as it was.
    RaceState race = twoRunners();
    race.surface = RaceSurface::Jump;
    addTipster(race, QStringLiteral("本紙"));
    setTipsterMark(race, 0, 0, 0);
    const QByteArray original = bytesOf(race);
    const QByteArray tail = original.sliced(original.indexOf(sjis(QStringLiteral("[コース]"))));
    for (const RewrittenLines which : {RewrittenLines::Results, RewrittenLines::Balance}) {
        QByteArray out;
        QVERIFY(rewrittenRaceBytes(original, QStringLiteral("s.tkr"), which, {1, 2, 3000}, out).ok);
        QVERIFY(out != original);
        QVERIFY(out.endsWith(tail));
        LoadedRace loaded;
        QVERIFY(parseRaceFile(out, loaded).ok);
        QCOMPARE(loaded.race.surface, RaceSurface::Jump);
    }
}

TOKIRO_CORE_TEST_MAIN(SurfaceBlockTest)
#include "surface_block_test.moc"
