// The application with the real WinINet, Microsoft.XMLHTTP, registry, shell
// and save dialog, driven through its window against the simulator.
#include <set>

#include "window_harness.h"
#include "commands/seller_chat.h"

namespace varlen {
namespace {

using namespace testing_support;
using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

const std::string kSmallSim = "127.0.0.1:" + std::to_string(VARLEN_SMALL_SIM_PORT);

class EndToEndTest : public WindowFixture {
 protected:
  void Start(ShellPort* shell = nullptr, SaveDialogPort* dialog = nullptr) {
    Deployment d;
    d.configEndpoint = "http://" + kSmallSim + "/";
    d.presenceHost = kSmallSim;
    d.helpPageUrl = "http://localhost:" + std::to_string(VARLEN_SMALL_SIM_PORT) + "/";
    StartWith(d, shell, dialog);
    SetWindowTextW(Ctl(ids::编辑框8), L"2000-1-1");
    Pump(window.get(), 30ms);
  }
  // The simulator's listing, as the program reads it.
  std::vector<std::vector<Text>> ListingShops() {
    std::vector<std::vector<Text>> shops;
    const auto lines = SplitListingLines(BytesToText(HttpGetOver(net, "http://" + kSmallSim + "/listing.txt")));
    for (size_t i = 0; i + 1 < lines.size(); ++i) shops.push_back(SplitListingFields(lines[i]));
    return shops;
  }
  bool ExtractionDone() { return GbkText(ids::标签5) == "目前数据提取完毕，请稍后几个小时提取"; }
  void RunExtraction() {
    Click(ids::开始提取);
    ASSERT_TRUE(WaitFor([&] { return ExtractionDone(); }, 120s)) << GbkText(ids::标签5);
    Pump(window.get(), 50ms);
  }
  std::vector<std::string> Column(int column) {
    std::vector<std::string> out;
    for (int r = 0; r < app->Table().RowCount(); ++r) out.push_back(app->Table().GetCell(r, column));
    return out;
  }
  void Tick(int id) { Click(id); }
};

TEST_F(EndToEndTest, FastRunFillsTheTable) {
  Start();
  Click(ids::开始提取);
  EXPECT_EQ(GbkText(ids::开始提取), "重新提取");
  ASSERT_TRUE(WaitFor([&] { return ExtractionDone(); }, 60s));
  Pump(window.get(), 50ms);
  EXPECT_TRUE(IsWindowEnabled(Ctl(ids::开始提取)));
  const auto shops = ListingShops();
  ASSERT_EQ(app->Table().RowCount(), static_cast<int>(shops.size()));
  for (size_t i = 0; i < shops.size(); ++i) {
    EXPECT_EQ(app->Table().GetCell(static_cast<int>(i), ColSeller), shops[i][0]);
    EXPECT_EQ(app->Table().GetCell(static_cast<int>(i), ColShopUrl), shops[i][3]);
  }
  EXPECT_EQ(GbkText(ids::编辑框7), std::to_string(shops.size()));
  EXPECT_EQ(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0), static_cast<LRESULT>(shops.size()));
  SaveScreenshot(window->Handle(), "window-filled");
}

TEST_F(EndToEndTest, SlowRunsWithEachOption) {
  Start();
  Tick(ids::选择框3);
  ASSERT_TRUE(app->State().IsTicked(Option::选择框3));
  RunExtraction();
  const int plain = app->Table().RowCount();
  const int listed = static_cast<int>(ListingShops().size());
  EXPECT_GT(plain, 0);
  EXPECT_LT(plain, listed);  // access-limited pages make no row
  for (const auto& url : Column(ColShopUrl)) EXPECT_TRUE(url.starts_with("https://shop")) << url;
  const auto plainProtection = Column(ColProtection);
  EXPECT_EQ(std::set<std::string>(plainProtection.begin(), plainProtection.end()), std::set<std::string>{"否"});
  EXPECT_EQ(app->Table().Columns()[ColShopName].width, 120);

  Tick(ids::选择框2);  // 消保显示
  RunExtraction();
  const auto protection = Column(ColProtection);
  EXPECT_EQ(std::count(protection.begin(), protection.end(), "是") > 0, true);
  EXPECT_EQ(app->Table().RowCount(), plain);
  Tick(ids::选择框2);

  Tick(ids::选择框4);  // 过滤商品
  RunExtraction();
  const int withoutGoods = app->Table().RowCount();
  EXPECT_GT(withoutGoods, 0);
  EXPECT_LT(withoutGoods, plain);
  Tick(ids::选择框4);

  Tick(ids::选择框1);  // 只提在线
  RunExtraction();
  const int online = app->Table().RowCount();
  EXPECT_GT(online, 0);
  EXPECT_LT(online, plain);
  for (const auto& state : Column(ColOnline)) EXPECT_EQ(state, "在线");
  SaveScreenshot(window->Handle(), "window-slow-online");
}

TEST_F(EndToEndTest, StopAndContinueDuringASlowRun) {
  Start();
  app->SetSlowPause(300ms);
  Tick(ids::选择框3);
  Click(ids::开始提取);
  ASSERT_TRUE(WaitFor([&] { return app->Table().RowCount() >= 1; }, 60s));
  Click(ids::停止提取);
  EXPECT_EQ(GbkText(ids::标签5), "软件已停止提取");
  EXPECT_TRUE(IsWindowEnabled(Ctl(ids::开始提取)));
  Pump(window.get(), 400ms);  // the line under way may still finish
  const int paused = app->Table().RowCount();
  Pump(window.get(), 1500ms);
  EXPECT_EQ(app->Table().RowCount(), paused);
  EXPECT_EQ(GbkText(ids::标签5), "软件已停止提取");
  Click(ids::继续提取);
  ASSERT_TRUE(WaitFor([&] { return ExtractionDone(); }, 120s));
  EXPECT_GT(app->Table().RowCount(), paused);
}

TEST_F(EndToEndTest, UnreachableConfigurationServer) {
  Deployment d;
  d.configEndpoint = "http://127.0.0.1:9/";
  StartWith(d);
  Click(ids::开始提取);
  ASSERT_TRUE(WaitFor([&] { return GbkText(ids::标签5) == "服务器繁忙，请稍后再试"; }, 60s));
  Pump(window.get(), 50ms);
  EXPECT_TRUE(IsWindowEnabled(Ctl(ids::开始提取)));
  EXPECT_EQ(GbkText(ids::开始提取), "重新提取");
}

TEST_F(EndToEndTest, BothCheckersThroughHeaderClicks) {
  Start();
  RunExtraction();
  const int rows = app->Table().RowCount();
  ClickHeader(ColOnline);
  ASSERT_TRUE(WaitFor([&] { return app->State().GetText(Box::编辑框1).empty() && app->Globals().ChecksInFlight == 0; }, 60s));
  Pump(window.get(), 50ms);
  const auto states = Column(ColOnline);
  const int online = static_cast<int>(std::count(states.begin(), states.end(), "在线"));
  EXPECT_EQ(online + std::count(states.begin(), states.end(), "离线"), rows);
  EXPECT_GT(online, 0);
  EXPECT_EQ(GbkText(ids::编辑框3), std::to_string(online));
  EXPECT_TRUE(IsWindowVisible(Ctl(ids::标签3)));

  ClickHeader(ColGoods);
  // Pages the checker cannot judge pause it; each click resumes it.
  ASSERT_TRUE(WaitFor([&] {
    if (app->State().GetText(Box::编辑框9) == kCheckerSuspended) ClickHeader(ColGoods);
    return app->State().GetText(Box::编辑框9).empty();
  }, 120s));
  for (const auto& goods : Column(ColGoods)) EXPECT_TRUE(goods == "有" || goods == "无" || goods == "未识别") << goods;
  SaveScreenshot(window->Handle(), "window-checked");
}

// The messenger's stand-in, registered for aliim: in this prefix's registry.
void RegisterRecorder(bool expandable) {
  const std::wstring recorder = Wide(Gbk(ProgramFolder())) + L"\\chat_recorder.exe";
  DeleteFileW((ProgramFolder() + L"\\chat_log.txt").c_str());
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Wide(std::string(ChatHandlerKey)).c_str(), 0, nullptr, 0,
                            KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS);
  std::wstring command;
  if (expandable) {
    SetEnvironmentVariableW(L"VARLEN_RECORDER_DIR", ProgramFolder().c_str());
    command = L"\"%VARLEN_RECORDER_DIR%\\chat_recorder.exe\" %1";
  } else {
    command = L"\"" + recorder + L"\" %1";
  }
  RegSetValueExW(key, nullptr, 0, expandable ? REG_EXPAND_SZ : REG_SZ,
                 reinterpret_cast<const BYTE*>(command.c_str()), static_cast<DWORD>((command.size() + 1) * 2));
  RegCloseKey(key);
}

std::string RecordedChats() {
  WindowsFilePort files;
  Bytes bytes;
  return files.ReadWholeFile(Gbk(ProgramFolder()) + "\\chat_log.txt", bytes) ? bytes : "";
}

TEST_F(EndToEndTest, DoubleClickChatsThroughTheRegisteredHandler) {
  for (bool expandable : {false, true}) {
    SCOPED_TRACE(expandable);
    RegisterRecorder(expandable);
    WindowsShell shell;
    Start(&shell);
    for (const char* seller : {"alpha", "张三的店", "gamma"})
      app->Table().SetCell(app->Table().AppendRow(), ColSeller, seller);
    SetWindowTextW(Ctl(ids::编辑框6), L"2");
    Pump(window.get(), 30ms);
    MouseClick(List(), RowPoint(1), true);
    std::set<std::string> expected{ChatAddress("张三的店") + "\r\n", ChatAddress("gamma") + "\r\n"};
    ASSERT_TRUE(WaitFor([&] { return RecordedChats().size() == (expected.begin()->size() + std::next(expected.begin())->size()); }, 30s))
        << RecordedChats();
    const std::string log = RecordedChats();
    for (const auto& line : expected) EXPECT_NE(log.find(line), std::string::npos) << log;
    EXPECT_EQ(Column(ColContact), (Strings{"", "已联系", "已联系"}));
    EXPECT_EQ(ContactLogOnDisk(), "张三的店gamma");
    DestroyWindow(window->Handle());
    window.reset();
    app.reset();
  }
}

BOOL CALLBACK FindOwnDialog(HWND h, LPARAM found) {
  wchar_t cls[16] = {};
  DWORD pid = 0;
  GetClassNameW(h, cls, 16);
  GetWindowThreadProcessId(h, &pid);
  if (std::wstring(cls) == L"#32770" && pid == GetCurrentProcessId() && IsWindowVisible(h)) {
    *reinterpret_cast<HWND*>(found) = h;
    return FALSE;
  }
  return TRUE;
}

// The visible dialog window of this process, if one is open.
HWND OwnVisibleDialog() {
  HWND found = nullptr;
  EnumWindows(&FindOwnDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

// Fills in the real save dialog from another thread and confirms it.
void AnswerSaveDialog(const std::wstring& name, std::atomic<bool>& answered) {
  for (int i = 0; i < 1000 && !answered; ++i) {
    HWND dialog = OwnVisibleDialog();
    if (dialog) {
      HWND edit = GetDlgItem(dialog, 0x47C);  // cmb13
      if (!edit) edit = GetDlgItem(dialog, 0x480);  // edt1
      if (edit) {
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        answered = true;
        return;
      }
    }
    Sleep(20);
  }
}

TEST_F(EndToEndTest, ExportThroughTheRealSaveDialog) {
  WindowsSaveDialog dialog;
  Start(nullptr, &dialog);
  dialog.SetOwner(window->Handle());
  for (const char* seller : {"abc", "掌柜"}) app->Table().SetCell(app->Table().AppendRow(), ColSeller, seller);
  DeleteFileW(L"C:\\varlen_export.txt");

  std::atomic<bool> answered{false};
  std::thread helper(AnswerSaveDialog, std::wstring(L"C:\\varlen_export"), std::ref(answered));
  SendMessageW(window->Handle(), WM_COMMAND, ids::kMenuBase + static_cast<int>(MenuItem::ExportAll), 0);
  helper.join();
  ASSERT_TRUE(answered);
  ASSERT_TRUE(WaitFor([&] { return GbkText(ids::标签5) == "数据导出完毕"; }, 20s)) << GbkText(ids::标签5);
  Bytes bytes;
  ASSERT_TRUE(files.ReadWholeFile("C:\\varlen_export.txt", bytes));  // ".txt" was added
  EXPECT_EQ(bytes, "abc\r\n\xD5\xC6\xB9\xF1\r\n");
  EXPECT_EQ(ContactLogOnDisk(), "abc\xD5\xC6\xB9\xF1");
  EXPECT_EQ(Column(ColContact), (Strings{"已导出", "已导出"}));
}

TEST_F(EndToEndTest, ShopPageGoesToTheShellOnlyWhenItIsAWebAddress) {
  Start();
  app->Table().SetCell(app->Table().AppendRow(), ColShopUrl, "http://" + kSmallSim + "/shop/1");
  app->Table().SetCell(app->Table().AppendRow(), ColShopUrl, "file:///C:/windows/notepad.exe");
  Pump(window.get(), 30ms);
  for (int row : {0, 1}) {
    MouseClick(List(), RowPoint(row));
    SendMessageW(window->Handle(), WM_COMMAND, ids::kMenuBase + static_cast<int>(MenuItem::OpenShop), 0);
  }
  EXPECT_EQ(fakeShell.opened, Strings{"http://" + kSmallSim + "/shop/1"});
}

}  // namespace
}  // namespace varlen
