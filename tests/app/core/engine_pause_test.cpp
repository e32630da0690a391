// The pause between engine requests on a clock the test moves by hand.

#include "app/engine_pause.h"

#include <gtest/gtest.h>

#include <vector>

namespace zv {
namespace {

struct PauseRig
{
    qint64 now = 0;
    std::vector<qint64> waits; // milliseconds, one per wait
    int picked = 0; // what the random pick returns, in seconds
    std::vector<std::pair<int, int>> picks; // the ranges asked of the pick

    EnginePause make(PauseRange range)
    {
        return EnginePause(
            range,
            [this](std::chrono::milliseconds wait) {
                waits.push_back(wait.count());
                now += wait.count();
            },
            [this] { return now; },
            [this](int min, int max) {
                picks.emplace_back(min, max);
                return picked;
            });
    }
};

TEST(EnginePauseTest, WaitsBetweenRequestsOnlyWhatIsLeftOfThePause)
{
    PauseRig rig;
    rig.picked = 4;
    EnginePause pause = rig.make({2, 6});

    pause.beforeRequest(); // the first request of a run goes at once
    EXPECT_TRUE(rig.waits.empty());

    rig.now += 1500; // reading the page took 1.5 s
    pause.beforeRequest();
    EXPECT_EQ(rig.waits, (std::vector<qint64> {2500}));
    EXPECT_EQ(rig.picks, (std::vector<std::pair<int, int>> {{2, 6}}));

    rig.now += 10000; // longer than any pause: no wait
    pause.beforeRequest();
    EXPECT_EQ(rig.waits.size(), 1u);

    rig.picked = 6;
    pause.beforeRequest();
    EXPECT_EQ(rig.waits, (std::vector<qint64> {2500, 6000}));
}

TEST(EnginePauseTest, AnOffRangeNeverWaitsNorPicks)
{
    PauseRig rig;
    EnginePause pause = rig.make({0, 0});
    for (int i = 0; i < 3; ++i)
        pause.beforeRequest();
    EXPECT_TRUE(rig.waits.empty());
    EXPECT_TRUE(rig.picks.empty());
}

TEST(EnginePauseTest, TheDefaultPickStaysWithinTheRange)
{
    qint64 now = 0;
    std::vector<qint64> waits;
    EnginePause pause(
        {2, 3}, [&waits](std::chrono::milliseconds wait) { waits.push_back(wait.count()); }, [&now] { return now; });
    for (int i = 0; i < 50; ++i)
        pause.beforeRequest();
    ASSERT_EQ(waits.size(), 49u);
    for (qint64 wait : waits)
        EXPECT_TRUE(wait == 2000 || wait == 3000) << wait;
}

} // namespace
} // namespace zv
