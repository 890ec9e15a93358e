// morvo-thumbnailer -s SIZE INPUT OUTPUT.png: DWG thumbnails for file managers.
#include "program/AddressSpace.h"
#include "thumbnailer/Thumbnailer.h"

#include <cstdio>
#include <new>
#include <sys/resource.h>
#include <unistd.h>

namespace {
// A file manager runs this on whatever lies in a folder: no input may hold it
// longer or make it larger than this.
constexpr unsigned TimeLimitSeconds = 2;
constexpr rlim_t MemoryLimitBytes = 100 * 1024 * 1024;
}

int main(int argc, char *argv[])
{
    const rlimit memory{MemoryLimitBytes, MemoryLimitBytes};
    if (LimitsAddressSpace)
        setrlimit(RLIMIT_AS, &memory);
    // The alarm ends the process; once the thumbnail is made it is written whole.
    alarm(TimeLimitSeconds);
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    try {
        return Thumbnailer::run(arguments, [] { alarm(0); });
    } catch (const std::bad_alloc &) {
        std::fputs("morvo-thumbnailer: the preview needs more memory than a thumbnail may take\n", stderr);
        return Thumbnailer::NoPreview;
    }
}
