// Restores a backup into a folder, replacing every race that differs, for a test to kill half-way:
//   restore_child <archive> <folder>
// It says "go" once it has compared and starts writing.
#include "racefile/folder_backup.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[2]);
    const BackupContents contents = readBackup(QString::fromLocal8Bit(argv[1]));
    if (!contents.ok())
        return 1;
    const std::vector<RestoreItem> items = compareWithFolder(folder, contents.files);
    std::fputs("go\n", stdout);
    std::fflush(stdout);
    restoreBackup(folder, items, std::vector<RestoreChoice>(items.size(), RestoreChoice::Replace));
    return 0;
}
