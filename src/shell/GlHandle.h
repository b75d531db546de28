#pragma once

#include <GL/gl.h>

#include <utility>

// The call that gives one kind of GL name back to the driver.
using GlDeleter = void (*)(GLuint name);

// One GL name and its deleter: the move-only owner every GL object of the player is held by, so
// the classes holding GL objects default their moves and a field added to them cannot be lost on
// a move. Name 0 is "none" and is never deleted. The context must be current when a handle that
// holds a name is destroyed, reset or assigned to.
class GlHandle {
public:
    GlHandle() = default;
    GlHandle(GLuint glName, GlDeleter glDeleter) : name(glName), deleter(glDeleter) {}
    GlHandle(GlHandle&& other) noexcept
        : name(std::exchange(other.name, 0u)), deleter(other.deleter)
    {
    }
    GlHandle& operator=(GlHandle&& other) noexcept
    {
        if (this != &other) {
            reset();
            name = std::exchange(other.name, 0u);
            deleter = other.deleter;
        }
        return *this;
    }
    GlHandle(const GlHandle&) = delete;
    GlHandle& operator=(const GlHandle&) = delete;
    ~GlHandle() { reset(); }

    GLuint get() const { return name; }
    explicit operator bool() const { return name != 0; }

    // Deletes the name now; the handle is empty afterwards.
    void reset()
    {
        if (name != 0)
            deleter(name);
        name = 0;
    }

private:
    GLuint name = 0;
    GlDeleter deleter = nullptr;
};

// New names of each kind, each with its deleter. newDisplayList and newProgram may hold 0: no list
// left, or no ARB programs on this driver.
GlHandle newTexture();
GlHandle newDisplayList();
GlHandle newProgram();
