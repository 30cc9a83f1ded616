// The real main window under Wine, driven with the messages a user's clicks,
// keys and menu choices produce, and read back from its controls.
#include "window_harness.h"

namespace varlen {
namespace {

using namespace testing_support;
using namespace std::chrono_literals;

struct Expected {
  int id;
  const char* text;
  int x, y, w, h;
  bool visible, enabled;
};

// Places relative to the client area, which the tab control fills from (0,0).
const Expected kLayout[] = {
    {ids::标签7, "日期", 11, 27, 24, 24, true, true},
    {ids::开始id2, "只提在线", 154, 25, 56, 24, true, true},
    {ids::选择框1, "", 210, 30, 16, 16, true, true},
    {ids::开始id3, "消保显示", 246, 25, 48, 24, true, true},
    {ids::选择框2, "", 297, 30, 16, 16, true, true},
    {ids::开始id4, "过滤商品", 334, 25, 56, 24, true, true},
    {ids::选择框4, "", 390, 30, 16, 16, true, true},
    {ids::开始id1, "慢速提取", 433, 25, 51, 24, true, true},
    {ids::选择框3, "", 485, 30, 16, 16, true, true},
    {ids::继续提取, "继续提取", 539, 26, 64, 24, true, true},
    {ids::停止提取, "停止提取", 639, 26, 64, 24, true, true},
    {ids::开始提取, "开始提取", 731, 26, 64, 24, true, true},
    {ids::标签4, "批量聊天/导出", 11, 54, 80, 24, true, true},
    {ids::编辑框6, "1", 94, 57, 34, 18, true, true},
    {ids::标签5, "", 205, 53, 267, 24, true, true},
    {ids::超级列表框1, "", 0, 80, 815, 304, true, true},
    {ids::超级链接框1, "简单的使用说明", 0, 384, 120, 24, true, true},
    {ids::超级链接框2, "", 272, 384, 280, 24, true, true},
    {ids::标签1, "采集数量", 587, 385, 48, 24, true, true},
    {ids::编辑框7, "", 637, 385, 48, 24, true, false},
    {ids::标签3, "在线数量", 687, 385, 48, 24, false, true},
    {ids::编辑框3, "", 738, 386, 48, 24, true, false},
    {ids::Tab, "", 0, 0, 821, 416, true, true},
};

class WindowTest : public WindowFixture {};

TEST_F(WindowTest, EveryControlAfterStartUp) {
  StartWindow();
  HWND main = window->Handle();
  RECT outer;
  GetWindowRect(main, &outer);
  EXPECT_EQ(outer.right - outer.left, kWindowWidth);
  EXPECT_EQ(outer.bottom - outer.top, kWindowHeight);
  const LONG style = GetWindowLongW(main, GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_EQ(Gbk(TextOf(main)), kWindowCaption);
  EXPECT_TRUE(Gbk(TextOf(main)).starts_with("Varlenv3.1 "));
  EXPECT_TRUE(Gbk(TextOf(main)).ends_with(" "));

  for (const Expected& e : kLayout) {
    SCOPED_TRACE(e.id);
    HWND h = Ctl(e.id);
    ASSERT_NE(h, nullptr);
    RECT rc;
    GetWindowRect(h, &rc);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(rc.left, e.x);
    EXPECT_EQ(rc.top, e.y);
    EXPECT_EQ(rc.right - rc.left, e.w);
    EXPECT_EQ(rc.bottom - rc.top, e.h);
    EXPECT_EQ(IsWindowVisible(h) != 0, e.visible);
    EXPECT_EQ(IsWindowEnabled(h) != 0, e.enabled);
    if (e.id != ids::超级列表框1 && e.id != ids::Tab) {
      EXPECT_EQ(GbkText(e.id), e.text);
    }
  }
  for (int id : {ids::选择框1, ids::选择框2, ids::选择框3, ids::选择框4})
    EXPECT_EQ(SendMessageW(Ctl(id), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  // The date box: today minus three days, no leading zeros.
  SYSTEMTIME t;
  GetLocalTime(&t);
  EXPECT_EQ(GbkText(ids::编辑框8), PrefillDateText({t.wYear, t.wMonth, t.wDay}));
  // The tab control's one page.
  EXPECT_EQ(SendMessageW(Ctl(ids::Tab), TCM_GETITEMCOUNT, 0, 0), 1);
  SaveScreenshot(main, "window-start");
}

TEST_F(WindowTest, ListColumnsAndStyles) {
  StartWindow();
  HWND header = reinterpret_cast<HWND>(SendMessageW(List(), LVM_GETHEADER, 0, 0));
  ASSERT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 9);
  for (int i = 0; i < 9; ++i) {
    wchar_t title[64] = {};
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = title;
    col.cchTextMax = 64;
    SendMessageW(List(), LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
    EXPECT_EQ(Gbk(title), kStartupColumns[i].title);
    EXPECT_EQ(col.cx, kStartupColumns[i].width);
  }
  const LONG style = GetWindowLongW(List(), GWL_STYLE);
  EXPECT_TRUE(style & LVS_OWNERDATA);
  EXPECT_TRUE(style & LVS_SINGLESEL);
  EXPECT_TRUE(style & LVS_REPORT);
  EXPECT_FALSE(style & LVS_EDITLABELS);
  EXPECT_FALSE(style & LVS_NOSORTHEADER);
  const LRESULT ex = SendMessageW(List(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  EXPECT_TRUE(ex & LVS_EX_FULLROWSELECT);
  EXPECT_TRUE(ex & LVS_EX_GRIDLINES);
  EXPECT_FALSE(ex & LVS_EX_CHECKBOXES);
  EXPECT_TRUE(GetWindowLongW(List(), GWL_EXSTYLE) & WS_EX_STATICEDGE);
}

TEST_F(WindowTest, PopupMenuItems) {
  StartWindow();
  HMENU menu = window->ListMenu();
  const char* expected[] = {"进入店铺\tCtrl+A", "批量导出", "全部导出", "删除选中", "删除该天",
                            "删有商品", "删有消保", "删除离线\tCtrl+C", "清空所有\tCtrl+C"};
  ASSERT_EQ(GetMenuItemCount(menu), 9);
  for (int i = 0; i < 9; ++i) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
    EXPECT_EQ(Gbk(text), expected[i]);
    EXPECT_FALSE(GetMenuState(menu, i, MF_BYPOSITION) & (MF_SEPARATOR | MF_CHECKED));
  }
  EXPECT_EQ(GetMenu(window->Handle()), nullptr);  // never a menu bar
  // Ctrl+C and Ctrl+A run no command.
  app->Table().AppendRow();
  for (WPARAM key : {WPARAM('C'), WPARAM('A')}) {
    PostMessageW(List(), WM_KEYDOWN, VK_CONTROL, 0);
    PostMessageW(List(), WM_KEYDOWN, key, 0);
    PostMessageW(List(), WM_KEYUP, key, 0);
    PostMessageW(List(), WM_KEYUP, VK_CONTROL, 0);
  }
  Pump(window.get(), 100ms);
  EXPECT_EQ(app->Table().RowCount(), 1);
  EXPECT_EQ(app->State().GetText(Box::编辑框7), "");
}

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  EndMenu();
}

// A right click: the button-up posted first, then the
// button-down sent; a timer closes the menu the control opened.
void RightClick(HWND list, POINT at) {
  POINT screen = at;
  ClientToScreen(list, &screen);
  SetCursorPos(screen.x, screen.y);
  SetTimer(nullptr, 0, 300, &CloseMenu);
  PostMessageW(list, WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
  SendMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(at.x, at.y));
}

TEST_F(WindowTest, RightClickPopsUpTheMenuOnRowsAndOnEmptySpace) {
  StartWindow();
  RightClick(List(), {400, 250});  // empty list, nothing selected
  Pump(window.get(), 400ms);
  EXPECT_EQ(window->MenuShownCount(), 1);
  POINT cursor;
  GetCursorPos(&cursor);
  EXPECT_EQ(window->LastMenuPosition().x, cursor.x + 3);
  EXPECT_EQ(window->LastMenuPosition().y, cursor.y + 3);

  app->Table().AppendRow();
  app->Table().AppendRow();
  Pump(window.get(), 50ms);
  RightClick(List(), RowPoint(1));
  Pump(window.get(), 400ms);
  EXPECT_EQ(window->MenuShownCount(), 2);
  EXPECT_EQ(app->Table().SelectedRow(), 1);
  // Deletion items follow the model while the online check runs.
  DisableDeletionItems(app->State());
  RightClick(List(), RowPoint(0));
  Pump(window.get(), 400ms);
  HMENU menu = window->ListMenu();
  EXPECT_TRUE(GetMenuState(menu, ids::kMenuBase + static_cast<int>(MenuItem::ClearAll), MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_FALSE(GetMenuState(menu, ids::kMenuBase + static_cast<int>(MenuItem::ExportAll), MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(WindowTest, ClickSelectsAWholeRowAndTheModelFollows) {
  StartWindow();
  for (int i = 0; i < 3; ++i) app->Table().SetCell(app->Table().AppendRow(), ColSeller, "s" + std::to_string(i));
  Pump(window.get(), 50ms);
  MouseClick(List(), RowPoint(2));
  EXPECT_EQ(app->Table().SelectedRow(), 2);
  MouseClick(List(), RowPoint(0));
  EXPECT_EQ(app->Table().SelectedRow(), 0);
  EXPECT_EQ(SendMessageW(List(), LVM_GETSELECTEDCOUNT, 0, 0), 1);
  // A deletion above the selection moves it, in the model and on screen.
  app->Table().SelectRow(2);
  app->Table().DeleteRow(0);
  Pump(window.get(), 50ms);
  EXPECT_EQ(SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 1);
  // Cells come from the model.
  wchar_t text[32] = {};
  LVITEMW item{};
  item.iSubItem = ColSeller;
  item.pszText = text;
  item.cchTextMax = 32;
  SendMessageW(List(), LVM_GETITEMTEXTW, 1, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(Gbk(text), "s2");
}

TEST_F(WindowTest, EscClosesTheWindowAndSavesTheContactLog) {
  StartWindow();
  app->Log().AppendToContactLog("abc");
  DeleteFileW(Wide(std::string(ContactLogFile)).c_str());
  SetFocus(Ctl(ids::编辑框8));
  PostMessageW(Ctl(ids::编辑框8), WM_KEYDOWN, VK_ESCAPE, 0);
  ASSERT_TRUE(WaitFor([&] { return window->Handle() == nullptr; }, 5s));
  EXPECT_EQ(ContactLogOnDisk(), "abc");
}

TEST_F(WindowTest, BatchBoxAcceptsDigitsAndMinusAndNormalisesOnFocusLoss) {
  StartWindow();
  HWND box = Ctl(ids::编辑框6);
  SetFocus(box);
  SetWindowTextW(box, L"");
  for (wchar_t c : std::wstring(L"a0x7-+3\x4E00"))
    SendMessageW(box, WM_CHAR, c, 0);
  EXPECT_EQ(TextOf(box), L"07-3");
  SendMessageW(box, WM_CHAR, VK_BACK, 0);
  EXPECT_EQ(TextOf(box), L"07-");
  SetFocus(Ctl(ids::编辑框8));
  Pump(window.get(), 50ms);
  EXPECT_EQ(TextOf(box), L"7");
  EXPECT_EQ(app->BatchCount(), 7);
  SetWindowTextW(box, L"99999999999");
  SetFocus(box);
  SetFocus(Ctl(ids::编辑框8));
  Pump(window.get(), 50ms);
  EXPECT_EQ(TextOf(box), L"2147483647");
  SetWindowTextW(box, L"-0");
  SetFocus(box);
  SetFocus(Ctl(ids::编辑框8));
  Pump(window.get(), 50ms);
  EXPECT_EQ(TextOf(box), L"");
}

TEST_F(WindowTest, NoUpdateNoticeAndItsAreaDoesNothing) {
  StartWindow("/");
  EXPECT_EQ(GbkText(ids::超级链接框2), "");
  MouseClick(Ctl(ids::超级链接框2), {10, 10});
  EXPECT_TRUE(fakeShell.opened.empty());
  MouseClick(Ctl(ids::超级链接框1), {10, 10});
  EXPECT_EQ(fakeShell.opened, std::vector<std::string>{TestDeployment().helpPageUrl});
}

TEST_F(WindowTest, UpdateNoticeOpensTheLink) {
  StartWindow("/with-update/");
  EXPECT_EQ(GbkText(ids::超级链接框2), "新版软件已更新，点此下载。");
  MouseClick(Ctl(ids::超级链接框2), {10, 10});
  EXPECT_EQ(fakeShell.opened, std::vector<std::string>{"http://" + kTestSim + "/download"});
  SaveScreenshot(window->Handle(), "window-update-notice");
}

TEST_F(WindowTest, UnreachableConfigurationServerStillStartsTheWindow) {
  Deployment d = TestDeployment();
  d.configEndpoint = "http://127.0.0.1:9/";
  const auto start = std::chrono::steady_clock::now();
  StartWith(d);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 12s);
  EXPECT_EQ(GbkText(ids::编辑框6), "1");
  EXPECT_EQ(GbkText(ids::超级链接框2), "");
}

TEST_F(WindowTest, StaysResponsiveWhileAWorkerAppendsManyRows) {
  StartWindow();
  std::atomic<bool> done{false};
  app->Threads().StartWorker([&](WorkerContext&) {
    for (int i = 0; i < 100000; ++i)
      app->Table().AppendFilledRow([i](int, ShopRow& row) { row[ColSeller] = "s" + std::to_string(i); });
    done = true;
  });
  auto longest = std::chrono::steady_clock::duration::zero();
  int refreshes = 0;
  ASSERT_TRUE(PumpUntil(nullptr, [&] {
    const auto start = std::chrono::steady_clock::now();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      refreshes += msg.message == ids::kRefreshMessage;
      DispatchMessageW(&msg);
    }
    longest = std::max(longest, std::chrono::steady_clock::now() - start);
    return done.load();
  }, 60s));
  Pump(window.get(), 100ms);
  EXPECT_EQ(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0), 100000);
  EXPECT_LT(refreshes, 100000 / 10);  // coalesced
  EXPECT_LT(longest, 500ms);
}

}  // namespace
}  // namespace varlen
