#include "screens/saved_race_screen.h"

#include "racefile/race_folder.h"
#include "screens/folder_wait.h"
#include "screens/saved_race_common.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

SavedRaceScreen::SavedRaceScreen(ScreenId id, Module1& module, Navigation& navigation, Dialogs& dialogs,
                                 std::span<const ControlLine> controls, double formFont)
    : Screen(id, module, navigation, dialogs)
{
    buildSavedRaceHeader(this, "Label12", "Label10", "Label11");
    Label1 = build<QLabel>(this, controls, "Label1", formFont);
    List1 = build<QListWidget>(this, controls, "List1", formFont);
    Label5 = build<QLabel>(this, controls, "Label5", formFont);
    Label2 = build<QLabel>(this, controls, "Label2", formFont);
    Text1 = build<QLineEdit>(this, controls, "Text1", formFont);
    Label3 = build<QLabel>(this, controls, "Label3", formFont);
    Text2 = build<QLineEdit>(this, controls, "Text2", formFont);
    Label4 = build<QLabel>(this, controls, "Label4", formFont);
    Text3 = build<QLineEdit>(this, controls, "Text3", formFont);
    Command2 = build<QPushButton>(this, controls, "Command2", formFont);
    Command3 = build<QPushButton>(this, controls, "Command3", formFont);
    Command1 = build<QPushButton>(this, controls, "Command1", formFont);

    List1->setFont(savedRaceListFont());
    List1->setUniformItemSizes(true);
    Label5->setFont(savedRaceListFont());
    for (QLineEdit* box : {Text1, Text2, Text3})
        setInputMethod(box, false);
    setFirstFocus(List1);
    showFileNameTips(List1, [this](int row) {
        return row < static_cast<int>(catalogue.size()) ? catalogue[static_cast<std::size_t>(row)].fileName : QString();
    });
}

void SavedRaceScreen::backToMenu()
{
    navigation.close(screenId());
    navigation.show(ScreenId::Form2);
}

void SavedRaceScreen::listRacesAgain()
{
    Label5->clear();
    Text1->clear();
    Text2->clear();
    Text3->clear();
    List1->clear();
    listRaces();
    Command1->setFocus(Qt::OtherFocusReason);
}

bool SavedRaceScreen::showRaceOfFile(const QString& fileName)
{
    const auto found = std::ranges::find(catalogue, fileName, &CatalogueEntry::fileName);
    if (found == catalogue.end())
        return false;
    List1->setCurrentRow(static_cast<int>(found - catalogue.begin()));
    List1->scrollToItem(List1->currentItem(), QAbstractItemView::PositionAtCenter);
    // As a click on the line: each screen picks through its own handler.
    emit List1->itemClicked(List1->currentItem());
    return true;
}

const CatalogueEntry* SavedRaceScreen::pickRace()
{
    const int row = List1->currentRow();
    if (row < 0 || row >= static_cast<int>(catalogue.size()))
        return nullptr;
    const CatalogueEntry& entry = catalogue[static_cast<std::size_t>(row)];
    Label5->setText(List1->item(row)->text());
    module.selectedRaceFile = entry.fileName;
    return &entry;
}

FileResult SavedRaceScreen::readPickedRace(LoadedRace& loaded, ReadScope scope, CatalogueEntry* entry) const
{
    return RaceFolder(module.raceFolder).read(module.selectedRaceFile, loaded, scope, entry);
}

bool SavedRaceScreen::showUnreadableRace(const FileResult& read, const QString& title)
{
    dialogs.reportError(read.error, title);
    if (!RaceFolder(module.raceFolder).present(module.selectedRaceFile).ok) {
        listRacesAgain();
        return false;
    }
    Text1->clear();
    Text2->clear();
    Text3->clear();
    Command2->hide();
    return true;
}

void SavedRaceScreen::rewritePickedRace(std::initializer_list<std::pair<QLineEdit*, QString>> problems,
                                        const std::function<QString()>& question, const PrepareRewrite& prepare)
{
    if (module.selectedRaceFile.isEmpty())
        return;
    const QString title = QStringLiteral("データの書き換え");
    for (const auto& [box, problem] : problems) {
        if (!problem.isEmpty()) {
            dialogs.reportError(problem, title);
            box->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    // The values go to the race that is shown, which the user picked, wherever the list's cursor now is.
    FolderWait wait(dialogs);
    const RaceFolder folder(module.raceFolder, &wait);
    PendingRewrite pending;
    askThenChange([&] { return prepare(folder, pending); }, question(), title, [&] { return folder.commit(pending); });
}

void SavedRaceScreen::deletePickedRace()
{
    if (module.selectedRaceFile.isEmpty())
        return;
    const RaceFolder folder(module.raceFolder);
    askThenChange([&] { return folder.present(module.selectedRaceFile); },
                  QStringLiteral("データを削除しますがよろしいですか？"), QStringLiteral("データの削除"),
                  [&] { return folder.remove(module.selectedRaceFile); });
}

void SavedRaceScreen::askThenChange(const std::function<FileResult()>& check, const QString& question,
                                    const QString& title, const std::function<FileResult()>& act)
{
    FileResult result = check();
    if (result.ok && dialogs.confirm(question, title))
        result = act();
    if (!result.ok)
        dialogs.reportError(result.error, title);
    listRacesAgain();
}
