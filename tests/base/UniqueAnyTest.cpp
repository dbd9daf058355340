// The owner template and the scope guard: every held value is released once,
// on every way out, and never the value that holds nothing.
#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>
#include <vector>

#include "UniqueAny.h"

namespace {

std::vector<int> closed;
void CloseFake(int value) noexcept {
    closed.push_back(value);
}
using UniqueFake = UniqueAny<int, &CloseFake, -1>;

struct FakeInterface {
    int released = 0;
};
void ReleaseFake(FakeInterface* object) noexcept {
    ++object->released;
}
using FakePtr = UniqueAny<FakeInterface*, &ReleaseFake>;

class UniqueAnyTest : public testing::Test {
  protected:
    void SetUp() override { closed.clear(); }
};

TEST_F(UniqueAnyTest, ReleasesOnceAtTheEndOfItsScopeAndNeverTheInvalidValue) {
    {
        const UniqueFake held(7);
        const UniqueFake empty;
        EXPECT_TRUE(held.Valid());
        EXPECT_FALSE(empty);
        EXPECT_EQ(empty.Get(), -1);
    }
    EXPECT_EQ(closed, std::vector<int>{7});

    {
        const UniqueFake zero(0);  // 0 is a value like any other here
        EXPECT_TRUE(zero);
    }
    EXPECT_EQ(closed, (std::vector<int>{7, 0}));
}

TEST_F(UniqueAnyTest, ReleasesWhenAnExceptionLeavesTheScope) {
    EXPECT_THROW(
        {
            const UniqueFake held(3);
            throw std::runtime_error("failed");
        },
        std::runtime_error);
    EXPECT_EQ(closed, std::vector<int>{3});
}

TEST_F(UniqueAnyTest, MovesResetsReleasesAndLends) {
    UniqueFake first(1);
    UniqueFake second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(second.Get(), 1);

    UniqueFake third(2);
    third = std::move(second);  // 2 goes, 1 moves over
    EXPECT_EQ(closed, std::vector<int>{2});
    EXPECT_EQ(third.Get(), 1);

    third.Reset(4);
    EXPECT_EQ(closed, (std::vector<int>{2, 1}));
    EXPECT_EQ(third.Release(), 4);  // given up: never closed
    EXPECT_FALSE(third);

    UniqueFake filled(5);
    *filled.Put() = 6;  // a call that fills the slot, after 5 was released
    EXPECT_EQ(closed, (std::vector<int>{2, 1, 5}));
    EXPECT_EQ(filled.Get(), 6);
}

TEST_F(UniqueAnyTest, InterfacePointersReachTheirObjectAndReleaseIt) {
    FakeInterface object;
    {
        FakePtr pointer;
        *pointer.PutVoid() = &object;
        EXPECT_EQ(pointer->released, 0);
        FakePtr other = std::move(pointer);
        EXPECT_FALSE(pointer);
    }
    EXPECT_EQ(object.released, 1);
}

TEST(ScopeGuardTest, RunsAtTheEndUnlessDismissed) {
    int runs = 0;
    {
        ScopeGuard guard([&runs] { ++runs; });
    }
    EXPECT_EQ(runs, 1);
    try {
        ScopeGuard guard([&runs] { ++runs; });
        throw std::runtime_error("failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(runs, 2);
    {
        ScopeGuard guard([&runs] { ++runs; });
        guard.Dismiss();
    }
    EXPECT_EQ(runs, 2);
}

}  // namespace
