#include "shell/GlHandle.h"
#include "shell/GlExtensions.h"
#include "support/OffscreenGl.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

// Each kind of name is deleted exactly once, by whichever handle holds it last: a move leaves
// the source empty, and assigning over a handle deletes what it held before.
TEST(GlHandle, EveryKindIsDeletedOnceByItsLastOwner)
{
    ensureOffscreenGl();
    resetGlState();
    // A name becomes an object when first bound (a list when compiled).
    struct Kind {
        const char* name;
        GlHandle (*make)();
        void (*realise)(GLuint);
        bool (*alive)(GLuint);
    };
    const Kind kinds[] = {
        {"texture", newTexture, [](GLuint n) { glBindTexture(GL_TEXTURE_2D, n); },
         [](GLuint n) { return glIsTexture(n) == GL_TRUE; }},
        {"display list", newDisplayList,
         [](GLuint n) {
             glNewList(n, GL_COMPILE);
             glEndList();
         },
         [](GLuint n) { return glIsList(n) == GL_TRUE; }},
        {"program", newProgram, [](GLuint n) { ext::glBindProgramARB(GL_VERTEX_PROGRAM_ARB, n); },
         [](GLuint n) { return ext::glIsProgramARB(n) == GL_TRUE; }},
    };
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        GlHandle first = kind.make();
        ASSERT_TRUE(first);
        const GLuint name = first.get();
        kind.realise(name);
        ASSERT_TRUE(kind.alive(name));
        GlHandle second;
        {
            GlHandle moved = std::move(first);
            EXPECT_FALSE(first);
            second = std::move(moved);
        }
        EXPECT_TRUE(kind.alive(name)) << "a moved-from handle deleted the name";
        second = kind.make();
        EXPECT_FALSE(kind.alive(name)) << "assigning over a handle kept its old name";
    }
}

} // namespace
