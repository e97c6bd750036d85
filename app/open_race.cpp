#include "app/open_race.h"

#include "app/navigator.h"
#include "screens/dialogs.h"
#include "screens/saved_race_screen.h"

#include <QDir>
#include <QFileInfo>

bool showRaceFile(Navigator& navigator, Dialogs& dialogs, const QString& raceFolder, const QString& path)
{
    const QString title = QStringLiteral("レースを開く");
    const QFileInfo file(path);
    const QString shown = QDir::toNativeSeparators(file.absoluteFilePath());
    QString problem;
    if (!file.exists())
        problem = QStringLiteral("レースのファイル「%1」が見つかりません。");
    else if (!file.isFile() || file.suffix().compare(QStringLiteral("tkr"), Qt::CaseInsensitive) != 0)
        problem = QStringLiteral("「%1」はレースのファイル（*.tkr）ではないため、開けません。");
    else if (QFileInfo(file.absolutePath()).canonicalFilePath() != QFileInfo(raceFolder).canonicalFilePath())
        problem = QStringLiteral("レースのファイル「%1」のフォルダに入れないため、開けません。");
    if (!problem.isEmpty()) {
        dialogs.reportError(problem.arg(shown), title);
        return false;
    }
    navigator.show(ScreenId::Form2);
    navigator.show(ScreenId::Form6);
    auto* entry = dynamic_cast<SavedRaceScreen*>(navigator.screen(ScreenId::Form6));
    if (!entry || !entry->showRaceOfFile(file.fileName())) {
        dialogs.reportError(QStringLiteral("レースのファイル「%1」を一覧に見つけられませんでした。").arg(shown), title);
        return false;
    }
    return true;
}
