// Takes the single-instance lock in a process of its own for the platform
// tests.  Usage: instance_probe TITLE [hold|spawn]
//   prints "first" or "second" and exits 0 or 1;
//   hold:  keeps the lock until killed;
//   spawn: also starts `sleep 60` (printing its pid) before waiting, to show
//          the lock does not pass to programs the holder starts.
// instance_probe --work: makes a work folder of its run with a file in it,
// prints the folder and waits to be killed.
#include "platform/core/instance.h"
#include "platform/core/tempfolders.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <spawn.h>
#include <unistd.h>

extern char **environ;

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    if (std::strcmp(argv[1], "--work") == 0) {
        QTemporaryDir work(platform::workFolderTemplate(QStringLiteral("import")));
        work.setAutoRemove(false);
        QFile f(work.filePath(QStringLiteral("KJCG.TXT")));
        if (!work.isValid() || !f.open(QIODevice::WriteOnly) || f.write("unpacked") != 8)
            return 3;
        f.close();
        std::printf("%s\n", QFile::encodeName(work.path()).constData());
        std::fflush(stdout);
        for (;;)
            pause();
    }
    platform::SingleInstance instance(QString::fromUtf8(argv[1]));
    const char *mode = argc > 2 ? argv[2] : "";
    std::printf("%s", instance.isFirst() ? "first" : "second");
    if (std::strcmp(mode, "spawn") == 0) {
        pid_t child = 0;
        char sleepName[] = "sleep";
        char seconds[] = "60";
        char *args[] = {sleepName, seconds, nullptr};
        if (posix_spawnp(&child, "sleep", nullptr, nullptr, args, environ) != 0)
            return 3;
        std::printf(" %d", int(child));
    }
    std::printf("\n");
    std::fflush(stdout);
    if (std::strcmp(mode, "hold") == 0 || std::strcmp(mode, "spawn") == 0)
        for (;;)
            pause();
    return instance.isFirst() ? 0 : 1;
}
