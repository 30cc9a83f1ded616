// Fast extraction of a 100,000-line listing against a 1 MiB contact log, with
// the contact-log index and with the plain scan, in one run.
//   build/native-release/bench/bench_extract [--full]
// Without --full the plain scan runs over the first 2,000 lines and its time
// is scaled to the whole listing (each line costs one independent scan).
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>

#include "app/application.h"
#include "extract/extraction.h"
#include "../tests/fakes.h"

using namespace varlen;
using Clock = std::chrono::steady_clock;

namespace {

std::string RandomSeller(std::mt19937& rng) {
  static const char* const kHanzi[] = {"张", "王", "李", "赵", "小", "店", "铺", "良", "品", "屋"};
  std::uniform_int_distribution<int> kind(0, 1), length(4, 10), letter(0, 25), hanzi(0, 9);
  std::string s;
  if (kind(rng)) {
    for (int n = length(rng); n > 0; --n) s.push_back(static_cast<char>('a' + letter(rng)));
  } else {
    for (int n = length(rng) / 2; n > 0; --n) s += kHanzi[hanzi(rng)];
  }
  return s + std::to_string(rng() % 100000);
}

// Runs the fast worker over `lines` and returns its time and rows.
std::pair<double, int> Run(ContactLogLookup lookup, const std::string& log,
                           const std::vector<Text>& lines) {
  testing_support::FakePorts fakes;
  fakes.files.files[std::string(ContactLogFile)] = log;
  Application app(fakes.ports, Deployment{}, lookup);
  app.Log().LoadContactLog();
  ListingJob job;
  job.lines = lines;
  job.fromDate = ParseDate("2024-5-1");
  app.Globals().ExtractionRunning = 1;
  double seconds = 0;
  const WorkerHandle h = app.Threads().StartWorker([&](WorkerContext& self) {
    const auto start = Clock::now();
    FastExtractor(app, self, job);
    seconds = std::chrono::duration<double>(Clock::now() - start).count();
  });
  app.Threads().WaitForWorker(h, std::chrono::hours(2));
  return {seconds, app.Table().RowCount()};
}

}  // namespace

int main(int argc, char** argv) {
  const bool full = argc > 1 && std::strcmp(argv[1], "--full") == 0;
  std::mt19937 rng(7);
  std::string log;
  std::vector<std::string> logged;
  while (log.size() < (1u << 20)) {
    logged.push_back(RandomSeller(rng));
    log += logged.back();
  }
  std::vector<Text> lines;
  for (int i = 0; i < 100000; ++i) {
    // A third of the sellers were contacted before.
    const std::string seller = i % 3 == 0 ? logged[rng() % logged.size()] : RandomSeller(rng);
    lines.push_back("<p>" + seller + "<p>2024-5-" + std::to_string(1 + i % 9) + "<p>否<p>http://shop/" +
                    std::to_string(i) + "<p>");
  }
  lines.push_back("end");

  const auto [indexed, indexedRows] = Run({true, 64 * 1024}, log, lines);
  const size_t sample = full ? lines.size() : 2001;
  std::vector<Text> head(lines.begin(), lines.begin() + std::min(sample, lines.size()));
  if (!full) head.push_back("end");
  auto [plain, plainRows] = Run({false, 0}, log, head);
  const double scale = static_cast<double>(lines.size() - 1) / static_cast<double>(head.size() - 1);
  const double plainWhole = plain * scale;

  std::printf("contact log: %zu bytes, listing: %zu lines, rows kept: %d\n", log.size(), lines.size() - 1,
              indexedRows);
  std::printf("fast extraction with the index:      %8.3f s  (goal: under 1 s)\n", indexed);
  std::printf("fast extraction with the plain scan: %8.3f s  (%s)\n", plainWhole,
              full ? "measured over every line" : "measured over 2,000 lines, scaled");
  std::printf("ratio plain / index: %.0fx  (goal: at least 100x)\n", plainWhole / indexed);
  return 0;
}
