#pragma once
// The main window: draws the models of the application and turns the user's
// clicks, keys and menu choices into calls on it. Workers never reach the
// window: model changes are coalesced into one posted refresh message.
#include <windows.h>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "app/application.h"

namespace varlen {

// The caption: the program's name and version, then a short contact note.
inline constexpr std::string_view kWindowCaption = "Varlenv3.1 客服QQ 800012345 ";
inline constexpr int kWindowWidth = 821;
inline constexpr int kWindowHeight = 437;

class MainWindow {
 public:
  explicit MainWindow(Application& app);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window (running the start-up sequence) and shows it centred.
  HWND Create(HINSTANCE instance, int show = SW_SHOWNORMAL);
  HWND Handle() const { return hwnd_; }
  HWND Control(int id) const { return GetDlgItem(hwnd_, id); }

  // Keyboard handling that belongs to the window as a whole (Esc closes it
  // from any control). True when the message was used.
  bool PreTranslate(const MSG& msg);

  // The popup menu "菜单" (its item states are set each time it opens).
  HMENU ListMenu() const { return GetSubMenu(menuBar_, 0); }
  // Where the popup menu was last opened, in screen coordinates (tests).
  POINT LastMenuPosition() const { return lastMenuAt_; }
  int MenuShownCount() const { return menuShown_; }

  // Refreshes the controls from the models now (normally posted).
  void Refresh();

 private:
  struct PostTarget {
    std::atomic<HWND> hwnd{nullptr};
    std::atomic<bool> pending{false};
  };

  friend bool RegisterMainWindowClass(HINSTANCE instance);
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK BatchBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                       DWORD_PTR data);
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  void OnCreate();
  void OnCommand(int id, int code);
  LRESULT OnNotify(NMHDR* header);
  void OnDestroy();
  void CreateControls();
  void ShowListMenu();
  void SyncColumns();
  void SyncSelectionToModel();
  void SetText(int id, std::string_view gbk);
  HBRUSH ColorStatic(HDC dc, HWND control);

  Application& app_;
  HWND hwnd_ = nullptr;
  HMENU menuBar_ = nullptr;
  HFONT font_ = nullptr;
  HFONT linkFont_ = nullptr;
  COLORREF pageColor_ = 0;
  HBRUSH pageBrush_ = nullptr;
  std::shared_ptr<PostTarget> target_ = std::make_shared<PostTarget>();
  std::array<int, kColumnCount> appliedWidths_{};
  int listedRows_ = -1;
  bool syncingSelection_ = false;
  POINT lastMenuAt_{-1, -1};
  int menuShown_ = 0;
};

// The window class, registered once.
bool RegisterMainWindowClass(HINSTANCE instance);

}  // namespace varlen
