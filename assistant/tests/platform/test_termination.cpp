#include "platform/socket_compat.h"
#include "platform/termination.h"

#include <csignal>

#include <gtest/gtest.h>

using platform::TerminationRequests;

namespace {

// True when the watched end becomes readable within `ms`.
bool readable(const TerminationRequests &requests, int ms)
{
    const auto handle = static_cast<platform::SocketHandle>(requests.readHandle());
    fd_set set;
    FD_ZERO(&set);
    FD_SET(handle, &set);
    timeval timeout { ms / 1000, (ms % 1000) * 1000 };
    return ::select(platform::selectWidth(handle), &set, nullptr, nullptr, &timeout) == 1;
}

} // namespace

TEST(TerminationRequests, ARaisedSignalMakesTheReadEndReadable)
{
    TerminationRequests requests;
    ASSERT_TRUE(requests.start()) << requests.lastError();
    EXPECT_FALSE(readable(requests, 50));
    std::raise(SIGTERM);
    ASSERT_TRUE(readable(requests, 2000));
    EXPECT_EQ(requests.takeRequest(), "SIGTERM");
    // Taken: nothing left to read, nothing more to name.
    EXPECT_FALSE(readable(requests, 50));
    EXPECT_EQ(requests.takeRequest(), "");
}

TEST(TerminationRequests, SeveralRequestsAreTakenAtOnceAndTheLastIsNamed)
{
    TerminationRequests requests;
    ASSERT_TRUE(requests.start()) << requests.lastError();
    std::raise(SIGINT);
    std::raise(SIGINT);
    std::raise(SIGTERM);
    ASSERT_TRUE(readable(requests, 2000));
    EXPECT_EQ(requests.takeRequest(), "SIGTERM");
    EXPECT_FALSE(readable(requests, 50));
    // The handlers stay until stop(): a request during the ending is seen too.
    std::raise(SIGINT);
    ASSERT_TRUE(readable(requests, 2000));
    EXPECT_EQ(requests.takeRequest(), "SIGINT");
}

TEST(TerminationRequests, OneWatcherPerProcess)
{
    TerminationRequests first;
    TerminationRequests second;
    ASSERT_TRUE(first.start()) << first.lastError();
    EXPECT_FALSE(second.start());
    EXPECT_FALSE(second.lastError().empty());
    EXPECT_FALSE(second.started());
    EXPECT_EQ(second.readHandle(), -1);

    first.stop();
    EXPECT_FALSE(first.started());
    EXPECT_EQ(first.takeRequest(), "");
    ASSERT_TRUE(second.start()) << second.lastError();
    std::raise(SIGTERM);
    ASSERT_TRUE(readable(second, 2000));
    EXPECT_EQ(second.takeRequest(), "SIGTERM");
}
