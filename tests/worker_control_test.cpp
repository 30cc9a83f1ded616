#include <gtest/gtest.h>

#include <atomic>

#include "app/application.h"
#include "fakes.h"

namespace varlen {
namespace {

using namespace std::chrono_literals;
using testing_support::Eventually;
using testing_support::FakePorts;

// A checker stand-in that passes checkpoints until terminated.
struct ParkedRoutine {
  std::atomic<int> starts{0}, passes{0};
  WorkerRoutine Make() {
    return [this](WorkerContext& ctx) {
      ++starts;
      while (ctx.Checkpoint()) {
        ++passes;
        ctx.Sleep(1ms);
      }
    };
  }
};

std::array<bool, 6> DeletionItems(const WindowState& s) {
  return {s.IsMenuEnabled(MenuItem::DeleteSelected), s.IsMenuEnabled(MenuItem::DeleteDay),
          s.IsMenuEnabled(MenuItem::DeleteWithGoods), s.IsMenuEnabled(MenuItem::DeleteProtected),
          s.IsMenuEnabled(MenuItem::DeleteOffline), s.IsMenuEnabled(MenuItem::ClearAll)};
}
constexpr std::array<bool, 6> kAllOn{true, true, true, true, true, true};
constexpr std::array<bool, 6> kAllOff{};

class WorkerControlTest : public testing::Test {
 protected:
  void SetUp() override {
    app.Control().SetCheckerRoutines(online.Make(), goods.Make());
  }
  void AddRows(int n) {
    for (int i = 0; i < n; ++i) app.Table().AppendRow();
  }
  Text Status() { return app.State().GetText(Box::标签5); }

  FakePorts fakes;
  Application app{fakes.ports};
  ParkedRoutine online, goods;
};

TEST_F(WorkerControlTest, HeaderClicksOnEmptyTableDoNothing) {
  for (int column = 0; column < kColumnCount; ++column) app.OnHeaderClicked(column);
  EXPECT_EQ(app.State().GetText(Box::编辑框1), "");
  EXPECT_EQ(app.State().GetText(Box::编辑框9), "");
  EXPECT_EQ(Status(), "");
  EXPECT_EQ(app.Threads().RunningCount(), 0);
}

TEST_F(WorkerControlTest, OtherColumnsDoNothing) {
  AddRows(3);
  for (int column : {0, 1, 2, 3, 5, 6, 7, 9, -1}) app.OnHeaderClicked(column);
  EXPECT_EQ(app.Threads().RunningCount(), 0);
  EXPECT_EQ(Status(), "");
}

TEST_F(WorkerControlTest, OnlineCheckerThreeClickCycle) {
  AddRows(3);
  app.OnHeaderClicked(ColOnline);
  EXPECT_EQ(app.State().GetText(Box::编辑框1), kCheckerRunning);
  EXPECT_EQ(Status(), "正在判断在线状态…");
  const WorkerHandle h = app.Globals().OnlineCheckerThread;
  ASSERT_NE(h, 0u);
  ASSERT_TRUE(Eventually([&] { return online.passes > 0; }));

  DisableDeletionItems(app.State());  // as the checker does when it starts
  app.OnHeaderClicked(ColOnline);
  EXPECT_EQ(app.State().GetText(Box::编辑框1), kCheckerSuspended);
  EXPECT_EQ(Status(), "暂停判断在线状态");
  EXPECT_EQ(DeletionItems(app.State()), kAllOn);
  EXPECT_TRUE(app.Threads().IsSuspended(h));

  app.OnHeaderClicked(ColOnline);
  EXPECT_EQ(app.State().GetText(Box::编辑框1), kCheckerRunning);
  EXPECT_EQ(Status(), "正在判断在线状态…");
  EXPECT_EQ(DeletionItems(app.State()), kAllOff);
  EXPECT_FALSE(app.Threads().IsSuspended(h));
  EXPECT_EQ(online.starts, 1);
  // Export and shop items are never touched.
  EXPECT_TRUE(app.State().IsMenuEnabled(MenuItem::OpenShop));
  EXPECT_TRUE(app.State().IsMenuEnabled(MenuItem::ExportAll));
}

TEST_F(WorkerControlTest, GoodsCheckerThreeClickCycle) {
  AddRows(1);
  app.OnHeaderClicked(ColGoods);
  EXPECT_EQ(app.State().GetText(Box::编辑框9), kCheckerRunning);
  EXPECT_EQ(Status(), "正在判断有无商品");
  const WorkerHandle h = app.Globals().GoodsCheckerThread;
  app.OnHeaderClicked(ColGoods);
  EXPECT_EQ(app.State().GetText(Box::编辑框9), kCheckerSuspended);
  EXPECT_EQ(Status(), "暂停判断有无商品");
  EXPECT_TRUE(app.Threads().IsSuspended(h));
  app.OnHeaderClicked(ColGoods);
  EXPECT_EQ(app.State().GetText(Box::编辑框9), kCheckerRunning);
  EXPECT_FALSE(app.Threads().IsSuspended(h));
  EXPECT_EQ(DeletionItems(app.State()), kAllOn);  // goods checks never grey them
}

TEST_F(WorkerControlTest, UnknownStateTextMakesClicksDoNothing) {
  AddRows(1);
  app.State().SetText(Box::编辑框1, "other");
  app.OnHeaderClicked(ColOnline);
  EXPECT_EQ(app.State().GetText(Box::编辑框1), "other");
  EXPECT_EQ(app.Threads().RunningCount(), 0);
}

TEST_F(WorkerControlTest, SelfPauseIsResumedByTheNextClick) {
  AddRows(1);
  std::atomic<int> phase{0};
  app.Control().SetCheckerRoutines(online.Make(), [&](WorkerContext& ctx) {
    phase = 1;
    if (app.Control().PauseSelf(ctx, Box::编辑框9, "判断是否有商品已停止。")) phase = 2;
  });
  app.OnHeaderClicked(ColGoods);
  ASSERT_TRUE(Eventually([&] { return app.State().GetText(Box::编辑框9) == kCheckerSuspended; }));
  EXPECT_EQ(Status(), "判断是否有商品已停止。");
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(phase, 1);
  app.OnHeaderClicked(ColGoods);
  EXPECT_EQ(app.State().GetText(Box::编辑框9), kCheckerRunning);
  EXPECT_TRUE(app.Threads().WaitForWorker(app.Globals().GoodsCheckerThread, 5s));
  EXPECT_EQ(phase, 2);
}

// A click racing a self-pause: whichever comes first, the state box never
// says "running" while the checker waits, nor "suspended" while it runs.
TEST_F(WorkerControlTest, SelfPauseRacingClicksNeverStrandsTheChecker) {
  AddRows(1);
  for (int round = 0; round < 50; ++round) {
    std::atomic<bool> done{false};
    app.State().SetText(Box::编辑框9, "");
    app.Control().SetCheckerRoutines(online.Make(), [&](WorkerContext& ctx) {
      app.Control().PauseSelf(ctx, Box::编辑框9, "判断是否有商品已停止。");
      done = true;
    });
    app.OnHeaderClicked(ColGoods);
    // Click until the checker gets through: every resume must reach it.
    ASSERT_TRUE(Eventually([&] {
      if (!done) app.OnHeaderClicked(ColGoods);
      return done.load();
    }));
    EXPECT_TRUE(app.Threads().WaitForWorker(app.Globals().GoodsCheckerThread, 5s));
  }
}

TEST_F(WorkerControlTest, StopTwiceNeedsContinueTwice) {
  ParkedRoutine extraction;
  app.State().SetStartEnabled(false);
  app.Globals().ExtractionRunning = 1;
  app.Globals().ExtractionThread = app.Threads().StartWorker(extraction.Make());
  const WorkerHandle h = app.Globals().ExtractionThread;

  app.StopExtraction();
  EXPECT_EQ(app.Globals().ExtractionRunning, 0);
  EXPECT_EQ(Status(), "软件已停止提取");
  EXPECT_TRUE(app.State().IsStartEnabled());
  app.StopExtraction();
  app.ContinueExtraction();
  EXPECT_EQ(app.Globals().ExtractionRunning, 1);
  EXPECT_TRUE(app.Threads().IsSuspended(h));
  app.ContinueExtraction();
  EXPECT_FALSE(app.Threads().IsSuspended(h));
  EXPECT_EQ(Status(), "软件已停止提取");  // continuing writes no text
  app.Threads().TerminateWorker(h);
  EXPECT_TRUE(app.Threads().WaitForWorker(h, 5s));
}

TEST_F(WorkerControlTest, StopAndContinueWithoutExtraction) {
  app.StopExtraction();
  EXPECT_EQ(app.Globals().ExtractionRunning, 0);
  EXPECT_EQ(Status(), "软件已停止提取");
  app.ContinueExtraction();
  EXPECT_EQ(app.Globals().ExtractionRunning, 1);
}

TEST_F(WorkerControlTest, ShutdownEndsPausedExtractionThenSavesTheLog) {
  app.InitMainWindow();
  ParkedRoutine extraction;
  app.Globals().ExtractionThread = app.Threads().StartWorker(extraction.Make());
  app.StopExtraction();
  app.Log().AppendToContactLog("abc");
  fakes.files.files.clear();  // only the shutdown save can bring the file back
  app.ShutDownMainWindow();
  EXPECT_TRUE(app.Threads().WaitForWorker(app.Globals().ExtractionThread, 5s));
  EXPECT_EQ(fakes.files.Get(std::string(ContactLogFile)), "abc");
}

}  // namespace
}  // namespace varlen
