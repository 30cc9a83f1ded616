// A hostile or broken server: the window keeps working and nothing is lost.
// Faults are chosen by path on the test simulator (/f/KIND/..., /fs/KIND/...);
// presence faults come from a simulator of their own.
#include "window_harness.h"

namespace varlen {
namespace {

using namespace testing_support;
using namespace std::chrono_literals;

const std::string kFaultySim = "127.0.0.1:" + std::to_string(VARLEN_FAULT_SIM_PORT);

class FaultTest : public WindowFixture {
 protected:
  void StartAt(const std::string& configPath) {
    StartWindow(configPath);
    SetWindowTextW(Ctl(ids::编辑框8), L"2000-1-1");
    Pump(window.get(), 30ms);
  }
  std::string Status() { return GbkText(ids::标签5); }
  bool Finished(const std::string& status) { return Status() == status && IsWindowEnabled(Ctl(ids::开始提取)); }
  // The window answers at once while a worker waits on the network.
  void ExpectResponsive() {
    const auto start = std::chrono::steady_clock::now();
    SendMessageW(Ctl(ids::编辑框6), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"3"));
    EXPECT_EQ(TextOf(Ctl(ids::编辑框6)), L"3");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  }
};

TEST_F(FaultTest, ConfigurationServerThatNeverAnswersDoesNotHoldStartUp) {
  const auto start = std::chrono::steady_clock::now();
  StartWindow("/f/hang/");
  EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);
  EXPECT_EQ(GbkText(ids::编辑框6), "1");
  EXPECT_EQ(GbkText(ids::超级链接框2), "");
}

struct ListingFault {
  const char* name;
  const char* configPath;
  const char* status;
  friend void PrintTo(const ListingFault& c, std::ostream* os) { *os << c.name; }
};

class ListingFaultTest : public FaultTest, public testing::WithParamInterface<ListingFault> {};

TEST_P(ListingFaultTest, TheStartFailsCleanlyOrSucceeds) {
  StartAt(GetParam().configPath);
  app->Table().SetCell(app->Table().AppendRow(), ColSeller, "kept");
  Click(ids::开始提取);
  ExpectResponsive();
  ASSERT_TRUE(WaitFor([&] { return Finished(GetParam().status); }, 100s)) << Status();
  if (std::string(GetParam().status) == "服务器繁忙，请稍后再试") {
    EXPECT_EQ(app->Table().RowCount(), 1);  // the table was left alone
    EXPECT_EQ(app->Table().GetCell(0, ColSeller), "kept");
  } else {
    EXPECT_GT(app->Table().RowCount(), 1);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListingFaultTest,
    testing::Values(ListingFault{"Reset", "/f/reset/", "服务器繁忙，请稍后再试"},
                    ListingFault{"Error500", "/f/error/", "服务器繁忙，请稍后再试"},
                    ListingFault{"NeverAnswers", "/f/hang/", "服务器繁忙，请稍后再试"},
                    ListingFault{"LateButInTime", "/f/delay3000/", "目前数据提取完毕，请稍后几个小时提取"},
                    ListingFault{"HundredMegabytes", "/f/oversize/", "服务器繁忙，请稍后再试"},
                    ListingFault{"NotGbkWithZeroBytes", "/f/garbage/", "服务器繁忙，请稍后再试"},
                    ListingFault{"MillionLines", "/f/million/", "服务器繁忙，请稍后再试"}),
    [](const testing::TestParamInfo<ListingFault>& info) { return std::string(info.param.name); });

class ShopPageFaultTest : public FaultTest, public testing::WithParamInterface<ListingFault> {};

TEST_P(ShopPageFaultTest, SlowExtractionGoesOnWithoutRows) {
  StartAt(GetParam().configPath);
  Click(ids::选择框3);
  Click(ids::开始提取);
  ExpectResponsive();
  ASSERT_TRUE(WaitFor([&] { return Finished(GetParam().status); }, 200s)) << Status();
  EXPECT_EQ(app->Table().RowCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShopPageFaultTest,
    testing::Values(ListingFault{"Reset", "/fs/reset/?n=4", "目前数据提取完毕，请稍后几个小时提取"},
                    ListingFault{"Error500", "/fs/error/?n=4", "目前数据提取完毕，请稍后几个小时提取"},
                    ListingFault{"NotGbk", "/fs/garbage/?n=4", "目前数据提取完毕，请稍后几个小时提取"},
                    ListingFault{"HundredMegabytes", "/fs/oversize/?n=1", "目前数据提取完毕，请稍后几个小时提取"}),
    [](const testing::TestParamInfo<ListingFault>& info) { return std::string(info.param.name); });

TEST_F(FaultTest, ChecksAgainstFailingServersStillFinish) {
  Deployment d = TestDeployment("/fs/reset/?n=30");
  d.presenceHost = kFaultySim;  // resets, 500s and garbage on presence answers
  StartWith(d);
  SetWindowTextW(Ctl(ids::编辑框8), L"2000-1-1");
  Pump(window.get(), 30ms);
  Click(ids::开始提取);
  ASSERT_TRUE(WaitFor([&] { return Finished("目前数据提取完毕，请稍后几个小时提取"); }, 60s));
  const int rows = app->Table().RowCount();
  ASSERT_EQ(rows, 30);

  ClickHeader(ColOnline);
  ASSERT_TRUE(WaitFor([&] { return app->State().GetText(Box::编辑框1).empty() && app->Globals().ChecksInFlight == 0; }, 60s));
  int checked = 0;
  for (int r = 0; r < rows; ++r) checked += !app->Table().GetCell(r, ColOnline).empty();
  EXPECT_GE(checked, rows - 1);  // every row the run reached has a state

  ClickHeader(ColGoods);  // every shop page resets: judged "有" (length 0)
  ASSERT_TRUE(WaitFor([&] { return app->State().GetText(Box::编辑框9).empty(); }, 120s));
  for (int r = 0; r < rows; ++r) EXPECT_EQ(app->Table().GetCell(r, ColGoods), "有");
  ExpectResponsive();
}

}  // namespace
}  // namespace varlen
