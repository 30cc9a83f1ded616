#pragma once
// Everything the window shows that is not the shop table, and everything the
// workers read from the window: one model, one lock, one change signal. The
// shell draws it; controls are never used as stores.
#include <array>
#include <mutex>

#include "model/change_signal.h"
#include "text/byte_text.h"

namespace varlen {

// Text-bearing controls, by their names on the window.
enum class Box {
  标签5,    // status line
  编辑框7,  // collected count
  编辑框3,  // online count
  编辑框1,  // online checker state
  编辑框9,  // goods checker state
  编辑框8,  // date box
  编辑框6,  // batch count box
};
inline constexpr int kBoxCount = 7;

// The four option check boxes.
enum class Option {
  选择框1,  // 只提在线
  选择框2,  // 消保显示
  选择框3,  // 慢速提取
  选择框4,  // 过滤商品
};

// Items of the popup menu, in their order.
enum class MenuItem {
  OpenShop,       // 进入店铺
  ExportBatch,    // 批量导出
  ExportAll,      // 全部导出
  DeleteSelected, // 删除选中
  DeleteDay,      // 删除该天
  DeleteWithGoods,// 删有商品
  DeleteProtected,// 删有消保
  DeleteOffline,  // 删除离线
  ClearAll,       // 清空所有
};
inline constexpr int kMenuItemCount = 9;

// Checker states held in 编辑框1 and 编辑框9.
inline constexpr std::string_view kCheckerIdle = "";
inline constexpr std::string_view kCheckerRunning = "线程启动中";
inline constexpr std::string_view kCheckerSuspended = "线程已挂起";

struct WindowView {
  std::array<Text, kBoxCount> boxes;
  std::array<bool, 4> options{};
  std::array<bool, kMenuItemCount> menuEnabled{};
  bool onlineLabelVisible = false;  // 标签3
  Text startCaption;                // 开始提取
  bool startEnabled = true;
  bool updateNoticeShown = false;   // 超级链接框2 captioned
  Text updateLink;
};

class WindowState {
 public:
  WindowState();

  Text GetText(Box box) const;
  void SetText(Box box, Text text);
  // Sets the box only when it holds `expected`; true when it did.
  bool ReplaceText(Box box, std::string_view expected, Text text);

  bool IsTicked(Option option) const;
  void SetTicked(Option option, bool ticked);

  bool IsMenuEnabled(MenuItem item) const;
  void SetMenuEnabled(MenuItem item, bool enabled);

  bool IsOnlineLabelVisible() const;
  void SetOnlineLabelVisible(bool visible);

  Text StartCaption() const;
  bool IsStartEnabled() const;
  void SetStartCaption(Text caption);
  void SetStartEnabled(bool enabled);

  Text UpdateLink() const;
  bool IsUpdateNoticeShown() const;
  void SetUpdate(Text link, bool noticeShown);

  WindowView Snapshot() const;
  ChangeSignal& Changed() { return changed_; }

 private:
  template <class F>
  void Change(F&& f) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      f(view_);
    }
    changed_.Raise();
  }

  mutable std::mutex mutex_;
  WindowView view_;
  ChangeSignal changed_;
};

// The batch count box read as an integer: full-width forms to ASCII, leading
// blanks skipped, optional sign, digits up to the first other character;
// clamped to the 32-bit range; 0 without leading digits.
int ParseBatchCount(std::string_view text);
// The box's text after it loses the focus: the decimal value, "" for 0.
Text NormaliseBatchText(std::string_view text);
// Typing filter of the batch box: digits and "-" only.
inline bool IsBatchKeyAccepted(char16_t c) { return (c >= u'0' && c <= u'9') || c == u'-'; }

}  // namespace varlen
