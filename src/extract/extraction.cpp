#include "extract/extraction.h"

#include "app/application.h"
#include "extract/config_page.h"
#include "net/encoding.h"
#include "net/presence.h"
#include "net/web_request.h"

namespace varlen {
namespace {

constexpr std::string_view kDone = "目前数据提取完毕，请稍后几个小时提取";

// The listing line's fields; fewer than four make no row.
bool ReadFields(const Text& line, std::vector<Text>& fields) {
  fields = SplitListingFields(line);
  return fields.size() >= 4;
}

bool PassesFilters(Application& app, const std::vector<Text>& fields, const ListingJob& job) {
  return IsOnOrAfterFromDate(ParseDate(fields[1]), job.fromDate) &&
         !app.Log().IsSellerKnown(fields[0]);
}

}  // namespace

bool IsShopPageUsable(std::string_view page, bool withoutGoodsOnly) {
  if (page.empty() || ContainsText(page, "亲，访问受限了")) return false;
  const int length = TextByteLength(page);
  if (withoutGoodsOnly && (length < 76001 || length > 78499)) return false;
  return ContainsText(page, ">掌柜：");
}

bool IsListingAccepted(const std::vector<Text>& lines) {
  return lines.size() >= 2 && FindText(lines[0], "<p>") > 0;
}

void StartExtraction(Application& app) {
  const bool slow = app.State().IsTicked(Option::选择框3);
  app.State().SetStartCaption("重新提取");
  app.State().SetStartEnabled(false);
  app.Globals().ExtractionRunning = 1;
  app.State().SetText(Box::标签5, "正在准备提取中…");
  // One extraction at a time: the earlier one ends at its next safe point.
  app.Threads().TerminateWorker(app.Globals().ExtractionThread);
  app.Globals().ExtractionThread = app.Threads().StartWorker(
      [&app, slow](WorkerContext& self) { ExtractionWorker(app, self, slow); });
}

void ExtractionWorker(Application& app, WorkerContext& self, bool slow) {
  const Text listingUrl = FetchListingUrl(app.Platform().http, app.Settings().configEndpoint);
  if (!self.Checkpoint()) return;
  const Bytes listing = app.Platform().http.HttpGet(listingUrl);
  if (!self.Checkpoint()) return;
  ListingJob job;
  job.lines = SplitListingLines(BytesToText(listing));
  if (!IsListingAccepted(job.lines)) {
    app.State().SetText(Box::标签5, "服务器繁忙，请稍后再试");
    app.State().SetStartEnabled(true);
    return;
  }
  job.fromDate = ParseDate(app.State().GetText(Box::编辑框8));
  if (slow)
    SlowExtractor(app, self, job);
  else
    FastExtractor(app, self, job);
}

void FastExtractor(Application& app, WorkerContext& self, const ListingJob& job) {
  ShopTable& table = app.Table();
  table.SetColumnWidth(ColShopName, 0);
  table.ClearRows();
  std::vector<Text> fields;
  // Entries 1 .. n-1 (1-based): the last entry, the closing line, is never a shop.
  for (size_t i = 0; i + 1 < job.lines.size(); ++i) {
    if (!self.Checkpoint()) return;
    if (app.Globals().ExtractionRunning != 1) break;
    if (!ReadFields(job.lines[i], fields) || !PassesFilters(app, fields, job)) continue;
    app.State().SetText(Box::标签5, "正在提取中……");
    table.AppendFilledRow([&](int index, ShopRow& row) {
      row[ColSeq] = DecimalText(index + 1);
      row[ColSeller] = fields[0];
      row[ColOpenDate] = fields[1];
      row[ColShopUrl] = fields[3];
      row[ColProtection] = fields[2];
    });
    app.State().SetText(Box::编辑框7, DecimalText(table.RowCount()));
  }
  app.State().SetText(Box::标签5, Text(kDone));
  app.State().SetStartEnabled(true);
}

void SlowExtractor(Application& app, WorkerContext& self, const ListingJob& job) {
  ShopTable& table = app.Table();
  WindowState& state = app.State();
  table.SetColumnWidth(ColShopName, 120);
  table.ClearRows();
  std::vector<Text> fields;
  // Entries 1 .. n-1 (1-based): the last entry, the closing line, is never a shop.
  for (size_t i = 0; i + 1 < job.lines.size(); ++i) {
    if (!self.Checkpoint()) return;
    state.SetText(Box::标签5, "正在提取中…");
    if (!ReadFields(job.lines[i], fields)) continue;
    if (app.Log().IsSellerKnown(fields[0])) continue;
    if (!IsOnOrAfterFromDate(ParseDate(fields[1]), job.fromDate)) continue;
    WebRequestArgs request;
    request.url = fields[3];
    const Text page = BytesToText(WebRequest(app.Platform().net, request));
    if (!self.Checkpoint()) return;

    if (IsShopPageUsable(page, state.IsTicked(Option::选择框4))) {
      const Text seller = TextBetween(page, "掌柜：", "</a><br>");
      const bool onlineOnly = state.IsTicked(Option::选择框1);
      const bool makeRow =
          !onlineOnly ||
          (!seller.empty() && IsSellerOnline(app.Platform().http, seller, app.Settings().presenceHost));
      if (makeRow) {
        const bool protectedShop =
            state.IsTicked(Option::选择框2) && ContainsText(page, "该店铺已签署消费者保障协议");
        table.AppendFilledRow([&](int index, ShopRow& row) {
          if (onlineOnly) row[ColOnline] = "在线";
          row[ColSeq] = DecimalText(index + 1);
          row[ColShopName] = TextBetween(page, "/tbwmdd.1.044#引号>", "<i id=");
          row[ColSeller] = seller;
          row[ColOpenDate] = TextBetween(page, "<span class=#引号id-time#引号>", "</span>");
          row[ColShopUrl] = "https://shop" + TextBetween(page, "href=#引号//shop", "#引号 target=#引号_blank#引号");
          row[ColProtection] = protectedShop ? "是" : "否";
        });
        state.SetText(Box::编辑框7, DecimalText(table.RowCount()));
      }
    }
    if (!self.Sleep(app.SlowPause())) return;
  }
  state.SetText(Box::标签5, Text(kDone));
  state.SetStartEnabled(true);
}

}  // namespace varlen
