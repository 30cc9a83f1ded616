#pragma once
// Pruning the table: by rule, the selected row, or everything. Each command's
// collect-and-delete runs under the table's lock in one pass, so no other
// thread's append, write or deletion interleaves with it.
#include "model/shop_table.h"

namespace varlen {

class Application;

// Deletes every row whose cell in `column` equals `value` (or, with
// `valueFromSelection`, the selected row's opening date), renumbers, recounts
// and writes the counter boxes.
void DeleteMatchingRows(Application& app, int column, std::string_view value,
                        bool valueFromSelection = false);
void DeleteSelectedRow(Application& app);   // "删除选中"
void ClearAllRows(Application& app);        // "清空所有"
void StartDeleteDay(Application& app);      // "删除该天", on a worker of its own

// Writes row index + 1 into every row's ColSeq (caller holds the lock).
void RenumberRows(ShopTable::Editor& table);
// The number of "在线" rows (caller holds the lock).
int CountOnlineRows(const ShopTable::Editor& table);

}  // namespace varlen
