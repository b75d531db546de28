// Preloaded into the player by startup_bench: the offscreen surface presents a frame by calling
// glFinish, so the Nth call (the loading screen presents two first) marks the first demo frame.
// The steady-clock time of that moment goes to the file FIRST_FRAME_STAMP and the process ends
// there, before any further frame.
#include <dlfcn.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

extern "C" void glFinish(void)
{
    using Finish = void (*)();
    static const auto next = reinterpret_cast<Finish>(dlsym(RTLD_NEXT, "glFinish"));
    static int calls = 0;
    if (next)
        next();
    const char* stampFile = std::getenv("FIRST_FRAME_STAMP");
    const char* presents = std::getenv("FIRST_FRAME_PRESENTS");
    if (!stampFile || !presents || ++calls < std::atoi(presents))
        return;
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    if (std::FILE* out = std::fopen(stampFile, "w")) {
        std::fprintf(out, "%lld\n",
                     static_cast<long long>(
                         std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
        std::fclose(out);
    }
    _exit(0);
}
