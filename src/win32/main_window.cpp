#include "win32/main_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <vector>

#include "win32/control_ids.h"
#include "win32/handles_win.h"

namespace varlen {
namespace {

constexpr wchar_t kClassName[] = L"VarlenMainWindow";
constexpr std::string_view kUpdateCaption = "新版软件已更新，点此下载。";

struct ControlSpec {
  int id;
  const wchar_t* cls;
  const char* text;  // GBK
  int x, y, w, h;
  DWORD style;
  DWORD exStyle;
};

constexpr DWORD kLabel = SS_LEFTNOWORDWRAP;
constexpr DWORD kCheck = BS_AUTOCHECKBOX;
constexpr DWORD kButton = BS_PUSHBUTTON;
constexpr DWORD kEdit = ES_AUTOHSCROLL;
constexpr DWORD kLink = SS_LEFTNOWORDWRAP | SS_NOTIFY;

// Places and sizes on the page, in pixels from the tab control's corner.
const ControlSpec kControls[] = {
    {ids::标签7, L"STATIC", "日期", 11, 27, 24, 24, kLabel, 0},
    {ids::编辑框8, L"EDIT", "", 48, 30, 80, 20, kEdit, WS_EX_CLIENTEDGE},
    {ids::开始id2, L"STATIC", "只提在线", 154, 25, 56, 24, kLabel, 0},
    {ids::选择框1, L"BUTTON", "", 210, 30, 16, 16, kCheck, 0},
    {ids::开始id3, L"STATIC", "消保显示", 246, 25, 48, 24, kLabel, 0},
    {ids::选择框2, L"BUTTON", "", 297, 30, 16, 16, kCheck, 0},
    {ids::开始id4, L"STATIC", "过滤商品", 334, 25, 56, 24, kLabel, 0},
    {ids::选择框4, L"BUTTON", "", 390, 30, 16, 16, kCheck, 0},
    {ids::开始id1, L"STATIC", "慢速提取", 433, 25, 51, 24, kLabel, 0},
    {ids::选择框3, L"BUTTON", "", 485, 30, 16, 16, kCheck, 0},
    {ids::继续提取, L"BUTTON", "继续提取", 539, 26, 64, 24, kButton, 0},
    {ids::停止提取, L"BUTTON", "停止提取", 639, 26, 64, 24, kButton, 0},
    {ids::开始提取, L"BUTTON", "开始提取", 731, 26, 64, 24, kButton, 0},
    {ids::标签4, L"STATIC", "批量聊天/导出", 11, 54, 80, 24, kLabel, 0},
    {ids::编辑框6, L"EDIT", "", 94, 57, 34, 18, kEdit | ES_CENTER, WS_EX_CLIENTEDGE},
    {ids::标签5, L"STATIC", "", 205, 53, 267, 24, kLabel, 0},
    {ids::超级链接框1, L"STATIC", "简单的使用说明", 0, 384, 120, 24, kLink, 0},
    {ids::超级链接框2, L"STATIC", "", 272, 384, 280, 24, kLink, 0},
    {ids::标签1, L"STATIC", "采集数量", 587, 385, 48, 24, kLabel, 0},
    {ids::编辑框7, L"EDIT", "", 637, 385, 48, 24, ES_READONLY | WS_DISABLED, 0},
    {ids::标签3, L"STATIC", "在线数量", 687, 385, 48, 24, kLabel, 0},
    {ids::编辑框3, L"EDIT", "", 738, 386, 48, 24, ES_READONLY | WS_DISABLED, 0},
};

struct BoxBinding {
  Box box;
  int id;
};
const BoxBinding kShownBoxes[] = {{Box::标签5, ids::标签5},
                                  {Box::编辑框7, ids::编辑框7},
                                  {Box::编辑框3, ids::编辑框3},
                                  {Box::编辑框8, ids::编辑框8},
                                  {Box::编辑框6, ids::编辑框6}};

struct OptionBinding {
  Option option;
  int id;
};
const OptionBinding kOptions[] = {{Option::选择框1, ids::选择框1},
                                  {Option::选择框2, ids::选择框2},
                                  {Option::选择框3, ids::选择框3},
                                  {Option::选择框4, ids::选择框4}};

// Captions of the popup menu, in order; the text after a tab is display only.
const char* const kMenuTexts[kMenuItemCount] = {
    "进入店铺\tCtrl+A", "批量导出", "全部导出", "删除选中", "删除该天",
    "删有商品",        "删有消保", "删除离线\tCtrl+C", "清空所有\tCtrl+C"};

std::wstring WindowTextOf(HWND h) {
  const int n = GetWindowTextLengthW(h);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  GetWindowTextW(h, text.data(), n + 1);
  text.resize(static_cast<size_t>(n));
  return text;
}

// The system's message font at 9 points, the size the layout was drawn for.
HFONT MessageFont(bool underline) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  metrics.lfMessageFont.lfHeight = -12;
  metrics.lfMessageFont.lfUnderline = underline;
  return CreateFontIndirectW(&metrics.lfMessageFont);
}

// The colour the tab control fills its page with (white under some themes,
// the dialog colour under others), read from a rendering of the control.
COLORREF TabPageColor(HWND tab) {
  RECT rc;
  GetClientRect(tab, &rc);
  HDC screen = GetDC(tab);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, rc.right, rc.bottom);
  HGDIOBJ old = SelectObject(memory, bitmap);
  SendMessageW(tab, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
  COLORREF color = GetPixel(memory, rc.right / 2, rc.bottom / 2);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(tab, screen);
  return color == CLR_INVALID ? GetSysColor(COLOR_BTNFACE) : color;
}

}  // namespace

bool RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  if (GetClassInfoExW(instance, kClassName, &wc)) return true;
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &MainWindow::Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = kClassName;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.hIconSm = wc.hIcon;
  return RegisterClassExW(&wc) != 0;
}

MainWindow::MainWindow(Application& app) : app_(app) {}

MainWindow::~MainWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
  if (menuBar_) DestroyMenu(menuBar_);
  if (font_) DeleteObject(font_);
  if (linkFont_) DeleteObject(linkFont_);
  if (pageBrush_) DeleteObject(pageBrush_);
}

HWND MainWindow::Create(HINSTANCE instance, int show) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  if (!RegisterMainWindowClass(instance)) return nullptr;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - kWindowWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - kWindowHeight) / 2;
  CreateWindowExW(0, kClassName, Wide(kWindowCaption).c_str(),
                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, x, y,
                  kWindowWidth, kWindowHeight, nullptr, nullptr, instance, this);
  if (hwnd_) {
    ShowWindow(hwnd_, show);
    UpdateWindow(hwnd_);
  }
  return hwnd_;
}

LRESULT CALLBACK MainWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  MainWindow* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  try {
    return self->OnMessage(msg, wp, lp);
  } catch (...) {
    // Nothing may unwind through the system's frames.
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

LRESULT MainWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return reinterpret_cast<LRESULT>(ColorStatic(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp)));
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wp) == Control(ids::超级链接框1) ||
          (reinterpret_cast<HWND>(wp) == Control(ids::超级链接框2) && app_.State().IsUpdateNoticeShown())) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case ids::kRefreshMessage:
      target_->pending = false;
      Refresh();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

void MainWindow::CreateControls() {
  font_ = MessageFont(false);
  linkFont_ = MessageFont(true);
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));

  // The tab control fills the client area; the page's controls sit on top of it.
  HWND tab = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
                             821, 416, hwnd_, reinterpret_cast<HMENU>(ids::Tab), instance, nullptr);
  std::wstring tabTitle = Wide("店铺采集");
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = tabTitle.data();
  SendMessageW(tab, TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  SendMessageW(tab, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);

  for (const ControlSpec& c : kControls) {
    HWND h = CreateWindowExW(c.exStyle, c.cls, Wide(c.text).c_str(),
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | c.style, c.x, c.y, c.w, c.h, hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
    const bool link = c.id == ids::超级链接框1 || c.id == ids::超级链接框2;
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(link ? linkFont_ : font_), FALSE);
  }
  ShowWindow(Control(ids::标签3), SW_HIDE);
  SetWindowSubclass(Control(ids::编辑框6), &MainWindow::BatchBoxProc, 1, 0);

  HWND list = CreateWindowExW(
      WS_EX_STATICEDGE, WC_LISTVIEWW, L"",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
      0, 80, 815, 304, hwnd_, reinterpret_cast<HMENU>(ids::超级列表框1), instance, nullptr);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  SetWindowPos(tab, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  pageColor_ = TabPageColor(tab);
  pageBrush_ = CreateSolidBrush(pageColor_);

  // "菜单": never a menu bar, only popped up over the list.
  menuBar_ = CreateMenu();
  HMENU popup = CreatePopupMenu();
  for (int i = 0; i < kMenuItemCount; ++i)
    AppendMenuW(popup, MF_STRING, ids::kMenuBase + i, Wide(kMenuTexts[i]).c_str());
  AppendMenuW(menuBar_, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), Wide("菜单").c_str());
}

void MainWindow::OnCreate() {
  CreateControls();
  target_->hwnd = hwnd_;
  auto notify = [target = target_] {
    HWND h = target->hwnd.load();
    if (h && !target->pending.exchange(true)) PostMessageW(h, ids::kRefreshMessage, 0, 0);
  };
  app_.Table().Changed().SetListener(notify);
  app_.State().Changed().SetListener(notify);
  app_.InitMainWindow();
  Refresh();
}

void MainWindow::OnDestroy() {
  app_.ShutDownMainWindow();
  target_->hwnd = nullptr;
  app_.Table().Changed().SetListener(nullptr);
  app_.State().Changed().SetListener(nullptr);
  PostQuitMessage(0);
}

bool MainWindow::PreTranslate(const MSG& msg) {
  if (!hwnd_ || msg.message != WM_KEYDOWN || msg.wParam != VK_ESCAPE) return false;
  if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
  PostMessageW(hwnd_, WM_CLOSE, 0, 0);
  return true;
}

LRESULT CALLBACK MainWindow::BatchBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                          DWORD_PTR) {
  // Typed characters other than digits and "-" are ignored; control keys work.
  if (msg == WM_CHAR && wp >= 0x20 && !IsBatchKeyAccepted(static_cast<char16_t>(wp))) return 0;
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void MainWindow::OnCommand(int id, int code) {
  if (id >= ids::kMenuBase && id < ids::kMenuBase + kMenuItemCount) {
    app_.RunMenuCommand(static_cast<MenuItem>(id - ids::kMenuBase));
    return;
  }
  switch (id) {
    case ids::开始提取:
      if (code == BN_CLICKED) app_.StartExtraction();
      break;
    case ids::停止提取:
      if (code == BN_CLICKED) app_.StopExtraction();
      break;
    case ids::继续提取:
      if (code == BN_CLICKED) app_.ContinueExtraction();
      break;
    case ids::超级链接框1:
      if (code == STN_CLICKED) app_.OpenHelpPage();
      break;
    case ids::超级链接框2:
      if (code == STN_CLICKED) app_.OpenUpdateLink();
      break;
    case ids::编辑框8:
    case ids::编辑框6:
      if (code == EN_CHANGE) {
        const Box box = id == ids::编辑框8 ? Box::编辑框8 : Box::编辑框6;
        app_.State().SetText(box, Gbk(WindowTextOf(Control(id))));
      } else if (code == EN_KILLFOCUS && id == ids::编辑框6) {
        app_.NormaliseBatchBox();
      }
      break;
    default:
      for (const OptionBinding& o : kOptions)
        if (o.id == id && code == BN_CLICKED)
          app_.State().SetTicked(o.option, SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED);
  }
}

LRESULT MainWindow::OnNotify(NMHDR* header) {
  if (header->idFrom != static_cast<UINT_PTR>(ids::超级列表框1)) return 0;
  switch (header->code) {
    case LVN_GETDISPINFOW: {
      auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
      if ((info->item.mask & LVIF_TEXT) && info->item.pszText && info->item.cchTextMax > 0) {
        const std::wstring text = Wide(app_.Table().GetCell(info->item.iItem, info->item.iSubItem));
        const size_t n = std::min<size_t>(text.size(), static_cast<size_t>(info->item.cchTextMax) - 1);
        text.copy(info->item.pszText, n);
        info->item.pszText[n] = L'\0';
      }
      return 0;
    }
    case LVN_COLUMNCLICK:
      app_.OnHeaderClicked(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
      return 0;
    case LVN_ITEMCHANGED:
      if (!syncingSelection_) SyncSelectionToModel();
      return 0;
    case NM_DBLCLK:
      SyncSelectionToModel();
      app_.ChatWithSellers();
      return 0;
    case NM_RCLICK:
      SyncSelectionToModel();
      ShowListMenu();
      return 0;
  }
  return 0;
}

void MainWindow::SyncSelectionToModel() {
  const int selected = static_cast<int>(
      SendMessageW(Control(ids::超级列表框1), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (selected != app_.Table().SelectedRow()) app_.Table().SelectRow(selected);
}

void MainWindow::ShowListMenu() {
  POINT at;
  GetCursorPos(&at);
  at.x += 3;
  at.y += 3;
  HMENU popup = ListMenu();
  for (int i = 0; i < kMenuItemCount; ++i)
    EnableMenuItem(popup, ids::kMenuBase + i,
                   MF_BYCOMMAND | (app_.State().IsMenuEnabled(static_cast<MenuItem>(i)) ? MF_ENABLED : MF_GRAYED));
  lastMenuAt_ = at;
  ++menuShown_;
  SetForegroundWindow(hwnd_);
  TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr);
  PostMessageW(hwnd_, WM_NULL, 0, 0);
}

void MainWindow::SetText(int id, std::string_view gbk) {
  HWND h = Control(id);
  const std::wstring wanted = Wide(gbk);
  if (WindowTextOf(h) != wanted) SetWindowTextW(h, wanted.c_str());
}

void MainWindow::SyncColumns() {
  HWND list = Control(ids::超级列表框1);
  HWND headerCtl = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  const std::vector<ColumnInfo> columns = app_.Table().Columns();
  int existing = static_cast<int>(SendMessageW(headerCtl, HDM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < static_cast<int>(columns.size()) && i < kColumnCount; ++i) {
    if (i >= existing) {
      std::wstring title = Wide(columns[i].title);
      LVCOLUMNW col{};
      col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
      col.fmt = LVCFMT_LEFT;
      col.cx = columns[i].width;
      col.pszText = title.data();
      col.iSubItem = i;
      SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
      appliedWidths_[i] = columns[i].width;
      ++existing;
    } else if (appliedWidths_[i] != columns[i].width) {
      // Only a width the program set is applied, so a width dragged by hand
      // stays until the program sets one again.
      SendMessageW(list, LVM_SETCOLUMNWIDTH, i, columns[i].width);
      appliedWidths_[i] = columns[i].width;
    }
  }
}

void MainWindow::Refresh() {
  if (!hwnd_) return;
  const WindowView v = app_.State().Snapshot();
  for (const BoxBinding& b : kShownBoxes) SetText(b.id, v.boxes[static_cast<int>(b.box)]);
  for (const OptionBinding& o : kOptions) {
    const WPARAM want = v.options[static_cast<int>(o.option)] ? BST_CHECKED : BST_UNCHECKED;
    if (static_cast<WPARAM>(SendMessageW(Control(o.id), BM_GETCHECK, 0, 0)) != want)
      SendMessageW(Control(o.id), BM_SETCHECK, want, 0);
  }
  ShowWindow(Control(ids::标签3), v.onlineLabelVisible ? SW_SHOWNA : SW_HIDE);
  SetText(ids::开始提取, v.startCaption);
  EnableWindow(Control(ids::开始提取), v.startEnabled);
  SetText(ids::超级链接框2, v.updateNoticeShown ? kUpdateCaption : "");

  SyncColumns();
  HWND list = Control(ids::超级列表框1);
  const int rows = app_.Table().RowCount();
  if (rows != listedRows_) {
    SendMessageW(list, LVM_SETITEMCOUNT, rows, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    listedRows_ = rows;
  }
  const int modelSelected = app_.Table().SelectedRow();
  const int viewSelected =
      static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (modelSelected != viewSelected) {
    syncingSelection_ = true;
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = 0;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    if (modelSelected >= 0) {
      state.state = LVIS_SELECTED | LVIS_FOCUSED;
      SendMessageW(list, LVM_SETITEMSTATE, modelSelected, reinterpret_cast<LPARAM>(&state));
    }
    syncingSelection_ = false;
  }
  InvalidateRect(list, nullptr, FALSE);
}

HBRUSH MainWindow::ColorStatic(HDC dc, HWND control) {
  const bool link = control == Control(ids::超级链接框1) || control == Control(ids::超级链接框2);
  SetTextColor(dc, link ? RGB(0, 0, 204) : GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, pageColor_);
  return pageBrush_;
}

}  // namespace varlen
