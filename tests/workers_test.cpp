#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "fakes.h"
#include "workers/workers.h"

namespace varlen {
namespace {

using namespace std::chrono_literals;
using testing_support::Eventually;

// A routine that counts its passes through checkpoints until terminated.
struct Counter {
  std::atomic<int> passes{0};
  WorkerRoutine Routine() {
    return [this](WorkerContext& ctx) {
      while (ctx.Checkpoint()) {
        ++passes;
        std::this_thread::sleep_for(100us);
      }
    };
  }
  // True when the count stays put for a while.
  bool Stalled() {
    const int before = passes;
    std::this_thread::sleep_for(30ms);
    return passes == before;
  }
};

TEST(Workers, StartRunsAtOnceWithItsParameter) {
  Workers w;
  std::atomic<std::uint32_t> seen{0};
  const WorkerHandle h = w.StartWorker([&](WorkerContext& ctx) { seen = ctx.Parameter(); }, 42);
  EXPECT_NE(h, 0u);
  EXPECT_TRUE(w.WaitForWorker(h, 5s));
  EXPECT_EQ(seen, 42u);
}

TEST(Workers, SuspensionsAreCounted) {
  Workers w;
  Counter c;
  const WorkerHandle h = w.StartWorker(c.Routine());
  ASSERT_TRUE(Eventually([&] { return c.passes > 0; }));
  w.SuspendWorker(h);
  w.SuspendWorker(h);
  ASSERT_TRUE(Eventually([&] { return c.Stalled(); }));
  w.ResumeWorker(h);
  EXPECT_TRUE(c.Stalled());
  EXPECT_TRUE(w.IsSuspended(h));
  w.ResumeWorker(h);
  const int before = c.passes;
  EXPECT_TRUE(Eventually([&] { return c.passes > before; }));
  w.TerminateWorker(h);
  EXPECT_TRUE(w.WaitForWorker(h, 5s));
}

TEST(Workers, TerminateEndsASuspendedWorker) {
  Workers w;
  Counter c;
  const WorkerHandle h = w.StartWorker(c.Routine());
  w.SuspendWorker(h);
  w.TerminateWorker(h);
  EXPECT_TRUE(w.WaitForWorker(h, 5s));
  EXPECT_EQ(w.RunningCount(), 0);
}

TEST(Workers, TerminateInterruptsASleep) {
  Workers w;
  std::atomic<int> result{-1};
  const WorkerHandle h = w.StartWorker([&](WorkerContext& ctx) { result = ctx.Sleep(1h) ? 1 : 0; });
  std::this_thread::sleep_for(20ms);
  w.TerminateWorker(h);
  EXPECT_TRUE(w.WaitForWorker(h, 5s));
  EXPECT_EQ(result, 0);
}

TEST(Workers, SuspendDuringSleepHoldsAfterIt) {
  Workers w;
  std::atomic<bool> woke{false};
  const WorkerHandle h = w.StartWorker([&](WorkerContext& ctx) {
    if (ctx.Sleep(30ms)) woke = true;
  });
  w.SuspendWorker(h);
  std::this_thread::sleep_for(100ms);
  EXPECT_FALSE(woke);
  w.ResumeWorker(h);
  EXPECT_TRUE(w.WaitForWorker(h, 5s));
  EXPECT_TRUE(woke);
}

TEST(Workers, CallsOnNoWorkerOrAnEndedOneDoNothing) {
  Workers w;
  w.SuspendWorker(0);
  w.ResumeWorker(0);
  w.TerminateWorker(0);
  const WorkerHandle h = w.StartWorker([](WorkerContext&) {});
  ASSERT_TRUE(w.WaitForWorker(h, 5s));
  w.SuspendWorker(h);
  w.TerminateWorker(h);
  EXPECT_FALSE(w.IsSuspended(h));
  // A new worker gets a new handle: the old handle never reaches it.
  Counter c;
  const WorkerHandle next = w.StartWorker(c.Routine());
  EXPECT_NE(next, h);
  w.SuspendWorker(h);
  EXPECT_FALSE(w.IsSuspended(next));
  w.TerminateWorker(next);
  EXPECT_TRUE(w.WaitForWorker(next, 5s));
}

TEST(Workers, ConcurrentControlFromManyThreads) {
  Workers w;
  Counter c;
  std::vector<WorkerHandle> handles;
  for (int i = 0; i < 8; ++i) handles.push_back(w.StartWorker(c.Routine()));
  std::vector<std::thread> controllers;
  for (int k = 0; k < 4; ++k) {
    controllers.emplace_back([&] {
      for (int i = 0; i < 200; ++i) {
        const WorkerHandle h = handles[i % handles.size()];
        w.SuspendWorker(h);
        w.ResumeWorker(h);
      }
    });
  }
  for (auto& t : controllers) t.join();
  EXPECT_TRUE(w.TerminateAllAndWait(10s));
  EXPECT_EQ(w.RunningCount(), 0);
}

}  // namespace
}  // namespace varlen
