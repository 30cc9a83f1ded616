#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "model/shop_table.h"

namespace varlen {
namespace {

void Fill(ShopTable& t, std::initializer_list<const char*> sellers) {
  for (const char* s : sellers) {
    const int r = t.AppendRow();
    t.SetCell(r, ColSeq, DecimalText(r + 1));
    t.SetCell(r, ColSeller, s);
  }
}

TEST(ShopTable, AppendGetSetAndBounds) {
  ShopTable t;
  EXPECT_EQ(t.AppendRow(), 0);
  EXPECT_EQ(t.AppendRow(), 1);
  t.SetCell(0, ColSeq, "1");
  EXPECT_EQ(t.GetCell(0, ColSeq), "1");
  EXPECT_EQ(t.GetCell(0, ColGoods), "");
  EXPECT_EQ(t.GetCell(2, ColSeq), "");   // index equal to RowCount
  EXPECT_EQ(t.GetCell(-1, ColSeq), "");
  EXPECT_EQ(t.GetCell(0, 9), "");
  t.SetCell(5, ColSeq, "x");            // outside: ignored
  t.DeleteRow(-1);
  t.DeleteRow(2);
  EXPECT_EQ(t.RowCount(), 2);
}

TEST(ShopTable, DeleteMovesLaterRowsUpWithoutRenumbering) {
  ShopTable t;
  Fill(t, {"a", "b", "c"});
  t.DeleteRow(0);
  ASSERT_EQ(t.RowCount(), 2);
  EXPECT_EQ(t.GetCell(0, ColSeller), "b");
  EXPECT_EQ(t.GetCell(0, ColSeq), "2");
  EXPECT_EQ(t.GetCell(1, ColSeq), "3");
}

TEST(ShopTable, ColumnsKeepWidthsAndClearKeepsColumns) {
  ShopTable t;
  t.AddColumn("序号", 40);
  t.AddColumn("店铺名称", 120);
  t.SetColumnWidth(1, 0);
  t.SetColumnWidth(7, 10);  // no such column
  t.AppendRow();
  t.ClearRows();
  const auto cols = t.Columns();
  ASSERT_EQ(cols.size(), 2u);
  EXPECT_EQ(cols[1].title, "店铺名称");
  EXPECT_EQ(cols[1].width, 0);
  EXPECT_EQ(t.RowCount(), 0);
}

TEST(ShopTable, SelectionFollowsItsRow) {
  ShopTable t;
  Fill(t, {"a", "b", "c", "d"});
  EXPECT_EQ(t.SelectedRow(), -1);
  t.SelectRow(2);
  t.DeleteRow(0);  // above: selection moves up
  EXPECT_EQ(t.SelectedRow(), 1);
  EXPECT_EQ(t.GetCell(t.SelectedRow(), ColSeller), "c");
  t.DeleteRow(2);  // below: unchanged
  EXPECT_EQ(t.SelectedRow(), 1);
  t.DeleteRow(1);  // the selected row itself
  EXPECT_EQ(t.SelectedRow(), -1);
  t.SelectRow(0);
  t.ClearRows();
  EXPECT_EQ(t.SelectedRow(), -1);
  t.AppendRow();
  EXPECT_EQ(t.SelectedRow(), -1);
  t.SelectRow(7);
  EXPECT_EQ(t.SelectedRow(), -1);
}

TEST(ShopTable, ResultsByIdLandOnTheirRowOrNowhere) {
  ShopTable t;
  Fill(t, {"a", "b", "c"});
  const RowId c = t.RowIdAt(2);
  const RowId a = t.RowIdAt(0);
  t.DeleteRow(0);
  EXPECT_TRUE(t.SetCellById(c, ColOnline, "在线"));
  EXPECT_EQ(t.GetCell(1, ColOnline), "在线");
  EXPECT_EQ(t.GetCell(0, ColOnline), "");
  EXPECT_FALSE(t.SetCellById(a, ColOnline, "离线"));
  EXPECT_EQ(t.IndexOfRow(a), -1);
  EXPECT_EQ(t.IndexOfRow(c), 1);
  EXPECT_EQ(t.GetCellById(c, ColSeller), "c");
  EXPECT_EQ(t.RowIdAt(5), 0u);
}

TEST(ShopTable, BatchDeleteUnderLockKeepsOrderAndSelection) {
  ShopTable t;
  Fill(t, {"a", "b", "c", "d", "e"});
  t.SelectRow(3);
  int changes = 0;
  t.Changed().SetListener([&] { ++changes; });
  t.Edit([](ShopTable::Editor& e) {
    e.DeleteRowsWhere([](int row, const ShopRow&) { return row % 2 == 0; });
  });
  EXPECT_EQ(changes, 1);
  ASSERT_EQ(t.RowCount(), 2);
  EXPECT_EQ(t.GetCell(0, ColSeller), "b");
  EXPECT_EQ(t.GetCell(1, ColSeller), "d");
  EXPECT_EQ(t.SelectedRow(), 1);
}

TEST(ShopTable, BatchDeleteOfManyRowsIsOnePass) {
  ShopTable t;
  for (int i = 0; i < 100000; ++i) t.SetCell(t.AppendRow(), ColOnline, i % 3 ? "离线" : "在线");
  t.Edit([](ShopTable::Editor& e) {
    e.DeleteRowsWhere([](int, const ShopRow& row) { return row[ColOnline] == "离线"; });
  });
  EXPECT_EQ(t.RowCount(), 33334);
}

// Appends, deletes, cell writes by index and by id, and reads from several
// threads at once: every operation stays whole (run under TSan too).
TEST(ShopTableConcurrency, ManyThreadsAppendDeleteAndWrite) {
  ShopTable t;
  std::atomic<bool> stop{false};
  std::vector<std::thread> threads;
  for (int k = 0; k < 3; ++k) {
    threads.emplace_back([&] {
      for (int i = 0; i < 2000; ++i) {
        const int r = t.AppendRow();
        t.SetCell(r, ColSeller, "seller");
      }
    });
  }
  threads.emplace_back([&] {
    while (!stop) {
      t.DeleteRow(0);
      t.Edit([](ShopTable::Editor& e) {
        e.DeleteRowsWhere([](int row, const ShopRow&) { return row == 1; });
      });
    }
  });
  threads.emplace_back([&] {
    while (!stop) {
      const RowId id = t.RowIdAt(t.RowCount() / 2);
      t.SetCellById(id, ColOnline, "在线");
      (void)t.GetCellById(id, ColOnline);
      t.SelectRow(t.RowCount() - 1);
      (void)t.SelectedRow();
    }
  });
  for (int k = 0; k < 3; ++k) threads[k].join();
  stop = true;
  threads[3].join();
  threads[4].join();
  for (int r = 0; r < t.RowCount(); ++r) {
    const Text online = t.GetCell(r, ColOnline);
    EXPECT_TRUE(online.empty() || online == "在线");
  }
}

}  // namespace
}  // namespace varlen
