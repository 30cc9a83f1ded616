#pragma once
// An Application over fake ports, with helpers to serve the simulator's pages.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>

#include "app/application.h"
#include "fakes.h"

namespace varlen::testing_support {

// Blocks callers until released, one by one or all at once.
class Gate {
 public:
  void Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    ++waiting_;
    cv_.wait(lock, [&] { return open_ || permits_ > 0; });
    if (!open_) --permits_;
    --waiting_;
  }
  void Release(int n = 1) {
    { std::lock_guard<std::mutex> lock(mutex_); permits_ += n; }
    cv_.notify_all();
  }
  void Open() {
    { std::lock_guard<std::mutex> lock(mutex_); open_ = true; }
    cv_.notify_all();
  }
  int Waiting() {
    std::lock_guard<std::mutex> lock(mutex_);
    return waiting_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  int permits_ = 0, waiting_ = 0;
  bool open_ = false;
};

inline const std::string kSim = "127.0.0.1:8931";

// The shop row a listing line describes.
struct ListingShop {
  std::string seller, date, protection = "否", url;
};

inline std::string ListingBody(const std::vector<ListingShop>& shops) {
  std::string body = "heading\r\n";
  for (const ListingShop& s : shops)
    body += "<p>" + s.seller + "<p>" + s.date + "<p>" + s.protection + "<p>" + s.url + "<p>\r\n";
  return body + "end\r\n";
}

// A shop page of exactly `length` bytes (when the patterns fit).
inline std::string ShopPage(const std::string& seller, size_t length = 0, bool protectedShop = false,
                            bool patterns = true) {
  std::string page = "<html>";
  if (patterns)
    page += "<a href=\"//x/tbwmdd.1.044\">Shop of " + seller + "<i id=\"i\"></i></a>"
            "<span class=\"id-time\">2024-5-9</span>"
            "<a href=\"//shop77.example\" target=\"_blank\">go</a>";
  page += "<div><a>掌柜：" + seller + "</a><br></div>";
  if (protectedShop) page += "该店铺已签署消费者保障协议";
  if (page.size() + 7 < length) page += std::string(length - page.size() - 7, 'x');
  return page + "</html>";
}

class AppTest : public testing::Test {
 protected:
  AppTest() { app.SetSlowPause(std::chrono::milliseconds(1)); }
  ~AppTest() override { gate.Open(); }

  void ServeListing(const std::string& body) {
    fakes.web.Serve(kSim + "/", "<html>minghttp://" + kSim + "/listing.txtming</html>");
    fakes.web.Serve(kSim + "/listing.txt", body);
  }
  // Presses "开始提取" and waits for the worker to end.
  void RunExtraction() {
    app.StartExtraction();
    ASSERT_TRUE(app.Threads().WaitForWorker(app.Globals().ExtractionThread, std::chrono::seconds(20)));
  }
  void AddRows(const std::vector<std::vector<std::pair<int, std::string>>>& rows) {
    for (const auto& cells : rows) {
      app.Table().AppendFilledRow([&](int index, ShopRow& row) {
        row[ColSeq] = DecimalText(index + 1);
        for (const auto& [column, text] : cells) row[column] = text;
      });
    }
  }
  std::vector<std::string> Column(int column) {
    std::vector<std::string> out;
    for (int r = 0; r < app.Table().RowCount(); ++r) out.push_back(app.Table().GetCell(r, column));
    return out;
  }
  Text Status() { return app.State().GetText(Box::标签5); }

  FakePorts fakes;
  Gate gate;
  Application app{fakes.ports};
};

}  // namespace varlen::testing_support
