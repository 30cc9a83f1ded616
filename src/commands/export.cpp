#include "commands/export.h"

#include <algorithm>

#include "app/application.h"

namespace varlen {

std::vector<ExportRow> RowsOfAllExport(ShopTable& table) {
  std::vector<ExportRow> rows;
  table.Edit([&](ShopTable::Editor& t) {
    rows.reserve(t.RowCount());
    for (int i = 0; i < t.RowCount(); ++i) rows.push_back({t.Id(i), t.Cell(i, ColSeller)});
  });
  return rows;
}

std::vector<ExportRow> RowsOfBatch(ShopTable& table, int batchCount) {
  std::vector<ExportRow> rows;
  table.Edit([&](ShopTable::Editor& t) {
    const int selected = t.SelectedRow();
    // Passes that address no row (before the first or past the last) are skipped.
    const long long first = std::max<long long>(selected, 0);
    const long long last = std::min<long long>(static_cast<long long>(selected) + batchCount, t.RowCount());
    for (long long r = first; r < last; ++r)
      rows.push_back({t.Id(static_cast<int>(r)), t.Cell(static_cast<int>(r), ColSeller)});
  });
  return rows;
}

Bytes ExportFileContent(const std::vector<ExportRow>& rows) {
  Bytes content;
  for (const ExportRow& row : rows) content += row.seller + "\r\n";
  return content;
}

namespace {

// Writes the file, then marks and logs; false when the file could not be written.
bool WriteAndRecord(Application& app, WorkerContext& self, const Text& path,
                    const std::vector<ExportRow>& rows) {
  const Bytes content = ExportFileContent(rows);
  self.Sleep(std::chrono::milliseconds(100));
  if (!app.Platform().files.ReplaceWholeFile(path, content)) {
    app.State().SetText(Box::标签5, Text(kExportFailed));
    return false;
  }
  std::vector<Text> names;
  names.reserve(rows.size());
  for (const ExportRow& row : rows) names.push_back(row.seller);
  app.Log().AppendAllToContactLog(names);
  for (const ExportRow& row : rows) app.Table().SetCellById(row.id, ColContact, "已导出");
  return true;
}

}  // namespace

void ExportAllWorker(Application& app, WorkerContext& self, const Text& path) {
  app.State().SetText(Box::标签5, "正在导出数据…");
  if (WriteAndRecord(app, self, path, RowsOfAllExport(app.Table())))
    app.State().SetText(Box::标签5, "数据导出完毕");
}

void ExportBatchWorker(Application& app, WorkerContext& self, const Text& path, int batchCount) {
  WriteAndRecord(app, self, path, RowsOfBatch(app.Table(), batchCount));
}

void ExportAll(Application& app) {
  Text path;
  if (!app.Platform().saveDialog.ChooseExportFile(path)) return;
  app.Threads().StartWorker([&app, path](WorkerContext& self) { ExportAllWorker(app, self, path); });
}

void ExportBatch(Application& app) {
  Text path;
  if (!app.Platform().saveDialog.ChooseExportFile(path)) return;
  const int batch = app.BatchCount();
  app.Threads().StartWorker(
      [&app, path, batch](WorkerContext& self) { ExportBatchWorker(app, self, path, batch); });
}

}  // namespace varlen
