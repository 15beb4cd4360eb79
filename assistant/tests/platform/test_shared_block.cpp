#include "child_process.h"

#include "platform/shared_block.h"

#include <atomic>
#include <cstring>
#include <thread>

#include <gtest/gtest.h>

using platform::SharedBlock;
using namespace testsupport;
using namespace std::chrono_literals;

namespace {

struct BlockNames {
    std::string block = uniqueName("block");
    std::string mutex = uniqueName("mutex");
    ~BlockNames() { SharedBlock::removeNames(block, mutex); }
};

std::uint32_t valueOf(const SharedBlock &block)
{
    std::uint32_t value = 0;
    std::memcpy(&value, block.data(), 4);
    return value;
}

void store(SharedBlock &block, std::uint32_t value)
{
    block.lock();
    std::memcpy(block.data(), &value, 4);
    block.data()[4] = 1;
    block.unlock();
}

} // namespace

TEST(SharedBlock, FirstOpenerCreatesSecondSharesTheBytes)
{
    BlockNames names;
    SharedBlock first;
    ASSERT_TRUE(first.open(names.block, names.mutex, 8)) << first.lastError();
    EXPECT_TRUE(first.isOpen());
    EXPECT_TRUE(first.createdHere());
    EXPECT_EQ(first.size(), 8u);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(first.data()[i], 0) << i;

    SharedBlock second;
    ASSERT_TRUE(second.open(names.block, names.mutex, 8)) << second.lastError();
    EXPECT_FALSE(second.createdHere());
    store(first, 0x01020304);
    EXPECT_EQ(valueOf(second), 0x01020304u);
    EXPECT_EQ(second.data()[4], 1);
}

TEST(SharedBlock, ClosedBlockIsNotOpenAndCannotBeLocked)
{
    BlockNames names;
    SharedBlock block;
    EXPECT_FALSE(block.isOpen());
    EXPECT_EQ(block.data(), nullptr);
    EXPECT_FALSE(block.lock());
    ASSERT_TRUE(block.open(names.block, names.mutex, 8));
    block.close();
    EXPECT_FALSE(block.isOpen());
    EXPECT_EQ(block.data(), nullptr);
    EXPECT_FALSE(block.lock());
}

TEST(SharedBlock, ReopenedAfterEveryUserClosedCountsAsCreated)
{
    BlockNames names;
    {
        SharedBlock block;
        ASSERT_TRUE(block.open(names.block, names.mutex, 8));
        store(block, 77);
    }
    SharedBlock again;
    ASSERT_TRUE(again.open(names.block, names.mutex, 8));
    EXPECT_TRUE(again.createdHere());
}

TEST(SharedBlock, MutexExcludesThreadsOfOneProcess)
{
    BlockNames names;
    SharedBlock block;
    ASSERT_TRUE(block.open(names.block, names.mutex, 8));
    constexpr int kRounds = 2000;
    auto work = [&] {
        for (int i = 0; i < kRounds; ++i) {
            block.lock();
            std::uint32_t value = valueOf(block);
            ++value;
            std::memcpy(block.data(), &value, 4);
            block.unlock();
        }
    };
    std::thread a(work);
    std::thread b(work);
    a.join();
    b.join();
    EXPECT_EQ(valueOf(block), 2u * kRounds);
}

TEST(SharedBlock, SecondProcessKeepsTheContentsAndSeesValues)
{
    TempFolder temp;
    BlockNames names;
    SharedBlock mine;
    ASSERT_TRUE(mine.open(names.block, names.mutex, 8));
    ASSERT_TRUE(mine.createdHere());
    store(mine, 5);

    ChildProcess child;
    ASSERT_TRUE(child.start({ "block", names.block, names.mutex, temp.file("result").string(),
                              temp.file("stop").string(), "1" }));
    EXPECT_EQ(waitForFile(temp.file("result"), 20s), "created=0 value=5 flag=1");
    mine.lock();
    EXPECT_EQ(valueOf(mine), 1u) << "the value written by the child";
    mine.unlock();
    writeFileAtomically(temp.file("stop"), "");
    ASSERT_TRUE(child.wait(20s));
    EXPECT_EQ(child.exitCode(), 0);
}

TEST(SharedBlock, ChildOpeningFirstCreatesAndParentKeeps)
{
    TempFolder temp;
    BlockNames names;
    ChildProcess child;
    ASSERT_TRUE(child.start({ "block", names.block, names.mutex, temp.file("result").string(),
                              temp.file("stop").string(), "1" }));
    EXPECT_EQ(waitForFile(temp.file("result"), 20s), "created=1 value=0 flag=0");

    SharedBlock mine;
    ASSERT_TRUE(mine.open(names.block, names.mutex, 8));
    EXPECT_FALSE(mine.createdHere());
    EXPECT_EQ(valueOf(mine), 1u);
    EXPECT_EQ(mine.data()[4], 1);
    writeFileAtomically(temp.file("stop"), "");
    EXPECT_TRUE(child.wait(20s));
}

TEST(SharedBlock, MutexOfAKilledHolderCanBeTaken)
{
    TempFolder temp;
    BlockNames names;
    SharedBlock mine;
    ASSERT_TRUE(mine.open(names.block, names.mutex, 8));
    ChildProcess child;
    ASSERT_TRUE(child.start({ "block-locked", names.block, names.mutex, temp.file("result").string() }));
    ASSERT_EQ(waitForFile(temp.file("result"), 20s), "locked");

    std::atomic<bool> locked { false };
    std::thread waiter([&] {
        if (mine.lock()) {
            locked = true;
            mine.unlock();
        }
    });
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(locked) << "the child still holds the mutex";
    child.kill();
    ASSERT_TRUE(child.wait(20s));
    waiter.join();
    EXPECT_TRUE(locked);
}
