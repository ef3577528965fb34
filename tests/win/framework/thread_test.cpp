// Worker threads and the hand-over to the GUI thread, with real threads.
#include <atomic>
#include <memory>
#include <vector>

#include "framework/win/Application.h"
#include "framework/win/Errors.h"
#include "win/LambdaThread.h"
#include "win/ProcessCounts.h"
#include "win/WinTestMain.h"

using namespace tsb;
using namespace tsbtest;

class Threads : public WinTest {};

TEST_F(Threads, HandOverRunsOnTheGuiThreadAndReturnsItsResult) {
    DWORD gui = GetCurrentThreadId(), ranOn = 0, worker = 0;
    int result = 0;
    TLambdaThread t([&](TLambdaThread&) {
        worker = GetCurrentThreadId();
        result = Synchronize([&] {
            ranOn = GetCurrentThreadId();
            return 6 * 7;
        });
    });
    t.Start();
    ASSERT_TRUE(PumpUntil([&] { return t.Finished(); }));  // served by the ordinary message loop
    t.WaitFor();
    EXPECT_EQ(result, 42);
    EXPECT_EQ(ranOn, gui);
    EXPECT_NE(worker, gui);
    EXPECT_EQ(t.FatalException(), "");
}

// The error belongs to the worker that asked: it must not end in the window procedure's error box
// (the suite's error box fails the test).
TEST_F(Threads, AnExceptionOfTheHandedOverWorkReachesTheWorker) {
    std::string caught;
    bool unknownCaught = false;
    TLambdaThread t([&](TLambdaThread&) {
        try {
            Synchronize([] { throw EError("no such page"); });
        } catch (const EError& e) {
            caught = e.what();
        }
        try {
            Synchronize([] { throw 7; });
        } catch (int) {
            unknownCaught = true;
        }
        Synchronize([] { throw EError("left to the base"); });
    });
    t.Start();
    ASSERT_TRUE(PumpUntil([&] { return t.Finished(); }));
    t.WaitFor();
    EXPECT_EQ(caught, "no such page");
    EXPECT_TRUE(unknownCaught);
    EXPECT_EQ(t.FatalException(), "left to the base");
}

// The GUI thread stops a worker that is blocked handing work over and pumps nothing meanwhile:
// the wait itself serves the hand-over, so the stop ends at once instead of deadlocking.
TEST_F(Threads, StoppingAWorkerBlockedInAHandOverReturnsPromptly) {
    unique_event handingOver(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::atomic<int> served{0};
    TLambdaThread t([&](TLambdaThread& self) {
        while (!self.Terminated()) {
            SetEvent(handingOver.get());
            Synchronize([&] { ++served; });
        }
    });
    t.Start();
    ASSERT_EQ(WaitForSingleObject(handingOver.get(), 5000), WAIT_OBJECT_0);
    DWORD start = GetTickCount();
    t.Stop();
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_TRUE(t.Finished());
    EXPECT_GE(served.load(), 1);
}

// A worker that sends a message to a window of the GUI thread (as system calls on its behalf
// may) while the GUI thread waits for it: the wait runs the sent message, so both end.
TEST_F(Threads, WaitingForAWorkerServesTheMessagesItSends) {
    HWND target = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(target, nullptr);
    unique_event sending(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::atomic<bool> answered{false};
    TLambdaThread t([&](TLambdaThread&) {
        SetEvent(sending.get());
        DWORD_PTR result = 0;
        // WM_GETTEXTLENGTH is answered by the window's procedure on the GUI thread only.
        answered = SendMessageTimeoutA(target, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 10000, &result) != 0;
    });
    t.Start();
    ASSERT_EQ(WaitForSingleObject(sending.get(), 5000), WAIT_OBJECT_0);
    DWORD start = GetTickCount();
    t.WaitFor();
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_TRUE(answered.load());
    DestroyWindow(target);
}

TEST_F(Threads, AWorkerCannotBeWaitedForFromItsOwnHandOver) {
    std::unique_ptr<TLambdaThread> t;
    std::string error;
    t = std::make_unique<TLambdaThread>([&](TLambdaThread&) {
        Synchronize([&] {
            try {
                t->Stop();
            } catch (const EError& e) {
                error = e.what();
            }
        });
    });
    t->Start();
    t->WaitFor();
    EXPECT_EQ(error, "A worker cannot be waited for from its own hand-over");
}

TEST_F(Threads, StopWakesASleepingWorkerAtOnce) {
    unique_event asleep(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    bool slept = true;
    TLambdaThread t([&](TLambdaThread& self) {
        SetEvent(asleep.get());
        slept = self.SleepUnlessTerminated(60000);
    });
    t.Start();
    ASSERT_EQ(WaitForSingleObject(asleep.get(), 5000), WAIT_OBJECT_0);
    DWORD start = GetTickCount();
    t.Stop();
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_FALSE(slept);
}

TEST_F(Threads, ManyWorkersStartedAndStoppedLeaveNoThreadOrHandle) {
    {  // the first worker makes what lives for the whole run (thread pools, the channel's use)
        TLambdaThread warm([](TLambdaThread&) { Synchronize([] {}); });
        warm.Start();
        warm.Stop();
    }
    int threads = ThreadsOfThisProcess();
    DWORD handles = HandleCount();
    ASSERT_GT(threads, 0);
    ASSERT_GT(handles, 0u);
    for (int round = 0; round < 5; ++round) {
        std::vector<std::unique_ptr<TLambdaThread>> workers;
        for (int i = 0; i < 20; ++i) {
            workers.push_back(std::make_unique<TLambdaThread>([](TLambdaThread& self) {
                while (!self.Terminated()) Synchronize([] {});
            }));
            workers.back()->Start();
        }
        EXPECT_GE(ThreadsOfThisProcess(), threads + 20);
        for (auto& w : workers) w->Stop();
    }
    EXPECT_EQ(ThreadsOfThisProcess(), threads);
    EXPECT_EQ(HandleCount(), handles);
}
