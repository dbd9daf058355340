#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "UiCallQueue.h"

namespace {

// The test thread is the UI thread; it serves calls until `done` is ready.
template <typename T>
void ServeUntil(UiCallQueue& ui, std::future<T>& done) {
    while (done.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
        ui.RunPending();
    }
}

TEST(UiCallQueueTest, OnTheUiThreadACallRunsAtOnceWithoutWaking) {
    int wakes = 0;
    UiCallQueue ui([&] { ++wakes; });
    EXPECT_TRUE(ui.OnUiThread());
    int ran = 0;
    ui.Call([&] { ++ran; });
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(wakes, 0);
    EXPECT_EQ(ui.RunPending(), 0u);
}

TEST(UiCallQueueTest, OnTheUiThreadAFailureReachesTheCaller) {
    UiCallQueue ui([] {});
    EXPECT_THROW(ui.Call([] { throw std::out_of_range("view full"); }), std::out_of_range);
}

TEST(UiCallQueueTest, AnotherThreadBlocksUntilTheUiThreadHasRunTheCall) {
    std::atomic<int> wakes{0};
    UiCallQueue ui([&] { ++wakes; });
    const auto uiThread = std::this_thread::get_id();
    std::vector<std::string> order;  // touched on the UI thread only
    std::atomic<bool> returned{false};

    auto caller = std::async(std::launch::async, [&] {
        EXPECT_FALSE(ui.OnUiThread());
        for (int i = 0; i < 3; ++i) {
            ui.Call([&order, &uiThread, i] {
                EXPECT_EQ(std::this_thread::get_id(), uiThread);
                order.push_back("call " + std::to_string(i));
            });
        }
        returned = true;
    });
    // Not served yet: the caller must still be waiting on its first call.
    while (wakes == 0) {
        std::this_thread::yield();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(returned);
    EXPECT_TRUE(order.empty());

    ServeUntil(ui, caller);
    caller.get();
    EXPECT_EQ(order, (std::vector<std::string>{"call 0", "call 1", "call 2"}));
    EXPECT_EQ(wakes, 3);
}

TEST(UiCallQueueTest, AFailureOnTheUiThreadIsRaisedAgainInTheCaller) {
    UiCallQueue ui([] {});
    auto caller = std::async(std::launch::async, [&] {
        try {
            ui.Call([] { throw std::length_error("no room for the block"); });
        } catch (const std::length_error& error) {
            return std::string(error.what());
        }
        return std::string("nothing raised");
    });
    ServeUntil(ui, caller);
    EXPECT_EQ(caller.get(), "no room for the block");
}

TEST(UiCallQueueTest, ACallRunWhileTheUiThreadServesCallsIsServedToo) {
    // A procedure that processes messages itself (as the stop loop and the
    // folder scans do) serves the calls queued meanwhile.
    std::atomic<int> wakes{0};
    UiCallQueue ui([&] { ++wakes; });
    std::vector<int> order;

    auto first = std::async(std::launch::async, [&] {
        ui.Call([&] {
            while (ui.RunPending() == 0) {  // nested: runs the second call
                std::this_thread::yield();
            }
            order.push_back(1);
        });
    });
    while (wakes < 1) {
        std::this_thread::yield();
    }
    auto second = std::async(std::launch::async, [&] { ui.Call([&] { order.push_back(2); }); });
    ServeUntil(ui, first);
    ServeUntil(ui, second);
    first.get();
    second.get();
    EXPECT_EQ(order, (std::vector<int>{2, 1}));
}

TEST(UiCallQueueTest, AHandOverThatCannotWakeTheUiThreadIsWithdrawn) {
    using HandOver = void (UiCallQueue::*)(std::function<void()>);
    const std::pair<const char*, HandOver> handOvers[] = {{"Call", &UiCallQueue::Call},
                                                          {"Post", &UiCallQueue::Post}};
    for (const auto& [name, handOver] : handOvers) {
        UiCallQueue ui([] { throw std::runtime_error("message queue full"); });
        bool ran = false;
        auto caller = std::async(std::launch::async, [&] { (ui.*handOver)([&] { ran = true; }); });
        EXPECT_THROW(caller.get(), std::runtime_error) << name;
        EXPECT_EQ(ui.RunPending(), 0u) << name;
        EXPECT_FALSE(ran) << name;
    }
}

TEST(UiCallQueueTest, PostsReturnAtOnceShareOneWakeAndRunInOrderWithCalls) {
    std::atomic<int> wakes{0};
    UiCallQueue ui([&] { ++wakes; });
    std::vector<std::string> order;  // touched on the UI thread only
    std::promise<void> posted;
    auto poster = std::async(std::launch::async, [&] {
        for (int i = 0; i < 3; ++i) {
            ui.Post([&order, i] { order.push_back("post " + std::to_string(i)); });
        }
        posted.set_value();
        ui.Call([&order] { order.push_back("call"); });
    });
    // Nothing served yet, and the poster is past its posts.
    posted.get_future().wait();
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(wakes, 1);  // the UI thread had not run the queue since the first

    ServeUntil(ui, poster);
    poster.get();
    EXPECT_EQ(order, (std::vector<std::string>{"post 0", "post 1", "post 2", "call"}));
}

TEST(UiCallQueueTest, PostWaitsOnceTheUiThreadHasFallenTooFarBehind) {
    UiCallQueue ui([] {});
    std::atomic<std::size_t> returned{0};
    auto poster = std::async(std::launch::async, [&] {
        for (std::size_t i = 0; i <= UiCallQueue::kMaxPosted; ++i) {
            ui.Post([] {});
            ++returned;
        }
    });
    while (returned < UiCallQueue::kMaxPosted) {
        std::this_thread::yield();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(returned, UiCallQueue::kMaxPosted);  // the last one waits

    ServeUntil(ui, poster);
    poster.get();
    EXPECT_EQ(returned, UiCallQueue::kMaxPosted + 1);
}

TEST(UiCallQueueTest, APostedFailureIsRaisedOnceInThePostersNextHandOver) {
    UiCallQueue ui([] {});
    int ranAfter = 0;
    std::promise<void> failed;
    auto poster = std::async(std::launch::async, [&] {
        ui.Post([] { throw std::length_error("no room for the block"); });
        failed.get_future().wait();  // the UI thread has run it
        std::string raised = "nothing raised";
        try {
            ui.Post([&] { ++ranAfter; });
        } catch (const std::length_error& error) {
            raised = error.what();
        }
        ui.Call([&] { ++ranAfter; });  // raised once only
        return raised;
    });
    while (ui.RunPending() == 0) {
        std::this_thread::yield();
    }
    failed.set_value();
    ServeUntil(ui, poster);
    EXPECT_EQ(poster.get(), "no room for the block");
    EXPECT_EQ(ranAfter, 1);  // the refused post never ran; the call did
}

TEST(UiCallQueueTest, WaitForPostedReturnsOnceEveryPostHasRunAndRaisesTheirFailure) {
    UiCallQueue ui([] {});
    std::vector<int> order;  // touched on the UI thread only
    auto poster = std::async(std::launch::async, [&] {
        ui.Post([&] { order.push_back(1); });
        ui.Post([] { throw std::length_error("no room for the block"); });
        ui.Post([&] { order.push_back(3); });
        try {
            ui.WaitForPosted();
        } catch (const std::length_error&) {
            ui.WaitForPosted();  // raised once
            return true;
        }
        return false;
    });
    ServeUntil(ui, poster);
    EXPECT_TRUE(poster.get());
    EXPECT_EQ(order, (std::vector<int>{1, 3}));
    EXPECT_THROW(ui.WaitForPosted(), std::logic_error);  // the UI thread would wait for itself
}

TEST(UiCallQueueTest, OnTheUiThreadAPostRunsAtOnce) {
    int wakes = 0;
    UiCallQueue ui([&] { ++wakes; });
    int ran = 0;
    ui.Post([&] { ++ran; });
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(wakes, 0);
}

TEST(UiCallQueueTest, ABudgetedRunLeavesTheRestToTheNextWake) {
    std::atomic<int> wakes{0};
    UiCallQueue ui([&] { ++wakes; });
    std::vector<int> order;
    auto poster = std::async(std::launch::async, [&] {
        for (int i = 0; i < 3; ++i) {
            ui.Post([&order, i] {
                order.push_back(i);
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            });
        }
    });
    poster.get();
    EXPECT_EQ(wakes, 1);
    // Each run takes one procedure at least, then finds its budget spent.
    EXPECT_EQ(ui.RunPending(std::chrono::microseconds(1)), 1u);
    EXPECT_EQ(wakes, 2);
    EXPECT_EQ(ui.RunPending(std::chrono::microseconds(1)), 1u);
    EXPECT_EQ(ui.RunPending(std::chrono::microseconds(1)), 1u);
    EXPECT_EQ(ui.RunPending(std::chrono::microseconds(1)), 0u);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(wakes, 3);
}

TEST(UiCallQueueTest, RunPendingIsRefusedOffTheUiThread) {
    UiCallQueue ui([] {});
    auto other = std::async(std::launch::async, [&] { return ui.RunPending(); });
    EXPECT_THROW(other.get(), std::logic_error);
}

}  // namespace
