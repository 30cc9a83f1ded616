#pragma once
// "开始提取": the listing is fetched and checked off the user-interface thread,
// then the fast or the slow worker turns its lines into rows.
#include <vector>

#include "text/byte_text.h"
#include "text/dates.h"
#include "workers/workers.h"

namespace varlen {

class Application;

// What one extraction works on: its own copy, never replaced under it.
struct ListingJob {
  std::vector<Text> lines;  // ListingLines
  DateTime fromDate = MinDate;
};

// The button's handler (user-interface thread): returns at once.
void StartExtraction(Application& app);

// The body of the extraction worker: downloads, checks, then extracts.
void ExtractionWorker(Application& app, WorkerContext& self, bool slow);

// The workers proper, over a listing that was accepted.
void FastExtractor(Application& app, WorkerContext& self, const ListingJob& job);
void SlowExtractor(Application& app, WorkerContext& self, const ListingJob& job);

// A listing is accepted with at least two entries, the first holding "<p>".
bool IsListingAccepted(const std::vector<Text>& lines);

// The slow worker's page tests, in their order: refused or empty, outside the
// no-goods length window (when asked for), without a seller line.
bool IsShopPageUsable(std::string_view page, bool withoutGoodsOnly);

}  // namespace varlen
