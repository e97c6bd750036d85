#include "screens/folder_wait.h"

#include "screens/dialogs.h"

#include <QSysInfo>

QString FolderWait::text(const LockHolder& holder)
{
    QString who = QStringLiteral("ほかのプログラム");
    if (holder.known()) {
        if (holder.host.isEmpty() || holder.host == QSysInfo::machineHostName())
            who += QStringLiteral("（このコンピューターのプロセス番号 %1）").arg(holder.pid);
        else
            who += QStringLiteral("（コンピューター「%1」のプロセス番号 %2）").arg(holder.host).arg(holder.pid);
    }
    return who
           + QStringLiteral("がこのフォルダーに書き込み中のため、終わるのを待っています。\n"
                            "「待つのをやめる」を押すと書き込みをやめ、ファイルは何も変わりません。");
}

bool FolderWait::waitFor(const LockHolder& holder, std::chrono::milliseconds pause)
{
    return dialogs_.waitForFolder(text(holder), pause);
}

void FolderWait::waitOver() { dialogs_.folderWaitOver(); }
