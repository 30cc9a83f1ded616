#pragma once
// "全部导出" and "批量导出": seller names to a text file of the user's choice,
// one GBK name and CR LF a row. The file is written whole first; only then are
// the rows marked "已导出" and the names logged, so a failed export is never
// reported or recorded as done.
#include <vector>

#include "model/shop_table.h"
#include "workers/workers.h"

namespace varlen {

class Application;

inline constexpr std::string_view kExportFailed = "导出失败，文件无法写入";

struct ExportRow {
  RowId id;
  Text seller;
};

// The rows of an export, read in one step.
std::vector<ExportRow> RowsOfAllExport(ShopTable& table);
std::vector<ExportRow> RowsOfBatch(ShopTable& table, int batchCount);
// The file's bytes.
Bytes ExportFileContent(const std::vector<ExportRow>& rows);

void ExportAll(Application& app);    // dialog, then a worker
void ExportBatch(Application& app);  // dialog, then a worker

// The workers, with the path captured when the export started.
void ExportAllWorker(Application& app, WorkerContext& self, const Text& path);
void ExportBatchWorker(Application& app, WorkerContext& self, const Text& path, int batchCount);

}  // namespace varlen
