#include <gtest/gtest.h>

#include "app/application.h"
#include "extract/config_page.h"
#include "fakes.h"

namespace varlen {
namespace {

using testing_support::FakePorts;

class ApplicationTest : public testing::Test {
 protected:
  FakePorts fakes;
  Application app{fakes.ports};
};

TEST_F(ApplicationTest, StartUpFillsColumnsDateBatchAndLog) {
  fakes.files.files[std::string(ContactLogFile)] = "abc";
  fakes.configPage.page = "xmingurlming";
  app.InitMainWindow();
  const auto columns = app.Table().Columns();
  ASSERT_EQ(columns.size(), 9u);
  const std::pair<const char*, int> expected[] = {
      {"序号", 40},     {"店铺名称", 120}, {"旺旺名称", 120}, {"开店日期", 80},  {"是否在线", 60},
      {"是否消保", 60}, {"店铺网址", 182}, {"联系/导出", 70}, {"有无商品", 60}};
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(columns[i].title, expected[i].first);
    EXPECT_EQ(columns[i].width, expected[i].second);
  }
  EXPECT_EQ(app.Table().RowCount(), 0);
  EXPECT_EQ(app.State().GetText(Box::编辑框8), "2024-5-7");
  EXPECT_EQ(app.State().GetText(Box::编辑框6), "1");
  EXPECT_EQ(app.BatchCount(), 1);
  EXPECT_EQ(fakes.configPage.fetchedUrl, Deployment().configEndpoint);
  EXPECT_FALSE(app.State().IsUpdateNoticeShown());
  EXPECT_TRUE(app.Log().IsSellerKnown("abc"));
  for (Box b : {Box::标签5, Box::编辑框7, Box::编辑框3}) EXPECT_EQ(app.State().GetText(b), "");
  EXPECT_FALSE(app.State().IsOnlineLabelVisible());
}

TEST_F(ApplicationTest, EarlyDaysOfAMonthPrefillTheTrueDate) {
  fakes.clock.today = {2024, 3, 1};
  app.InitMainWindow();
  EXPECT_EQ(app.State().GetText(Box::编辑框8), "2024-2-27");
}

struct UpdateCase {
  const char* name;
  std::string page;
  bool shown;
  std::string link;
  bool opens;  // a press on the notice reaches the browser
  friend void PrintTo(const UpdateCase& c, std::ostream* os) { *os << c.name; }
};

class UpdateNoticeTest : public testing::TestWithParam<UpdateCase> {};

TEST_P(UpdateNoticeTest, FromTheStartUpPage) {
  FakePorts fakes;
  fakes.configPage.page = GetParam().page;
  Application app(fakes.ports);
  app.InitMainWindow();
  EXPECT_EQ(app.State().IsUpdateNoticeShown(), GetParam().shown);
  EXPECT_EQ(app.State().UpdateLink(), GetParam().link);
  app.OpenUpdateLink();
  if (GetParam().opens)
    EXPECT_EQ(fakes.shell.opened, std::vector<std::string>{GetParam().link});
  else
    EXPECT_TRUE(fakes.shell.opened.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UpdateNoticeTest,
    testing::Values(
        UpdateCase{"WithLink", "minguming kkkkkkhttp://dl/kkkkkk", true, "http://dl/", true},
        UpdateCase{"OneMarker", "kkkkkk only", true, "", false},
        UpdateCase{"None", "ming u ming", false, "", false},
        UpdateCase{"Unreachable", "", false, "", false},
        UpdateCase{"UpperCase", "KKKKKKhttp://x/KKKKKK", false, "", false},
        UpdateCase{"AfterZeroByte", std::string("a\0kkkkkkx", 9), false, "", false},
        UpdateCase{"NotWeb", "kkkkkkfile:///c:/x.exekkkkkk", true, "file:///c:/x.exe", false}),
    [](const testing::TestParamInfo<UpdateCase>& info) { return std::string(info.param.name); });

TEST_F(ApplicationTest, OnlyWebAddressesReachTheShell) {
  app.OpenInBrowser("http://shop.example/1");
  app.OpenInBrowser("HTTPS://shop.example/2");
  app.OpenInBrowser("");
  app.OpenInBrowser("calc.exe");
  app.OpenInBrowser("file:///C:/Windows/notepad.exe");
  app.OpenInBrowser("C:\\wangwang.txt");
  app.OpenInBrowser("httpx://a");
  EXPECT_EQ(fakes.shell.opened,
            (std::vector<std::string>{"http://shop.example/1", "HTTPS://shop.example/2"}));
}

TEST_F(ApplicationTest, HelpPageIsAPlainHttpRootAddress) {
  app.OpenHelpPage();
  ASSERT_EQ(fakes.shell.opened.size(), 1u);
  EXPECT_TRUE(fakes.shell.opened[0].starts_with("http://"));
  EXPECT_TRUE(fakes.shell.opened[0].ends_with("/"));
  EXPECT_EQ(std::count(fakes.shell.opened[0].begin(), fakes.shell.opened[0].end(), '/'), 3);
}

TEST_F(ApplicationTest, BatchBoxLosingFocusIsNormalised) {
  app.State().SetText(Box::编辑框6, "0012");
  app.NormaliseBatchBox();
  EXPECT_EQ(app.State().GetText(Box::编辑框6), "12");
  app.State().SetText(Box::编辑框6, "-");
  app.NormaliseBatchBox();
  EXPECT_EQ(app.State().GetText(Box::编辑框6), "");
  EXPECT_EQ(app.BatchCount(), 0);
}

TEST_F(ApplicationTest, UnwritableContactLogIsShownInTheStatusLine) {
  app.InitMainWindow();
  fakes.files.unwritable = true;
  app.Log().AppendToContactLog("abc");
  EXPECT_EQ(app.State().GetText(Box::标签5), kContactLogUnwritable);
  fakes.files.unwritable = false;
  app.Log().AppendToContactLog("def");
  EXPECT_EQ(app.State().GetText(Box::标签5), "");
  EXPECT_EQ(fakes.files.Get(std::string(ContactLogFile)), "abcdef");
}

}  // namespace
}  // namespace varlen
