// main() of platform_tests: runs GoogleTest, or with "--child" one of the
// roles below in a second process started by a test.
#include "child_process.h"
#include "facility_roles.h"

#include "platform/instance_guard.h"
#include "platform/shared_block.h"

#include <cstring>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

namespace testsupport {

namespace {

// Children never outlive a broken test by more than this.
constexpr auto kChildLifetime = std::chrono::seconds(30);

void waitForStop(const std::filesystem::path &stopFile)
{
    const auto deadline = std::chrono::steady_clock::now() + kChildLifetime;
    while (std::chrono::steady_clock::now() < deadline && !std::filesystem::exists(stopFile))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

std::string guardResultText(platform::InstanceGuard::Result result)
{
    switch (result) {
    case platform::InstanceGuard::Result::First:
        return "first";
    case platform::InstanceGuard::Result::AlreadyRunning:
        return "running";
    case platform::InstanceGuard::Result::Failed:
        break;
    }
    return "failed";
}

// guard NAME RESULT STOP: takes the guard, reports, holds it until STOP exists.
int guardRole(const std::vector<std::string> &a)
{
    if (a.size() < 4)
        return 2;
    platform::InstanceGuard guard;
    writeFileAtomically(a[2], guardResultText(guard.acquire(a[1])));
    waitForStop(a[3]);
    return 0;
}

// block NAME MUTEX RESULT STOP [VALUE]: opens the 8-byte block, optionally
// writes VALUE into its first four bytes and 1 into byte 4, reports what it
// found, and keeps the block open until STOP exists.
int blockRole(const std::vector<std::string> &a)
{
    if (a.size() < 5)
        return 2;
    platform::SharedBlock block;
    if (!block.open(a[1], a[2], 8)) {
        writeFileAtomically(a[3], "open failed: " + block.lastError());
        return 1;
    }
    std::uint32_t value = 0;
    block.lock();
    std::memcpy(&value, block.data(), 4);
    const int flag = block.data()[4];
    if (a.size() > 5) {
        const std::uint32_t written = static_cast<std::uint32_t>(std::stoul(a[5]));
        std::memcpy(block.data(), &written, 4);
        block.data()[4] = 1;
    }
    block.unlock();
    writeFileAtomically(a[3], "created=" + std::to_string(block.createdHere() ? 1 : 0)
                            + " value=" + std::to_string(value) + " flag=" + std::to_string(flag));
    waitForStop(a[4]);
    return 0;
}

// block-locked NAME MUTEX RESULT: opens the block, takes its mutex, reports
// and then waits, holding the mutex, to be killed.
int blockLockedRole(const std::vector<std::string> &a)
{
    if (a.size() < 4)
        return 2;
    platform::SharedBlock block;
    if (!block.open(a[1], a[2], 8) || !block.lock()) {
        writeFileAtomically(a[3], "failed: " + block.lastError());
        return 1;
    }
    writeFileAtomically(a[3], "locked");
    std::this_thread::sleep_for(kChildLifetime);
    return 0;
}

} // namespace

int runChildRole(const std::vector<std::string> &args)
{
    if (args.empty())
        return 2;
    if (args[0] == "guard")
        return guardRole(args);
    if (args[0] == "block")
        return blockRole(args);
    if (args[0] == "block-locked")
        return blockLockedRole(args);
    if (const int rc = facilityRole(args); rc >= 0)
        return rc;
    return 2;
}

} // namespace testsupport

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0)
        return testsupport::runChildRole(std::vector<std::string>(argv + 2, argv + argc));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
