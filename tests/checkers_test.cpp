#include <set>

#include "app_fixture.h"
#include "net/presence.h"
#include "workers/checkers.h"

namespace varlen {
namespace {

using namespace testing_support;
using Strings = std::vector<std::string>;
using namespace std::chrono_literals;

std::string PresenceKey(const std::string& seller) {
  return kSim + PresenceUrl(seller, kSim).substr(7 + kSim.size());
}

class OnlineCheckerTest : public AppTest {
 protected:
  // Presence answers wait at the gate; sellers in `online` are online.
  void SetUp() override {
    fakes.web.fallback = [this](const std::string& address) -> Bytes {
      gate.Wait();
      std::lock_guard<std::mutex> lock(onlineMutex);
      return online.count(address) ? "GIF89a" + std::string(OnlineSignature) : "GIF89a-no";
    };
  }
  void Sellers(int n, const std::string& prefix = "s") {
    for (int i = 0; i < n; ++i) AddRows({{{ColSeller, prefix + std::to_string(i)}}});
  }
  void SetOnline(const std::string& seller) {
    std::lock_guard<std::mutex> lock(onlineMutex);
    online.insert(PresenceKey(seller));
  }
  bool RunEnded() { return app.State().GetText(Box::编辑框1).empty(); }
  int Requests() { return static_cast<int>(fakes.web.Requested().size()); }

  std::mutex onlineMutex;
  std::set<std::string> online;
};

TEST_F(OnlineCheckerTest, OneRowEndsAtOnce) {
  Sellers(1);
  app.OnHeaderClicked(ColOnline);
  ASSERT_TRUE(Eventually([&] { return RunEnded(); }));
  EXPECT_EQ(Status(), "");
  EXPECT_EQ(Column(ColOnline), Strings{""});
  EXPECT_EQ(Requests(), 0);
  EXPECT_TRUE(app.State().IsMenuEnabled(MenuItem::ClearAll));
}

TEST_F(OnlineCheckerTest, TwoRowsEndWhenTheFirstHasItsState) {
  Sellers(2);
  SetOnline("s0");
  app.OnHeaderClicked(ColOnline);
  ASSERT_TRUE(Eventually([&] { return gate.Waiting() == 2; }));
  EXPECT_EQ(Status(), "正在判断在线状态…");
  EXPECT_FALSE(app.State().IsMenuEnabled(MenuItem::DeleteOffline));
  EXPECT_TRUE(app.State().IsMenuEnabled(MenuItem::ExportAll));
  gate.Release(1);  // one answer: whichever row it is, the run waits for row 0
  ASSERT_TRUE(Eventually([&] { return gate.Waiting() == 1; }));
  gate.Open();
  ASSERT_TRUE(Eventually([&] { return RunEnded() && app.Globals().ChecksInFlight == 0; }));
  EXPECT_EQ(Column(ColOnline), (Strings{"在线", "离线"}));
  EXPECT_EQ(app.State().GetText(Box::编辑框3), "1");
  EXPECT_TRUE(app.State().IsOnlineLabelVisible());
  EXPECT_EQ(Status(), "");
  EXPECT_TRUE(app.State().IsMenuEnabled(MenuItem::DeleteOffline));
}

TEST_F(OnlineCheckerTest, AtMostOneHundredInFlightAndEndsAtRow248) {
  Sellers(250);
  app.OnHeaderClicked(ColOnline);
  ASSERT_TRUE(Eventually([&] { return gate.Waiting() == 100; }));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(Requests(), 100);
  EXPECT_EQ(app.Globals().ChecksInFlight, 100);
  gate.Release(1);
  ASSERT_TRUE(Eventually([&] { return Requests() == 101; }));
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(app.Globals().ChecksInFlight, 100);
  // Rows are launched strictly in order: the first hundred rows at once, then
  // row 100 when one of them ended.
  const Strings requested = fakes.web.Requested();
  std::set<std::string> first(requested.begin(), requested.begin() + 100), expected;
  for (int i = 0; i < 100; ++i) expected.insert(PresenceKey("s" + std::to_string(i)));
  EXPECT_EQ(first, expected);
  EXPECT_EQ(requested[100], PresenceKey("s100"));
  gate.Open();
  ASSERT_TRUE(Eventually([&] { return RunEnded(); }));
  EXPECT_FALSE(app.Table().GetCell(248, ColOnline).empty());
  ASSERT_TRUE(Eventually([&] { return app.Globals().ChecksInFlight == 0; }));
  EXPECT_GE(Requests(), 249);  // the last row only if launched before the end
  EXPECT_EQ(app.State().GetText(Box::编辑框3), "");  // nobody online: untouched
  EXPECT_FALSE(app.State().IsOnlineLabelVisible());
}

TEST_F(OnlineCheckerTest, SecondRunOverCheckedRowsEndsAtOnce) {
  Sellers(3);
  SetOnline("s1");
  gate.Open();
  app.OnHeaderClicked(ColOnline);
  ASSERT_TRUE(Eventually([&] { return RunEnded() && app.Globals().ChecksInFlight == 0; }));
  EXPECT_EQ(app.State().GetText(Box::编辑框3), "1");
  const int before = Requests();
  app.OnHeaderClicked(ColOnline);
  ASSERT_TRUE(Eventually([&] { return RunEnded(); }));
  EXPECT_EQ(Requests(), before);
  EXPECT_EQ(app.Globals().OnlineCount, 0);
  EXPECT_EQ(app.State().GetText(Box::编辑框3), "1");
}

TEST_F(OnlineCheckerTest, PauseStopsLaunchesWhileRunningChecksFinish) {
  Sellers(150);
  app.OnHeaderClicked(ColOnline);
  ASSERT_TRUE(Eventually([&] { return gate.Waiting() == 100; }));
  app.OnHeaderClicked(ColOnline);  // pause
  EXPECT_TRUE(app.State().IsMenuEnabled(MenuItem::DeleteOffline));
  gate.Release(100);
  ASSERT_TRUE(Eventually([&] { return app.Globals().ChecksInFlight == 0; }));
  std::this_thread::sleep_for(50ms);
  // The checks finished and wrote; at most the launch under way when the
  // pause came got through.
  EXPECT_LE(Requests(), 101);
  EXPECT_EQ(app.Table().GetCell(99, ColOnline), "离线");
  app.OnHeaderClicked(ColOnline);  // resume
  EXPECT_FALSE(app.State().IsMenuEnabled(MenuItem::DeleteOffline));
  gate.Open();
  ASSERT_TRUE(Eventually([&] { return RunEnded(); }));
  ASSERT_TRUE(Eventually([&] { return app.Globals().ChecksInFlight == 0; }));
  // The last row is launched only if the run had not ended before it.
  EXPECT_GE(Requests(), 149);
}

TEST_F(OnlineCheckerTest, LateAnswerLandsOnItsOwnRowAfterADeletion) {
  AddRows({{{ColSeller, "gone"}, {ColGoods, "有"}}, {{ColSeller, "kept"}}, {{ColSeller, "third"}}});
  SetOnline("kept");
  app.OnHeaderClicked(ColOnline);
  ASSERT_TRUE(Eventually([&] { return gate.Waiting() == 3; }));
  app.OnHeaderClicked(ColOnline);  // pause, so deletions are allowed
  app.RunMenuCommand(MenuItem::DeleteWithGoods);
  gate.Open();
  ASSERT_TRUE(Eventually([&] { return app.Globals().ChecksInFlight == 0; }));
  EXPECT_EQ(Column(ColSeller), (Strings{"kept", "third"}));
  EXPECT_EQ(Column(ColOnline), (Strings{"在线", "离线"}));
  EXPECT_EQ(app.Globals().OnlineCount, 1);
}

class GoodsCheckerTest : public AppTest {
 protected:
  void Shops(const std::vector<std::string>& pages) {
    for (size_t i = 0; i < pages.size(); ++i) {
      const std::string path = "/shop/" + std::to_string(i);
      fakes.web.Serve(kSim + path, pages[i]);
      AddRows({{{ColShopUrl, "http://" + kSim + path}}});
    }
  }
  bool Ended() { return app.State().GetText(Box::编辑框9).empty(); }
};

TEST(GoodsVerdict, LengthWindow) {
  const std::pair<int, const char*> cases[] = {{0, "有"}, {75000, "有"}, {75001, "无"},
                                               {79999, "无"}, {80000, "有"}};
  for (const auto& [length, verdict] : cases) EXPECT_EQ(GoodsVerdict(length), verdict) << length;
}

TEST_F(GoodsCheckerTest, JudgesEveryEmptyRowByLength) {
  Shops({std::string(75001, 'a'), std::string(80000, 'a'), "X-UA-Compatible" + std::string(76000, 'a')});
  AddRows({{{ColShopUrl, "http://" + kSim + "/missing"}}});  // failed download: length 0
  AddRows({{{ColShopUrl, "http://" + kSim + "/judged"}, {ColGoods, "未识别"}}});
  app.OnHeaderClicked(ColGoods);
  EXPECT_EQ(Status(), "正在判断有无商品");
  ASSERT_TRUE(Eventually([&] { return Ended(); }));
  EXPECT_EQ(Column(ColGoods), (Strings{"无", "有", "无", "有", "未识别"}));
  EXPECT_EQ(Status(), "");
  for (const auto& r : fakes.web.Requested()) EXPECT_EQ(r.find("/judged"), std::string::npos);
}

TEST_F(GoodsCheckerTest, AllJudgedEndsAtOnce) {
  AddRows({{{ColGoods, "有"}}});
  app.OnHeaderClicked(ColGoods);
  ASSERT_TRUE(Eventually([&] { return Ended(); }));
  EXPECT_TRUE(fakes.web.Requested().empty());
}

TEST_F(GoodsCheckerTest, PausesItselfOnAPageItCannotJudge) {
  Shops({"<meta http-equiv=\"x-ua-compatible\">", std::string(76000, 'a')});
  app.OnHeaderClicked(ColGoods);
  ASSERT_TRUE(Eventually([&] { return app.State().GetText(Box::编辑框9) == kCheckerSuspended; }));
  EXPECT_EQ(Status(), "判断是否有商品已停止。");
  EXPECT_EQ(Column(ColGoods), (Strings{"未识别", ""}));
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(fakes.web.Requested().size(), 1u);
  app.OnHeaderClicked(ColGoods);  // resumes
  EXPECT_EQ(Status(), "正在判断有无商品");
  ASSERT_TRUE(Eventually([&] { return Ended(); }));
  EXPECT_EQ(Column(ColGoods), (Strings{"未识别", "无"}));
}

TEST_F(GoodsCheckerTest, PicksUpRowsAppendedDuringTheCheck) {
  fakes.web.fallback = [&](const std::string&) {
    gate.Wait();
    return Bytes(77000, 'a');
  };
  AddRows({{{ColShopUrl, "http://" + kSim + "/a"}}});
  app.OnHeaderClicked(ColGoods);
  ASSERT_TRUE(Eventually([&] { return gate.Waiting() == 1; }));
  AddRows({{{ColShopUrl, "http://" + kSim + "/b"}}});
  gate.Open();
  ASSERT_TRUE(Eventually([&] { return Ended(); }));
  EXPECT_EQ(Column(ColGoods), (Strings{"无", "无"}));
}

TEST_F(GoodsCheckerTest, ResultOfADeletedRowIsDropped) {
  fakes.web.fallback = [&](const std::string&) {
    gate.Wait();
    return Bytes(77000, 'a');
  };
  AddRows({{{ColShopUrl, "http://" + kSim + "/a"}, {ColOnline, "离线"}}, {{ColGoods, "有"}}});
  app.OnHeaderClicked(ColGoods);
  ASSERT_TRUE(Eventually([&] { return gate.Waiting() == 1; }));
  app.RunMenuCommand(MenuItem::DeleteOffline);
  gate.Open();
  ASSERT_TRUE(Eventually([&] { return Ended(); }));
  EXPECT_EQ(Column(ColGoods), Strings{"有"});
}

}  // namespace
}  // namespace varlen
