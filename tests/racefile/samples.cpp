#include "samples.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QtTest>

RaceState sampleRace(int runners)
{
    RaceState race;
    race.raceDate = QStringLiteral("99/05/16");
    race.raceNumber = 7;
    race.raceName = QStringLiteral("テスト記念");
    race.gradedText = QStringLiteral("ＧⅢ");
    race.courseName = QStringLiteral("東京競馬場");
    race.distanceText = QStringLiteral("1600m");
    race.ticketCount = 4;
    race.runnerCount = static_cast<std::int16_t>(runners);
    race.aimMode = 1;
    for (int r = 0; r < runners && r < maxRunners; ++r) {
        race.runnerNames[static_cast<std::size_t>(r)] = QStringLiteral("ウマ%1").arg(r + 1);
        race.markSheet[static_cast<std::size_t>(r)][0] = static_cast<std::int16_t>(r % 3);
        race.markSheet[static_cast<std::size_t>(r)][5] = 1;
    }
    return race;
}

QByteArray sjis(const QString& text)
{
    QStringEncoder encoder("CP932", QStringEncoder::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        qFatal("test text not in code page 932");
    return bytes;
}

QByteArray crlfLines(const std::vector<QByteArray>& lines)
{
    QByteArray bytes;
    for (const QByteArray& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

QByteArray crlfLines(std::initializer_list<QByteArray> lines) { return crlfLines(std::vector<QByteArray>(lines)); }

std::vector<QByteArray> raceLines(int runners, const QByteArray& first, const QByteArray& second,
                                  const QByteArray& payout, const QByteArray& stake, const QByteArray& income)
{
    std::vector<QByteArray> lines = {"99/05/16", " 7 ", sjis(QStringLiteral("テスト記念")),      "",   "",
                                     "1600m",    " 4 ", " " + QByteArray::number(runners) + " ", " 0 "};
    for (int r = 0; r < runners; ++r)
        lines.push_back("U" + QByteArray::number(r + 1));
    for (int m = 0; m < 6 * runners; ++m)
        lines.push_back(" 0 ");
    for (const QByteArray& tail : {first, second, payout, stake, income})
        lines.push_back(tail);
    return lines;
}

std::vector<FuzzInput> fuzzInputs(const QString& folder)
{
    const QDir dir(folder);
    std::vector<FuzzInput> inputs;
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        const QByteArray bytes = fileBytes(dir.filePath(name));
        if (!name.endsWith(QStringLiteral(".hex"))) {
            inputs.push_back({name, bytes});
            continue;
        }
        int number = 0;
        for (const QByteArray& line : bytes.split('\n')) {
            if (!line.isEmpty() && !line.startsWith('#'))
                inputs.push_back({QStringLiteral("%1 #%2").arg(name).arg(++number), QByteArray::fromHex(line)});
        }
    }
    return inputs;
}
