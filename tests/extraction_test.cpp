#include "app_fixture.h"
#include "extract/extraction.h"
#include "net/presence.h"

namespace varlen {
namespace {

using namespace testing_support;
using Strings = std::vector<std::string>;

class ExtractionTest : public AppTest {
 protected:
  void SetUp() override {
    app.InitMainWindow();
    app.State().SetText(Box::编辑框8, "2024-5-8");
  }
  std::string Shop(int n) { return "http://" + kSim + "/shop/" + std::to_string(n); }
};

TEST_F(ExtractionTest, FastRunMakesRowsFromTheListing) {
  ServeListing(ListingBody({{"alice", "2024-5-8", "是", Shop(1)}, {"鲍勃", "2024-5-9", "否", Shop(2)}}));
  RunExtraction();
  EXPECT_EQ(Column(ColSeq), (Strings{"1", "2"}));
  EXPECT_EQ(Column(ColSeller), (Strings{"alice", "鲍勃"}));
  EXPECT_EQ(Column(ColOpenDate), (Strings{"2024-5-8", "2024-5-9"}));
  EXPECT_EQ(Column(ColProtection), (Strings{"是", "否"}));
  EXPECT_EQ(Column(ColShopUrl), (Strings{Shop(1), Shop(2)}));
  EXPECT_EQ(Column(ColOnline), (Strings{"", ""}));
  EXPECT_EQ(app.State().GetText(Box::编辑框7), "2");
  EXPECT_EQ(app.Table().Columns()[ColShopName].width, 0);
  EXPECT_EQ(Status(), "目前数据提取完毕，请稍后几个小时提取");
  EXPECT_TRUE(app.State().IsStartEnabled());
  EXPECT_EQ(app.State().StartCaption(), "重新提取");
  // The listing address came from a fresh configuration page.
  const auto requested = fakes.web.Requested();
  EXPECT_EQ(requested, (Strings{kSim + "/", kSim + "/listing.txt"}));
}

struct RefusalCase {
  const char* name;
  std::string config, listing;
  friend void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }
};

class RefusalTest : public ExtractionTest, public testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusalTest, ServerBusy) {
  AddRows({{{ColSeller, "kept"}}});
  if (!GetParam().config.empty()) fakes.web.Serve(kSim + "/", GetParam().config);
  if (!GetParam().listing.empty()) fakes.web.Serve(kSim + "/listing.txt", GetParam().listing);
  RunExtraction();
  EXPECT_EQ(Status(), "服务器繁忙，请稍后再试");
  EXPECT_TRUE(app.State().IsStartEnabled());
  EXPECT_EQ(app.State().StartCaption(), "重新提取");
  EXPECT_EQ(Column(ColSeller), Strings{"kept"});
  EXPECT_EQ(app.Globals().ExtractionRunning, 1);
}

const std::string kConfig = "minghttp://127.0.0.1:8931/listing.txtming";
INSTANTIATE_TEST_SUITE_P(
    Cases, RefusalTest,
    testing::Values(RefusalCase{"Unreachable", "", ""},
                    RefusalCase{"NoMarkers", "no markers here", "h\r\n<p>a<p>\r\nz\r\n"},
                    RefusalCase{"OneMing", "minghttp://127.0.0.1:8931/listing.txt", "h\r\n<p>a<p>\r\nz\r\n"},
                    RefusalCase{"OneEntry", kConfig, "heading\r\n<p>a<p>2024-5-9<p>p<p>u<p>\r\n"},
                    RefusalCase{"FirstWithoutP", kConfig, "h\r\nplain\r\n<p>a<p>2024-5-9<p>p<p>u<p>\r\nz\r\n"},
                    RefusalCase{"UpperCaseFirst", kConfig, "h\r\n<P>a<P>b<P>c<P>d<P>\r\nz\r\n"},
                    RefusalCase{"Garbage", kConfig, std::string("\xff\xfe\0\x81\r\n\xd6", 8)}),
    [](const testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

struct FilterCase {
  const char* name;
  std::string dateBox, contactLog, line;
  bool kept;
  friend void PrintTo(const FilterCase& c, std::ostream* os) { *os << c.name; }
};

class FilterTest : public ExtractionTest, public testing::WithParamInterface<FilterCase> {};

TEST_P(FilterTest, KeepsOrDrops) {
  fakes.files.files[std::string(ContactLogFile)] = GetParam().contactLog;
  app.Log().LoadContactLog();
  app.State().SetText(Box::编辑框8, GetParam().dateBox);
  ServeListing("heading\r\n" + GetParam().line + "\r\nend\r\n");
  RunExtraction();
  EXPECT_EQ(app.Table().RowCount(), GetParam().kept ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FilterTest,
    testing::Values(
        FilterCase{"ExactlyFromDate", "2024-5-8", "", "<p>s<p>2024-5-8<p>p<p>u<p>", true},
        FilterCase{"DayEarlier", "2024-5-8", "", "<p>s<p>2024-5-7<p>p<p>u<p>", false},
        FilterCase{"UnparsableShopDate", "2024-5-8", "", "<p>s<p>soon<p>p<p>u<p>", false},
        FilterCase{"UnparsableDateBoxKeepsAll", "2024-5-0", "", "<p>s<p>soon<p>p<p>u<p>", true},
        FilterCase{"KnownSeller", "2024-5-8", "xxsellerxx", "<p>seller<p>2024-5-9<p>p<p>u<p>", false},
        FilterCase{"StraddlingKnown", "2024-5-8", "abcdef", "<p>bcd<p>2024-5-9<p>p<p>u<p>", false},
        FilterCase{"CaseDiffers", "2024-5-8", "ABC", "<p>abc<p>2024-5-9<p>p<p>u<p>", true},
        FilterCase{"EmptyFieldVanishes", "2024-5-8", "", "<p>s<p><p>2024-5-9<p>p<p>u<p>", true},
        FilterCase{"UpperCaseMarkers", "2024-5-8", "", "<p>s<P>2024-5-9<P>p<P>u<P>", true},
        FilterCase{"ShortLineSkipped", "2024-5-0", "", "<p>s<p>2024-5-9<p>p<p>", false}),
    [](const testing::TestParamInfo<FilterCase>& info) { return std::string(info.param.name); });

TEST_F(ExtractionTest, StopDuringTheDownloadPausesBeforeTheFirstLine) {
  fakes.web.Serve(kSim + "/", "minghttp://" + kSim + "/listing.txtming");
  const std::string listing = ListingBody({{"a", "2024-5-9", "否", "u"}, {"b", "2024-5-9", "否", "u"}});
  fakes.web.fallback = [&](const std::string&) {
    gate.Wait();
    return listing;
  };
  app.StartExtraction();
  EXPECT_FALSE(app.State().IsStartEnabled());
  EXPECT_EQ(Status(), "正在准备提取中…");
  ASSERT_TRUE(Eventually([&] { return gate.Waiting() == 1; }));
  app.StopExtraction();
  EXPECT_EQ(Status(), "软件已停止提取");
  EXPECT_TRUE(app.State().IsStartEnabled());
  gate.Open();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(app.Table().RowCount(), 0);
  app.ContinueExtraction();
  ASSERT_TRUE(app.Threads().WaitForWorker(app.Globals().ExtractionThread, std::chrono::seconds(10)));
  EXPECT_EQ(app.Table().RowCount(), 2);
  EXPECT_EQ(Status(), "目前数据提取完毕，请稍后几个小时提取");
}

TEST_F(ExtractionTest, NewPressEndsTheEarlierExtraction) {
  fakes.web.Serve(kSim + "/", "minghttp://" + kSim + "/listing.txtming");
  int calls = 0;
  fakes.web.fallback = [&](const std::string&) {
    if (++calls == 1) gate.Wait();  // the first listing download hangs
    return ListingBody({{"second", "2024-5-9", "否", "u"}});
  };
  app.StartExtraction();
  const WorkerHandle first = app.Globals().ExtractionThread;
  ASSERT_TRUE(Eventually([&] { return gate.Waiting() == 1; }));
  RunExtraction();
  EXPECT_EQ(Column(ColSeller), Strings{"second"});
  gate.Open();
  ASSERT_TRUE(app.Threads().WaitForWorker(first, std::chrono::seconds(10)));
  EXPECT_EQ(Column(ColSeller), Strings{"second"});  // the first one ended without a row
}

class SlowExtractionTest : public ExtractionTest {
 protected:
  void SetUp() override {
    ExtractionTest::SetUp();
    app.State().SetTicked(Option::选择框3, true);
  }
  // One listing line pointing at a page served as given (nothing: a failed download).
  void RunWithPage(const std::optional<std::string>& page, const std::string& seller = "s") {
    if (page) fakes.web.Serve(kSim + "/shop/1", *page);
    ServeListing(ListingBody({{seller, "2024-5-9", "否", Shop(1)}}));
    RunExtraction();
  }
  void ServePresence(const std::string& seller, bool online) {
    fakes.web.Serve(PresenceKey(seller), online ? "GIF89a" + std::string(OnlineSignature) : "GIF89a-offline");
  }
  static std::string PresenceKey(const std::string& seller) {
    return kSim + PresenceUrl(seller, kSim).substr(7 + kSim.size());
  }
};

TEST_F(SlowExtractionTest, RowFromThePage) {
  RunWithPage(ShopPage("掌柜甲", 0, true));
  ASSERT_EQ(app.Table().RowCount(), 1);
  EXPECT_EQ(app.Table().GetCell(0, ColSeq), "1");
  EXPECT_EQ(app.Table().GetCell(0, ColShopName), "Shop of 掌柜甲");
  EXPECT_EQ(app.Table().GetCell(0, ColSeller), "掌柜甲");
  EXPECT_EQ(app.Table().GetCell(0, ColOpenDate), "2024-5-9");
  EXPECT_EQ(app.Table().GetCell(0, ColShopUrl), "https://shop77.example");
  EXPECT_EQ(app.Table().GetCell(0, ColProtection), "否");  // "消保显示" not ticked
  EXPECT_EQ(app.Table().GetCell(0, ColOnline), "");
  EXPECT_EQ(app.Table().Columns()[ColShopName].width, 120);
  EXPECT_EQ(app.State().GetText(Box::编辑框7), "1");
  EXPECT_EQ(Status(), "目前数据提取完毕，请稍后几个小时提取");
  EXPECT_TRUE(app.State().IsStartEnabled());
}

TEST_F(SlowExtractionTest, ProtectionShownWhenTicked) {
  app.State().SetTicked(Option::选择框2, true);
  RunWithPage(ShopPage("s", 0, true));
  EXPECT_EQ(app.Table().GetCell(0, ColProtection), "是");
}

TEST_F(SlowExtractionTest, MissingPatternsGiveEmptyCells) {
  RunWithPage(ShopPage("s", 0, false, false));
  ASSERT_EQ(app.Table().RowCount(), 1);
  EXPECT_EQ(app.Table().GetCell(0, ColShopName), "");
  EXPECT_EQ(app.Table().GetCell(0, ColOpenDate), "");
  EXPECT_EQ(app.Table().GetCell(0, ColShopUrl), "https://shop");
}

struct PageCase {
  const char* name;
  std::optional<std::string> page;
  bool filterGoods;
  bool row;
  friend void PrintTo(const PageCase& c, std::ostream* os) { *os << c.name; }
};

class SlowPageTest : public SlowExtractionTest, public testing::WithParamInterface<PageCase> {};

TEST_P(SlowPageTest, Decides) {
  app.State().SetTicked(Option::选择框4, GetParam().filterGoods);
  RunWithPage(GetParam().page);
  EXPECT_EQ(app.Table().RowCount(), GetParam().row ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SlowPageTest,
    testing::Values(PageCase{"FailedDownload", std::nullopt, false, false},
                    PageCase{"AccessLimited", ShopPage("s") + "亲，访问受限了", false, false},
                    PageCase{"NoSellerLine", std::string("<html> 掌柜：s</a><br></html>"), false, false},
                    PageCase{"Length76000", ShopPage("s", 76000), true, false},
                    PageCase{"Length76001", ShopPage("s", 76001), true, true},
                    PageCase{"Length78499", ShopPage("s", 78499), true, true},
                    PageCase{"Length78500", ShopPage("s", 78500), true, false},
                    PageCase{"LengthIgnoredUnticked", ShopPage("s", 90000), false, true},
                    PageCase{"ZeroByteCutsThePage", std::string("<a>\0>掌柜：s</a><br>", 17), false, false}),
    [](const testing::TestParamInfo<PageCase>& info) { return std::string(info.param.name); });

TEST_F(SlowExtractionTest, OnlineOnly) {
  app.State().SetTicked(Option::选择框1, true);
  ServePresence("on", true);
  ServePresence("off", false);
  fakes.web.Serve(kSim + "/shop/1", ShopPage("on"));
  fakes.web.Serve(kSim + "/shop/2", ShopPage("off"));
  fakes.web.Serve(kSim + "/shop/3", "<b>>掌柜：</a><br>");  // empty seller: no request
  ServeListing(ListingBody({{"l1", "2024-5-9", "否", Shop(1)},
                            {"l2", "2024-5-9", "否", Shop(2)},
                            {"l3", "2024-5-9", "否", Shop(3)}}));
  RunExtraction();
  EXPECT_EQ(Column(ColSeller), Strings{"on"});
  EXPECT_EQ(Column(ColOnline), Strings{"在线"});
  int presenceRequests = 0;
  for (const auto& r : fakes.web.Requested()) presenceRequests += r.find("/online.aw") != std::string::npos;
  EXPECT_EQ(presenceRequests, 2);
}

TEST_F(SlowExtractionTest, KnownSellerAndOldShopCostNoDownload) {
  fakes.files.files[std::string(ContactLogFile)] = "known";
  app.Log().LoadContactLog();
  ServeListing(ListingBody({{"known", "2024-5-9", "否", Shop(1)}, {"old", "2024-5-1", "否", Shop(2)}}));
  RunExtraction();
  EXPECT_EQ(fakes.web.Requested(), (Strings{kSim + "/", kSim + "/listing.txt"}));
}

TEST_F(SlowExtractionTest, PausesOneSecondAfterEveryDownloadedPage) {
  app.SetSlowPause(std::chrono::milliseconds(1000));
  ServeListing(ListingBody({{"a", "2024-5-9", "否", Shop(1)}, {"b", "2024-5-9", "否", Shop(2)}}));
  const auto start = std::chrono::steady_clock::now();
  RunExtraction();
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
}

}  // namespace
}  // namespace varlen
