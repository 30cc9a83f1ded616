#pragma once
// Control ids, menu command ids and private messages of the main window.
#include <windows.h>

namespace varlen::ids {

enum : int {
  Tab = 100,
  标签7,
  编辑框8,
  开始id2,
  选择框1,
  开始id3,
  选择框2,
  开始id4,
  选择框4,
  开始id1,
  选择框3,
  继续提取,
  停止提取,
  开始提取,
  标签4,
  编辑框6,
  标签5,
  超级列表框1,
  超级链接框1,
  超级链接框2,
  标签1,
  编辑框7,
  标签3,
  编辑框3,
};

// Menu items: kMenuBase + the item's position in the menu.
inline constexpr int kMenuBase = 200;

// Models changed: refresh the controls (posted, coalesced).
inline constexpr UINT kRefreshMessage = WM_APP + 1;

}  // namespace varlen::ids
