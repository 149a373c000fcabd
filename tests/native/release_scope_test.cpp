// Release scopes: each host call deletes its own objects at its end, a nested
// call frees none of the call around it, and objects made outside any call
// wait for the end of the next outermost one.
#include "fmhost/host_control.h"
#include "fmx/calls.h"
#include "fmx/release_registry.h"

#include <gtest/gtest.h>

#include <optional>
#include <thread>

namespace {

using fmx::hand_out;

bool live(const void *object) {
    for (const auto &each : fmhost::live_objects())
        if (each.address == object)
            return true;
    return false;
}

class ReleaseScopes : public ::testing::Test {
  protected:
    void SetUp() override {
        fmx::release_pass();
        fmhost::clear_failures();
    }
    void TearDown() override {
        fmhost::clear_failures();
        fmx::release_pass();
        EXPECT_EQ(fmx::registered_count(), 0u);
    }
};

TEST_F(ReleaseScopes, ANestedCallFreesOnlyItsOwnObjects) {
    std::optional<fmx::ReleaseScope> outer(std::in_place);
    FMX_Text *outerText = hand_out(fmx::make<FMX_Text>());
    FMX_Data *innerData = nullptr;
    FMX_CharacterStyle *innerStyle = nullptr;
    {
        const fmx::ReleaseScope inner;
        innerData = hand_out(fmx::make<FMX_Data>());
        innerStyle = hand_out(fmx::make<FMX_CharacterStyle>());
        EXPECT_EQ(fmx::registered_count(), 3u);
    }
    EXPECT_FALSE(live(innerData));
    EXPECT_FALSE(live(innerStyle));
    EXPECT_TRUE(live(outerText)); // the outer call still holds it
    outer.reset();
    EXPECT_FALSE(live(outerText));
    EXPECT_EQ(fmx::registered_count(), 0u);
}

TEST_F(ReleaseScopes, ObjectsMadeOutsideACallWaitForTheNextOutermostEnd) {
    // Made during start-up, say: no call is open.
    FMX_Data *startup = hand_out(fmx::make<FMX_Data>());
    std::optional<fmx::ReleaseScope> outer(std::in_place);
    {
        const fmx::ReleaseScope inner;
    }
    EXPECT_TRUE(live(startup)); // an inner call's end is not the next call's end
    outer.reset();
    EXPECT_FALSE(live(startup));
}

TEST_F(ReleaseScopes, AnotherThreadsObjectsDuringACallBelongToThatCall) {
    // A GUI function's thread works for the call the host thread waits in.
    std::optional<fmx::ReleaseScope> call(std::in_place);
    FMX_BinaryData *made = nullptr;
    std::thread([&] { made = hand_out(fmx::make<FMX_BinaryData>()); }).join();
    EXPECT_TRUE(live(made));
    call.reset();
    EXPECT_FALSE(live(made));
}

TEST_F(ReleaseScopes, AFailedDeleteLeavesTheRestForTheNextPass) {
    std::optional<fmx::ReleaseScope> call(std::in_place);
    FMX_Text *first = hand_out(fmx::make<FMX_Text>());
    FMX_Text *second = hand_out(fmx::make<FMX_Text>());
    FMX_Data *data = hand_out(fmx::make<FMX_Data>());
    fmhost::inject_failure("FM_Text_Delete", FMX_ERR_FAILURE);
    call.reset();
    // Newest first: the second text's delete failed and ended the pass; the
    // first text and the value wait, no longer in any call's scope.
    EXPECT_TRUE(live(first));
    EXPECT_TRUE(live(data));
    EXPECT_EQ(fmx::registered_count(), 2u);
    {
        const fmx::ReleaseScope next;
    }
    EXPECT_FALSE(live(first));
    EXPECT_FALSE(live(data));
    (void)second;
}

} // namespace
