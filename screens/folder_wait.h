#pragma once

#include "racefile/save_file.h"

#include <QString>

class Dialogs;

// A screen's side of a write that waits for another program to let go of the race folder: the notice says who holds
// it, as far as known, and its button stops the wait, which cancels the write.
class FolderWait final : public LockWait {
public:
    explicit FolderWait(Dialogs& dialogs) : dialogs_(dialogs) {}

    bool waitFor(const LockHolder& holder, std::chrono::milliseconds pause) override;
    void waitOver() override;

    // What the notice says of a holder.
    static QString text(const LockHolder& holder);

private:
    Dialogs& dialogs_;
};
