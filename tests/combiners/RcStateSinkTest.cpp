#include "combiners/RcStateSink.h"

#include <gtest/gtest.h>

namespace {

// The emulated sink refuses what the driver refuses, also where the compiler never emits it (its
// checks stop fog alpha before a general combiner): the variable keeps what it held.
TEST(RcStateSink, GeneralInputsTheDriverRefusesLeaveTheVariable)
{
    struct Case {
        const char* what;
        GLenum portion;
        GLenum input;
        GLenum usage;
        bool taken;
    };
    const Case cases[] = {
        {"fog colour", GL_RGB, GL_FOG, GL_RGB, true},
        {"fog alpha, the final combiner's alone", GL_RGB, GL_FOG, GL_ALPHA, false},
        {"blue into the alpha portion", GL_ALPHA, GL_SPARE0_NV, GL_BLUE, true},
        {"RGB into the alpha portion", GL_ALPHA, GL_SPARE0_NV, GL_RGB, false},
        {"blue into the RGB portion", GL_RGB, GL_SPARE0_NV, GL_BLUE, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RcState state;
        RcStateSink sink(state);
        const RcPortion& portion =
            c.portion == GL_RGB ? state.stages[0].rgb : state.stages[0].alpha;
        const RcInput before = portion.variables[rcA];
        sink.input(GL_COMBINER0_NV, c.portion, GL_VARIABLE_A_NV, c.input, GL_UNSIGNED_INVERT_NV,
                   c.usage);
        const RcInput& after = portion.variables[rcA];
        if (c.taken) {
            EXPECT_EQ(after.input, c.input);
            EXPECT_EQ(after.mapping, static_cast<GLenum>(GL_UNSIGNED_INVERT_NV));
            EXPECT_EQ(after.componentUsage, c.usage);
        } else {
            EXPECT_EQ(after.input, before.input);
            EXPECT_EQ(after.mapping, before.mapping);
            EXPECT_EQ(after.componentUsage, before.componentUsage);
        }
    }
}

} // namespace
