#include "model/window_state.h"

#include <climits>

namespace varlen {

WindowState::WindowState() {
  view_.startCaption = "开始提取";
  view_.menuEnabled.fill(true);
}

Text WindowState::GetText(Box box) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return view_.boxes[static_cast<int>(box)];
}

void WindowState::SetText(Box box, Text text) {
  Change([&](WindowView& v) { v.boxes[static_cast<int>(box)] = std::move(text); });
}

bool WindowState::ReplaceText(Box box, std::string_view expected, Text text) {
  bool replaced = false;
  Change([&](WindowView& v) {
    Text& current = v.boxes[static_cast<int>(box)];
    if (current == expected) {
      current = std::move(text);
      replaced = true;
    }
  });
  return replaced;
}

bool WindowState::IsTicked(Option option) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return view_.options[static_cast<int>(option)];
}

void WindowState::SetTicked(Option option, bool ticked) {
  Change([&](WindowView& v) { v.options[static_cast<int>(option)] = ticked; });
}

bool WindowState::IsMenuEnabled(MenuItem item) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return view_.menuEnabled[static_cast<int>(item)];
}

void WindowState::SetMenuEnabled(MenuItem item, bool enabled) {
  Change([&](WindowView& v) { v.menuEnabled[static_cast<int>(item)] = enabled; });
}

bool WindowState::IsOnlineLabelVisible() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return view_.onlineLabelVisible;
}

void WindowState::SetOnlineLabelVisible(bool visible) {
  Change([&](WindowView& v) { v.onlineLabelVisible = visible; });
}

Text WindowState::StartCaption() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return view_.startCaption;
}

bool WindowState::IsStartEnabled() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return view_.startEnabled;
}

void WindowState::SetStartCaption(Text caption) {
  Change([&](WindowView& v) { v.startCaption = std::move(caption); });
}

void WindowState::SetStartEnabled(bool enabled) {
  Change([&](WindowView& v) { v.startEnabled = enabled; });
}

Text WindowState::UpdateLink() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return view_.updateLink;
}

bool WindowState::IsUpdateNoticeShown() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return view_.updateNoticeShown;
}

void WindowState::SetUpdate(Text link, bool noticeShown) {
  Change([&](WindowView& v) {
    v.updateLink = std::move(link);
    v.updateNoticeShown = noticeShown;
  });
}

WindowView WindowState::Snapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return view_;
}

int ParseBatchCount(std::string_view text) {
  const Text ascii = FullWidthToAscii(text);
  size_t i = 0;
  while (i < ascii.size() && (ascii[i] == ' ' || ascii[i] == '\t')) ++i;
  bool negative = false;
  if (i < ascii.size() && (ascii[i] == '+' || ascii[i] == '-')) negative = ascii[i++] == '-';
  long long value = 0;
  for (; i < ascii.size() && ascii[i] >= '0' && ascii[i] <= '9'; ++i) {
    if (value <= static_cast<long long>(INT_MAX) + 1) value = value * 10 + (ascii[i] - '0');
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

Text NormaliseBatchText(std::string_view text) {
  const int value = ParseBatchCount(text);
  return value == 0 ? Text() : DecimalText(value);
}

}  // namespace varlen
