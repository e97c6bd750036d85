#include "screens/analysis_library.h"

#include "screens/module1.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

std::unique_ptr<Screen> loadAnalysisScreen(Module1& module, Navigation& navigation, Dialogs& dialogs)
{
    const QString folder = module.appFolder.isEmpty() ? QCoreApplication::applicationDirPath() : module.appFolder;
    const QString path = QDir(folder).filePath(QString::fromLatin1(analysisLibraryFile));
    // Once loaded the library stays for the rest of the run: screens it made may still be deleted later, and
    // loading it again is only a look-up.
    QLibrary library(path);
    auto entry = reinterpret_cast<AnalysisEntry>(library.resolve(analysisEntryName));
    if (!entry) {
        dialogs.reportError(
            QStringLiteral("「分析とグラフ」の画面を開けません。この画面のプログラム（%1）が見つからないか、"
                           "読み込めませんでした。トキロを入れ直してください。")
                .arg(QDir::toNativeSeparators(path)),
            QStringLiteral("分析とグラフ"));
        return nullptr;
    }
    return std::unique_ptr<Screen>(entry(module, navigation, dialogs));
}
