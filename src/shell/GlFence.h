#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <functional>

// One fence in the GL command stream, after every command issued before it; deleted with its
// owner (the context must still be current). Move-only. Empty where the driver has no sync
// objects: such a fence counts as passed.
class GlFence {
public:
    GlFence() = default;
    GlFence(GlFence&& other) noexcept;
    GlFence& operator=(GlFence&& other) noexcept;
    GlFence(const GlFence&) = delete;
    GlFence& operator=(const GlFence&) = delete;
    ~GlFence();

    // A fence after the commands issued so far, sent to the driver with them.
    static GlFence afterIssued();

    // Waits until the driver has carried out every command before the fence, asking stop every
    // few milliseconds; false as soon as stop says true.
    bool waitUnless(const std::function<bool()>& stop) const;

private:
    GLsync sync = nullptr;
};
