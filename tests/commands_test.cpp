#include "app_fixture.h"
#include "commands/export.h"
#include "commands/row_deletion.h"
#include "commands/seller_chat.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "posix/file_port_posix.h"
#endif

namespace varlen {
namespace {

using namespace testing_support;
using Strings = std::vector<std::string>;
using namespace std::chrono_literals;

class CommandsTest : public AppTest {
 protected:
  void Sellers(const Strings& names) {
    for (const auto& n : names) AddRows({{{ColSeller, n}}});
  }
};

// ---- deletion ----

TEST_F(CommandsTest, DeleteWithGoodsRenumbersAndCounts) {
  AddRows({{{ColGoods, "有"}, {ColSeller, "a"}}, {{ColGoods, "无"}, {ColSeller, "b"}}, {{ColGoods, "有"}, {ColSeller, "c"}}});
  app.State().SetText(Box::编辑框1, Text(kCheckerSuspended));
  app.RunMenuCommand(MenuItem::DeleteWithGoods);
  EXPECT_EQ(Column(ColSeller), Strings{"b"});
  EXPECT_EQ(Column(ColSeq), Strings{"1"});
  EXPECT_EQ(app.State().GetText(Box::编辑框7), "1");
  EXPECT_EQ(app.State().GetText(Box::编辑框1), "");
}

struct RuleCase {
  const char* name;
  MenuItem item;
  int column;
  Strings cells, kept;
  friend void PrintTo(const RuleCase& c, std::ostream* os) { *os << c.name; }
};

class DeletionRuleTest : public CommandsTest, public testing::WithParamInterface<RuleCase> {};

TEST_P(DeletionRuleTest, DeletesExactMatchesOnly) {
  for (const auto& cell : GetParam().cells) AddRows({{{GetParam().column, cell}}});
  app.RunMenuCommand(GetParam().item);
  EXPECT_EQ(Column(GetParam().column), GetParam().kept);
  Strings seq;
  for (size_t i = 0; i < GetParam().kept.size(); ++i) seq.push_back(std::to_string(i + 1));
  EXPECT_EQ(Column(ColSeq), seq);
  EXPECT_EQ(app.State().GetText(Box::编辑框7), std::to_string(GetParam().kept.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeletionRuleTest,
    testing::Values(RuleCase{"Offline", MenuItem::DeleteOffline, ColOnline, {"在线", "离线", "", "离线"}, {"在线", ""}},
                    RuleCase{"Protected", MenuItem::DeleteProtected, ColProtection, {"是", "否", "是 ", "是"}, {"否", "是 "}},
                    RuleCase{"GoodsNoMatch", MenuItem::DeleteWithGoods, ColGoods, {"无", "未识别", ""}, {"无", "未识别", ""}},
                    RuleCase{"EmptyTable", MenuItem::DeleteOffline, ColOnline, {}, {}}),
    [](const testing::TestParamInfo<RuleCase>& info) { return std::string(info.param.name); });

TEST_F(CommandsTest, OnlineBoxKeepsItsTextWhenNoOnlineRowRemains) {
  AddRows({{{ColOnline, "离线"}}, {{ColOnline, "在线"}}, {{ColOnline, "在线"}}});
  app.State().SetText(Box::编辑框3, "7");
  app.RunMenuCommand(MenuItem::DeleteOffline);
  EXPECT_EQ(app.State().GetText(Box::编辑框3), "2");
  app.RunMenuCommand(MenuItem::ClearAll);
  AddRows({{{ColOnline, "离线"}}});
  app.RunMenuCommand(MenuItem::DeleteOffline);
  EXPECT_EQ(app.State().GetText(Box::编辑框3), "2");
}

TEST_F(CommandsTest, DeleteDayUsesTheSelectedRowsDate) {
  AddRows({{{ColOpenDate, "2024-5-8"}}, {{ColOpenDate, "2024-5-9"}}, {{ColOpenDate, "2024-5-8"}}, {{ColOpenDate, ""}}});
  app.Table().SelectRow(2);
  app.State().SetText(Box::编辑框1, Text(kCheckerSuspended));
  app.RunMenuCommand(MenuItem::DeleteDay);
  ASSERT_TRUE(Eventually([&] { return app.Table().RowCount() == 2; }));
  ASSERT_TRUE(Eventually([&] { return app.State().GetText(Box::编辑框7) == "2"; }));
  EXPECT_EQ(Column(ColOpenDate), (Strings{"2024-5-9", ""}));
  EXPECT_EQ(Column(ColSeq), (Strings{"1", "2"}));
  EXPECT_EQ(app.State().GetText(Box::编辑框1), "");
}

TEST_F(CommandsTest, DeleteDayWithoutSelectionDeletesUndatedRows) {
  AddRows({{{ColOpenDate, "2024-5-8"}}, {{ColOpenDate, ""}}});
  app.RunMenuCommand(MenuItem::DeleteDay);
  ASSERT_TRUE(Eventually([&] { return app.State().GetText(Box::编辑框7) == "1"; }));
  EXPECT_EQ(Column(ColOpenDate), Strings{"2024-5-8"});
}

TEST_F(CommandsTest, DeleteSelected) {
  Sellers({"a", "b", "c"});
  app.Table().DeleteRow(0);  // rows now read "2", "3"
  app.RunMenuCommand(MenuItem::DeleteSelected);  // nothing selected: renumber only
  EXPECT_EQ(Column(ColSeq), (Strings{"1", "2"}));
  app.Table().SelectRow(0);
  app.State().SetText(Box::编辑框7, "3");
  app.RunMenuCommand(MenuItem::DeleteSelected);
  EXPECT_EQ(Column(ColSeller), Strings{"c"});
  EXPECT_EQ(Column(ColSeq), Strings{"1"});
  EXPECT_EQ(app.State().GetText(Box::编辑框7), "3");  // not rewritten
}

TEST_F(CommandsTest, ClearAllEndsAPausedOnlineCheck) {
  Sellers({"a", "b", "c"});
  fakes.web.fallback = [&](const std::string&) { gate.Wait(); return Bytes(); };
  app.OnHeaderClicked(ColOnline);
  app.OnHeaderClicked(ColOnline);  // paused
  const WorkerHandle checker = app.Globals().OnlineCheckerThread;
  app.State().SetOnlineLabelVisible(true);
  app.RunMenuCommand(MenuItem::ClearAll);
  EXPECT_EQ(app.Table().RowCount(), 0);
  EXPECT_EQ(app.State().GetText(Box::编辑框7), "     ");
  EXPECT_FALSE(app.State().IsOnlineLabelVisible());
  EXPECT_EQ(app.State().GetText(Box::编辑框1), "");
  gate.Open();
  EXPECT_TRUE(app.Threads().WaitForWorker(checker, 10s));
}

TEST_F(CommandsTest, PruningManyRowsIsOnePass) {
  for (int i = 0; i < 100000; ++i) AddRows({{{ColOnline, i % 2 ? "离线" : "在线"}}});
  app.RunMenuCommand(MenuItem::DeleteOffline);
  EXPECT_EQ(app.Table().RowCount(), 50000);
  EXPECT_EQ(app.Table().GetCell(49999, ColSeq), "50000");
  EXPECT_EQ(app.State().GetText(Box::编辑框3), "50000");
}

// ---- export ----

const std::string kExportPath = "C:\\export.txt";
const std::string kLog(ContactLogFile);

class ExportTest : public CommandsTest {
 protected:
  void SetUp() override { app.Log().LoadContactLog(); }
  void WaitExports() { ASSERT_TRUE(Eventually([&] { return app.Threads().RunningCount() == 0; })); }
};

TEST_F(ExportTest, AllRowsExactBytesMarksAndLog) {
  Sellers({"abc", "掌柜", "x"});
  app.Table().SetCell(1, ColContact, "已联系");
  app.RunMenuCommand(MenuItem::ExportAll);
  WaitExports();
  EXPECT_EQ(fakes.files.Get(kExportPath), "abc\r\n\xD5\xC6\xB9\xF1\r\nx\r\n");
  EXPECT_EQ(Column(ColContact), (Strings{"已导出", "已导出", "已导出"}));
  EXPECT_EQ(fakes.files.Get(kLog), "abc\xD5\xC6\xB9\xF1x");
  EXPECT_EQ(Status(), "数据导出完毕");
}

TEST_F(ExportTest, BatchFromTheFourthRow) {
  Sellers({"r1", "r2", "r3", "r4", "r5", "r6"});
  app.Table().SelectRow(3);
  app.State().SetText(Box::编辑框6, "2");
  app.State().SetText(Box::标签5, "before");
  app.RunMenuCommand(MenuItem::ExportBatch);
  WaitExports();
  EXPECT_EQ(fakes.files.Get(kExportPath), "r4\r\nr5\r\n");
  EXPECT_EQ(Column(ColContact), (Strings{"", "", "", "已导出", "已导出", ""}));
  EXPECT_EQ(fakes.files.Get(kLog), "r4r5");
  EXPECT_EQ(Status(), "before");
}

TEST_F(ExportTest, BatchPassesOutsideTheTableAreSkipped) {
  Sellers({"r1", "r2", "r3"});
  app.State().SetText(Box::编辑框6, "3");
  app.RunMenuCommand(MenuItem::ExportBatch);  // no selection: rows 0 and 1
  WaitExports();
  EXPECT_EQ(fakes.files.Get(kExportPath), "r1\r\nr2\r\n");
  app.Table().SelectRow(2);
  app.State().SetText(Box::编辑框6, "5");
  app.RunMenuCommand(MenuItem::ExportBatch);
  WaitExports();
  EXPECT_EQ(fakes.files.Get(kExportPath), "r3\r\n");
}

TEST_F(ExportTest, CancelledDialogChangesNothing) {
  Sellers({"a"});
  fakes.saveDialog.cancel = true;
  app.RunMenuCommand(MenuItem::ExportAll);
  app.RunMenuCommand(MenuItem::ExportBatch);
  WaitExports();
  EXPECT_EQ(fakes.saveDialog.shown, 2);
  EXPECT_EQ(fakes.files.Get(kExportPath), "<missing>");
  EXPECT_EQ(Column(ColContact), Strings{""});
  EXPECT_EQ(Status(), "");
}

TEST_F(ExportTest, UnwritableFileMarksAndLogsNothing) {
  Sellers({"a", "b"});
  fakes.files.unwritable = true;
  app.RunMenuCommand(MenuItem::ExportAll);
  WaitExports();
  EXPECT_EQ(Column(ColContact), (Strings{"", ""}));
  EXPECT_FALSE(app.Log().IsSellerKnown("a"));
  EXPECT_EQ(Status(), kExportFailed);
}

TEST_F(ExportTest, EmptyTableGivesAnEmptyFile) {
  app.RunMenuCommand(MenuItem::ExportAll);
  WaitExports();
  EXPECT_EQ(fakes.files.Get(kExportPath), "");
  EXPECT_EQ(Status(), "数据导出完毕");
  app.State().SetText(Box::编辑框6, "0");
  fakes.files.files[kExportPath] = "old";
  app.RunMenuCommand(MenuItem::ExportBatch);
  WaitExports();
  EXPECT_EQ(fakes.files.Get(kExportPath), "");
}

TEST_F(ExportTest, SameSellerTwiceIsLoggedTwice) {
  Sellers({"dup"});
  app.RunMenuCommand(MenuItem::ExportAll);
  WaitExports();
  app.RunMenuCommand(MenuItem::ExportAll);
  WaitExports();
  EXPECT_EQ(app.Log().CurrentText(), "dupdup");
}

#ifndef _WIN32
// A process killed while it exports: the export file is either absent or
// whole, never a partial file that looks like a finished export.
TEST(ExportKilled, NoPartialFileIsLeftAsTheExport) {
  const std::string root = testing::TempDir() + "varlen_export_kill_" + std::to_string(getpid());
  std::string expected;
  for (int i = 0; i < 200000; ++i) expected += "seller" + std::to_string(i) + "\r\n";
  for (int delayMs : {0, 5, 20, 60, 150}) {
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root + "/drive_c");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      PosixFilePort files(root);
      FakeClock clock;
      FakeShell shell;
      WebByUrl web;
      WinInetHttp http(web);
      FakeConfigPage config;
      FakeSaveDialog dialog;
      Application app(Ports{files, clock, shell, http, config, web, dialog});
      for (int i = 0; i < 200000; ++i)
        app.Table().AppendFilledRow([i](int, ShopRow& row) { row[ColSeller] = "seller" + std::to_string(i); });
      const WorkerHandle h = app.Threads().StartWorker(
          [&](WorkerContext& self) { ExportAllWorker(app, self, "C:\\export.txt"); });
      app.Threads().WaitForWorker(h, std::chrono::minutes(1));
      _exit(0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    const std::string path = root + "/drive_c/export.txt";
    if (std::filesystem::exists(path)) {
      std::ifstream in(path, std::ios::binary);
      std::stringstream content;
      content << in.rdbuf();
      EXPECT_EQ(content.str().size(), expected.size()) << "killed after " << delayMs << " ms";
      EXPECT_TRUE(content.str() == expected);
    }
  }
  std::filesystem::remove_all(root);
}
#endif

// ---- chat ----

class ChatTest : public CommandsTest {
 protected:
  void SetUp() override {
    app.Log().LoadContactLog();
    app.State().SetText(Box::编辑框6, "1");
    fakes.shell.registry[std::string(ChatHandlerKey) + "|"] = "\"C:\\Program Files\\AliIM\\AliIM.exe\" %1";
  }
  Strings Launched() {
    Strings out;
    for (const auto& [program, params] : fakes.shell.started) {
      EXPECT_EQ(program, "C:\\Program Files\\AliIM\\AliIM.exe");
      out.push_back(params);
    }
    return out;
  }
  static std::string Quoted(const std::string& seller) { return "\"" + ChatAddress(seller) + "\""; }
};

TEST_F(ChatTest, BatchOfOneChatsWithTheSelectedSeller) {
  Sellers({"a", "张三", "c"});
  app.Table().SelectRow(1);
  app.Table().SetCell(1, ColContact, "已导出");
  app.State().SetText(Box::编辑框6, "1");
  app.ChatWithSellers();
  EXPECT_EQ(Launched(), Strings{Quoted("张三")});
  EXPECT_EQ(ChatAddress("张三"), "aliim:sendmsg?uid=cntaobao&touid=cntaobao\xD5\xC5\xC8\xFD&siteid=cntaobao&status=1");
  EXPECT_EQ(Column(ColContact), (Strings{"", "已联系", ""}));
  EXPECT_EQ(fakes.files.Get(kLog), "张三");
}

TEST_F(ChatTest, BatchOfThreeAndZero) {
  Sellers({"r1", "r2", "r3", "r4", "r5", "r6", "r7", "r8"});
  app.Table().SelectRow(4);
  app.State().SetText(Box::编辑框6, "3");
  app.ChatWithSellers();
  EXPECT_EQ(Launched(), (Strings{Quoted("r5"), Quoted("r6"), Quoted("r7")}));
  EXPECT_EQ(app.Log().CurrentText(), "r5r6r7");
  app.State().SetText(Box::编辑框6, "0");
  app.ChatWithSellers();
  EXPECT_EQ(fakes.shell.started.size(), 3u);
}

TEST_F(ChatTest, NoHandlerMeansNoChatAndNoRecord) {
  Sellers({"a"});
  app.Table().SelectRow(0);
  fakes.shell.registry.clear();
  app.ChatWithSellers();
  EXPECT_TRUE(fakes.shell.started.empty());
  EXPECT_EQ(Column(ColContact), Strings{""});
  EXPECT_EQ(app.Log().CurrentText(), "");
  EXPECT_EQ(Status(), kNoChatClient);
}

TEST_F(ChatTest, NamesThatCouldInjectArgumentsAreNotLaunched) {
  Sellers({"a\" -evil", "b\nc", "", "ok"});
  app.State().SetText(Box::编辑框6, "4");
  app.Table().SelectRow(0);
  app.ChatWithSellers();
  EXPECT_EQ(Launched(), Strings{Quoted("ok")});
  EXPECT_EQ(Column(ColContact), (Strings{"", "", "", "已联系"}));
  EXPECT_EQ(app.Log().CurrentText(), "ok");
}

TEST(ChatProgram, CutsTheLastThreeBytes) {
  EXPECT_EQ(ChatProgram("\"C:\\A B\\AliIM.exe\" %1"), "C:\\A B\\AliIM.exe");
  EXPECT_EQ(ChatProgram("C:\\AliIM.exe %1"), "C:\\AliIM.exe");
  EXPECT_EQ(ChatProgram("abc"), "");
  EXPECT_EQ(ChatProgram(""), "");
  EXPECT_EQ(ChatProgram("\"\" %1"), "");
}

TEST_F(CommandsTest, OpenShopPageOnlyOpensWebAddresses) {
  AddRows({{{ColShopUrl, "https://shop77.example"}}, {{ColShopUrl, "C:\\Windows\\notepad.exe"}}});
  app.RunMenuCommand(MenuItem::OpenShop);  // nothing selected
  app.Table().SelectRow(0);
  app.RunMenuCommand(MenuItem::OpenShop);
  app.Table().SelectRow(1);
  app.RunMenuCommand(MenuItem::OpenShop);
  EXPECT_EQ(fakes.shell.opened, Strings{"https://shop77.example"});
}

}  // namespace
}  // namespace varlen
