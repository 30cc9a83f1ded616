#pragma once
// The table of collected shops: nine text cells a row, addressed by 0-based
// row index (display order) and column. Every row also has a stable id, so a
// result computed for a row lands on that row even when rows above it were
// deleted meanwhile. Each operation is atomic under the table's own lock.
#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "model/change_signal.h"
#include "text/byte_text.h"

namespace varlen {

enum Column : int {
  ColSeq = 0,
  ColShopName,
  ColSeller,
  ColOpenDate,
  ColOnline,
  ColProtection,
  ColShopUrl,
  ColContact,
  ColGoods,
};
inline constexpr int kColumnCount = 9;

struct ColumnInfo {
  Text title;
  int width = 0;
};

using RowId = std::uint64_t;  // 0 is no row
using ShopRow = std::array<Text, kColumnCount>;

class ShopTable {
 public:
  // Columns.
  void AddColumn(Text title, int width);
  void SetColumnWidth(int column, int width);
  std::vector<ColumnInfo> Columns() const;

  // Rows by index.
  int AppendRow();
  // Appends a row whose cells `fill` writes under the lock, knowing the new
  // row's index: the row appears whole. Returns its id.
  RowId AppendFilledRow(const std::function<void(int index, ShopRow& cells)>& fill);
  void SetCell(int row, int column, Text text);
  Text GetCell(int row, int column) const;  // "" outside the table
  int RowCount() const;
  void DeleteRow(int row);                   // out of range: nothing
  void ClearRows();

  // Rows by id.
  RowId RowIdAt(int row) const;               // 0 outside the table
  int IndexOfRow(RowId id) const;             // -1 when the row is gone
  bool SetCellById(RowId id, int column, Text text);  // false when gone
  Text GetCellById(RowId id, int column) const;

  // Single selection that follows its row, as a list-view's does.
  int SelectedRow() const;                    // -1 when none
  void SelectRow(int row);                    // -1 or out of range: none

  // Runs `edit` under the table's lock, for a collect-and-delete that other
  // threads must not interleave with. Raises one change afterwards.
  class Editor;
  void Edit(const std::function<void(Editor&)>& edit);

  ChangeSignal& Changed() { return changed_; }
  // Raised only when rows come or go (appends, deletions, clearing, edits).
  ChangeSignal& RowsChanged() { return rowsChanged_; }

 private:
  struct Row {
    RowId id;
    ShopRow cells;
  };
  int IndexOfLocked(RowId id) const;

  mutable std::mutex mutex_;
  std::vector<ColumnInfo> columns_;
  std::vector<Row> rows_;  // ids ascend with position: rows are never reordered
  RowId nextId_ = 1;
  RowId selected_ = 0;
  ChangeSignal changed_;
  ChangeSignal rowsChanged_;
  void RaiseRows() {
    changed_.Raise();
    rowsChanged_.Raise();
  }

  friend class Editor;
};

// Unlocked access to a table whose lock the caller holds (inside Edit).
class ShopTable::Editor {
 public:
  int RowCount() const { return static_cast<int>(t_.rows_.size()); }
  const Text& Cell(int row, int column) const { return t_.rows_[row].cells[column]; }
  void SetCell(int row, int column, Text text) { t_.rows_[row].cells[column] = std::move(text); }
  int SelectedRow() const { return t_.IndexOfLocked(t_.selected_); }
  RowId Id(int row) const { return t_.rows_[row].id; }
  // The index of the first row whose id is `id` or later (RowCount if none).
  int FirstIndexFrom(RowId id) const;
  // Deletes, in one pass, every row for which `doomed` is true.
  void DeleteRowsWhere(const std::function<bool(int row, const ShopRow&)>& doomed);

 private:
  friend class ShopTable;
  explicit Editor(ShopTable& t) : t_(t) {}
  ShopTable& t_;
};

}  // namespace varlen
