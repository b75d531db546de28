#include "shell/GlFence.h"

#include "shell/GlExtensions.h"

#include <cstdint>
#include <utility>

namespace {

// How long one wait lasts before stop is asked again: short against a frame, long against the
// cost of asking.
constexpr std::uint64_t pollNanoseconds = 5'000'000;

} // namespace

GlFence::GlFence(GlFence&& other) noexcept : sync(std::exchange(other.sync, nullptr)) {}

GlFence& GlFence::operator=(GlFence&& other) noexcept
{
    if (this != &other) {
        if (sync)
            ext::glDeleteSync(sync);
        sync = std::exchange(other.sync, nullptr);
    }
    return *this;
}

GlFence::~GlFence()
{
    if (sync)
        ext::glDeleteSync(sync);
}

GlFence GlFence::afterIssued()
{
    GlFence fence;
    if (ext::glFenceSync)
        fence.sync = ext::glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    // The commands go to the driver now, fence included; without sync objects this flush is all
    // that keeps a binning driver drawing layer by layer.
    glFlush();
    return fence;
}

bool GlFence::waitUnless(const std::function<bool()>& stop) const
{
    if (!sync)
        return true;
    while (true) {
        const GLenum result = ext::glClientWaitSync(sync, 0, pollNanoseconds);
        if (result != GL_TIMEOUT_EXPIRED)
            return true; // passed, or an error no wait would mend
        if (stop())
            return false;
    }
}
