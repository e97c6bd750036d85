#include "screens/race_header.h"

#include "core/race_state.h"
#include "screens/control_table.h"

#include <QLabel>

RaceHeader buildRaceHeader(QWidget* screen, int top, double formPointSize)
{
    auto box = [&](const char* name, int left, int width) {
        const ControlLine line{.name = name,
                               .kind = ControlKind::Label,
                               .left = left,
                               .top = top,
                               .width = width,
                               .height = 330,
                               .fore = black,
                               .back = lightYellow,
                               .pointSize = 12,
                               .border = true,
                               .align = Align::Centre};
        return static_cast<QLabel*>(buildControl(screen, line, formPointSize));
    };
    RaceHeader header;
    header.Label1 = box("Label1", 600, 1575);
    header.Label3 = box("Label3", 2400, 1815);
    header.Label4 = box("Label4", 4440, 3135);
    header.Label5 = box("Label5", 7800, 735);
    header.Label2 = box("Label2", 8760, 1815);
    header.Label6 = box("Label6", 10800, 855);
    return header;
}

void fillRaceHeader(const RaceHeader& header, const RaceState& race)
{
    header.Label1->setText(race.raceDate);
    if (race.raceNumber != 0)
        header.Label3->setText(QStringLiteral("第%1レース").arg(race.raceNumber));
    header.Label4->setText(race.raceName);
    header.Label5->setText(race.gradedText);
    header.Label2->setText(race.courseName);
    header.Label6->setText(race.distanceText);
}
