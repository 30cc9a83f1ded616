#pragma once
// The two background checks started by the header clicks: which sellers are
// online (up to 100 presence requests in flight) and which shops have goods.
#include "model/shop_table.h"
#include "workers/workers.h"

namespace varlen {

class Application;

inline constexpr int kMaxChecksInFlight = 100;

// The dispatcher: launches one presence check per row, in row order, at most
// 100 at a time, until the second-to-last row has an online state. The checks
// run on up to 100 check threads that take the launched rows in order.
void OnlineChecker(Application& app, WorkerContext& self);
// One row's check; the result lands on that row (by id) or nowhere.
void CheckRowPresence(Application& app, RowId row);

// Judges the first row without a goods state by its page's length, until
// every row has one; pauses itself on a page it cannot judge.
void GoodsChecker(Application& app, WorkerContext& self);
// "无" for 75000 < length < 80000, else "有".
Text GoodsVerdict(int pageLength);

}  // namespace varlen
