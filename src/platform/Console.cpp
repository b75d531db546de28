#include "platform/Console.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>

namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

extern "C" void raiseInterruptFlag(int)
{
    interrupted.store(true);
}

} // namespace

void catchInterrupt()
{
    struct sigaction action {};
    action.sa_handler = raiseInterruptFlag;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool interruptRequested()
{
    return interrupted.load();
}

bool standardErrorIsTerminal()
{
    return isatty(STDERR_FILENO) != 0;
}
