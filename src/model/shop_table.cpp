#include "model/shop_table.h"

#include <algorithm>

namespace varlen {
namespace {
bool InRange(int index, size_t size) { return index >= 0 && static_cast<size_t>(index) < size; }
bool ValidColumn(int column) { return column >= 0 && column < kColumnCount; }
}  // namespace

void ShopTable::AddColumn(Text title, int width) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    columns_.push_back({std::move(title), width});
  }
  changed_.Raise();
}

void ShopTable::SetColumnWidth(int column, int width) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!InRange(column, columns_.size())) return;
    columns_[column].width = width;
  }
  changed_.Raise();
}

std::vector<ColumnInfo> ShopTable::Columns() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return columns_;
}

int ShopTable::AppendRow() {
  int index;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    index = static_cast<int>(rows_.size());
    rows_.push_back({nextId_++, {}});
  }
  RaiseRows();
  return index;
}

RowId ShopTable::AppendFilledRow(const std::function<void(int, ShopRow&)>& fill) {
  RowId id;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    id = nextId_++;
    rows_.push_back({id, {}});
    fill(static_cast<int>(rows_.size()) - 1, rows_.back().cells);
  }
  RaiseRows();
  return id;
}

void ShopTable::SetCell(int row, int column, Text text) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!InRange(row, rows_.size()) || !ValidColumn(column)) return;
    rows_[row].cells[column] = std::move(text);
  }
  changed_.Raise();
}

Text ShopTable::GetCell(int row, int column) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!InRange(row, rows_.size()) || !ValidColumn(column)) return {};
  return rows_[row].cells[column];
}

int ShopTable::RowCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(rows_.size());
}

void ShopTable::DeleteRow(int row) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!InRange(row, rows_.size())) return;
    rows_.erase(rows_.begin() + row);
  }
  RaiseRows();
}

void ShopTable::ClearRows() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    rows_.clear();
    selected_ = 0;
  }
  RaiseRows();
}

RowId ShopTable::RowIdAt(int row) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return InRange(row, rows_.size()) ? rows_[row].id : 0;
}

int ShopTable::IndexOfLocked(RowId id) const {
  if (id == 0) return -1;
  auto it = std::lower_bound(rows_.begin(), rows_.end(), id,
                             [](const Row& r, RowId value) { return r.id < value; });
  return (it != rows_.end() && it->id == id) ? static_cast<int>(it - rows_.begin()) : -1;
}

int ShopTable::IndexOfRow(RowId id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return IndexOfLocked(id);
}

bool ShopTable::SetCellById(RowId id, int column, Text text) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const int row = IndexOfLocked(id);
    if (row < 0 || !ValidColumn(column)) return false;
    rows_[row].cells[column] = std::move(text);
  }
  changed_.Raise();
  return true;
}

Text ShopTable::GetCellById(RowId id, int column) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const int row = IndexOfLocked(id);
  return (row < 0 || !ValidColumn(column)) ? Text() : rows_[row].cells[column];
}

int ShopTable::SelectedRow() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return IndexOfLocked(selected_);
}

void ShopTable::SelectRow(int row) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    selected_ = InRange(row, rows_.size()) ? rows_[row].id : 0;
  }
  changed_.Raise();
}

void ShopTable::Edit(const std::function<void(Editor&)>& edit) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    Editor editor(*this);
    edit(editor);
  }
  RaiseRows();
}

int ShopTable::Editor::FirstIndexFrom(RowId id) const {
  const auto& rows = t_.rows_;
  auto it = std::lower_bound(rows.begin(), rows.end(), id,
                             [](const Row& r, RowId value) { return r.id < value; });
  return static_cast<int>(it - rows.begin());
}

void ShopTable::Editor::DeleteRowsWhere(const std::function<bool(int, const ShopRow&)>& doomed) {
  auto& rows = t_.rows_;
  size_t kept = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (doomed(static_cast<int>(i), rows[i].cells)) continue;
    if (kept != i) rows[kept] = std::move(rows[i]);
    ++kept;
  }
  rows.resize(kept);
}

}  // namespace varlen
