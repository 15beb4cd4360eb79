#include "child_process.h"

#include "platform/instance_guard.h"

#include <gtest/gtest.h>

using platform::InstanceGuard;
using namespace testsupport;
using namespace std::chrono_literals;

namespace {

// What a second process that takes the guard `name` reports ("first" or "running"),
// once it has ended cleanly; "" when it did not.
std::string childGuardResult(const std::string &name)
{
    TempFolder temp;
    ChildProcess child;
    if (!child.start({ "guard", name, temp.file("result").string(), temp.file("stop").string() }))
        return {};
    const std::string result = waitForFile(temp.file("result"), 20s);
    writeFileAtomically(temp.file("stop"), "");
    if (!child.wait(20s) || child.exitCode() != 0)
        return {};
    return result;
}

} // namespace

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
    const std::string name = uniqueName("guard");
    InstanceGuard mine;
    ASSERT_EQ(mine.acquire(name), InstanceGuard::Result::First);
    EXPECT_EQ(childGuardResult(name), "running");
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
    const std::string name = uniqueName("guard");
    {
        InstanceGuard mine;
        ASSERT_EQ(mine.acquire(name), InstanceGuard::Result::First);
    }
    EXPECT_EQ(childGuardResult(name), "first");
}
