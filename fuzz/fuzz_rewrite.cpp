// libFuzzer target: rewrites a fuzzed race file's result or balance lines through RaceFolder, with fuzzed box texts,
// either answer, and "TKR.tmp" or the race file changed while the question is open, and checks what a rewrite promises
// (rewrite_checks.h). Works in a folder of its own, in memory when /dev/shm is there.
#include "fuzz/rewrite_checks.h"

#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

struct Folders {
    QTemporaryDir base{QDir(QStringLiteral("/dev/shm")).exists()
                           ? QStringLiteral("/dev/shm/tokiro-fuzz-XXXXXX")
                           : QDir::temp().filePath(QStringLiteral("tokiro-fuzz-XXXXXX"))};
    QString folder = base.filePath(QStringLiteral("races"));
    QString outside = base.filePath(QStringLiteral("outside"));
    Folders()
    {
        QDir().mkpath(folder);
        QDir().mkpath(outside);
        rewritecheck::putFile(QDir(outside).filePath(QStringLiteral("victim.txt")), "not a race: must stay as it is\n");
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Folders folders;
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString failure = rewritecheck::rewriteCheckFailure(input, folders.folder, folders.outside);
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", failure.toUtf8().constData());
        std::abort();
    }
    return 0;
}
