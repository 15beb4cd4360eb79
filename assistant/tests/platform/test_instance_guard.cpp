#include "child_process.h"

#include "platform/instance_guard.h"

#include <gtest/gtest.h>

using platform::InstanceGuard;
using namespace testsupport;
using namespace std::chrono_literals;

TEST(InstanceGuard, SecondHolderInOneProcessSeesRunningUntilFirstReleases)
{
    const std::string name = uniqueName("guard");
    InstanceGuard first;
    InstanceGuard second;
    ASSERT_EQ(first.acquire(name), InstanceGuard::Result::First) << first.lastError();
    EXPECT_EQ(second.acquire(name), InstanceGuard::Result::AlreadyRunning);
    second.release();
    first.release();
    EXPECT_EQ(second.acquire(name), InstanceGuard::Result::First);
}

TEST(InstanceGuard, NamesAreIndependent)
{
    InstanceGuard a;
    InstanceGuard b;
    EXPECT_EQ(a.acquire(uniqueName("guard")), InstanceGuard::Result::First);
    EXPECT_EQ(b.acquire(uniqueName("guard")), InstanceGuard::Result::First);
}

TEST(InstanceGuard, SecondProcessSeesTheFirstRunning)
{
    TempFolder temp;
    const std::string name = uniqueName("guard");
    InstanceGuard mine;
    ASSERT_EQ(mine.acquire(name), InstanceGuard::Result::First);

    ChildProcess child;
    ASSERT_TRUE(child.start({ "guard", name, temp.file("result").string(), temp.file("stop").string() }));
    EXPECT_EQ(waitForFile(temp.file("result"), 20s), "running");
    writeFileAtomically(temp.file("stop"), "");
    ASSERT_TRUE(child.wait(20s));
    EXPECT_EQ(child.exitCode(), 0);
}

TEST(InstanceGuard, GuardOfAKilledInstanceDoesNotBlockTheNextStart)
{
    TempFolder temp;
    const std::string name = uniqueName("guard");
    ChildProcess child;
    ASSERT_TRUE(child.start({ "guard", name, temp.file("result").string(), temp.file("stop").string() }));
    ASSERT_EQ(waitForFile(temp.file("result"), 20s), "first");

    InstanceGuard mine;
    EXPECT_EQ(mine.acquire(name), InstanceGuard::Result::AlreadyRunning);
    mine.release();

    child.kill();
    ASSERT_TRUE(child.wait(20s));
    EXPECT_EQ(mine.acquire(name), InstanceGuard::Result::First) << mine.lastError();
}

TEST(InstanceGuard, ReleasedGuardLetsAChildBeFirst)
{
    TempFolder temp;
    const std::string name = uniqueName("guard");
    {
        InstanceGuard mine;
        ASSERT_EQ(mine.acquire(name), InstanceGuard::Result::First);
    }
    ChildProcess child;
    ASSERT_TRUE(child.start({ "guard", name, temp.file("result").string(), temp.file("stop").string() }));
    EXPECT_EQ(waitForFile(temp.file("result"), 20s), "first");
    writeFileAtomically(temp.file("stop"), "");
    EXPECT_TRUE(child.wait(20s));
}
