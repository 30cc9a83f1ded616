#include "commands/row_deletion.h"

#include "app/application.h"

namespace varlen {

void RenumberRows(ShopTable::Editor& table) {
  for (int i = 0; i < table.RowCount(); ++i) {
    Text seq = DecimalText(i + 1);
    if (table.Cell(i, ColSeq) != seq) table.SetCell(i, ColSeq, std::move(seq));
  }
}

int CountOnlineRows(const ShopTable::Editor& table) {
  int online = 0;
  for (int i = 0; i < table.RowCount(); ++i)
    if (table.Cell(i, ColOnline) == "在线") ++online;
  return online;
}

namespace {

// A paused online run is over after a deletion: its thread is ended (at its
// checkpoint) and the state box reads idle.
void ResetOnlineChecker(Application& app) {
  app.Threads().TerminateWorker(app.Globals().OnlineCheckerThread);
  app.Control().MarkCheckerIdle(Box::编辑框1);
}

}  // namespace

void DeleteMatchingRows(Application& app, int column, std::string_view value,
                        bool valueFromSelection) {
  int online = 0, remaining = 0;
  app.Table().Edit([&](ShopTable::Editor& table) {
    Text compared(value);
    if (valueFromSelection) {
      const int selected = table.SelectedRow();
      compared = selected >= 0 ? table.Cell(selected, ColOpenDate) : Text();
    }
    table.DeleteRowsWhere([&](int, const ShopRow& row) { return row[column] == compared; });
    RenumberRows(table);
    online = CountOnlineRows(table);
    remaining = table.RowCount();
  });
  // The online box is written only when some row is online.
  if (online > 0) app.State().SetText(Box::编辑框3, DecimalText(online));
  if (valueFromSelection) {
    ResetOnlineChecker(app);
    app.State().SetText(Box::编辑框7, DecimalText(remaining));
  } else {
    app.State().SetText(Box::编辑框7, DecimalText(remaining));
    ResetOnlineChecker(app);
  }
}

void DeleteSelectedRow(Application& app) {
  app.Table().Edit([](ShopTable::Editor& table) {
    const int selected = table.SelectedRow();
    if (selected >= 0)
      table.DeleteRowsWhere([selected](int row, const ShopRow&) { return row == selected; });
    RenumberRows(table);
  });
}

void ClearAllRows(Application& app) {
  app.Threads().TerminateWorker(app.Globals().OnlineCheckerThread);
  app.Table().ClearRows();
  app.State().SetText(Box::编辑框7, "     ");
  app.State().SetOnlineLabelVisible(false);
  app.Control().MarkCheckerIdle(Box::编辑框1);
}

void StartDeleteDay(Application& app) {
  app.Threads().StartWorker([&app](WorkerContext&) {
    DeleteMatchingRows(app, ColOpenDate, "", true);
  });
}

}  // namespace varlen
