// Closing while a machine is slow to answer: the catalogue loader and the counter browser return
// at once, and the work they leave behind stops without touching them when the machine answers
// at last.
#include "desktop/counters/catalog_loader.h"

#include <QCoreApplication>
#include <QTest>

#include "desktop/counters/counter_browser.h"
#include "desktop/counters/detached_work.h"
#include "tests/desktop/counters/dialog_test_support.h"

namespace corvane::desktop {
namespace {

using dialog_test::BlockingProvider;
using dialog_test::ClosesWithoutWaiting;
using dialog_test::ReleaseAndSettle;

TEST(CatalogLoaderTest, DestroyedDuringAScrapeReturnsAndItsWorkerStops) {
  BlockingProvider provider;
  DetachedWorkDrain drain;
  auto loader = std::make_unique<CatalogLoader>(provider, nullptr);
  int delivered = 0;
  loader->Load("\\\\slow", false, [&](BrowseCatalog) { ++delivered; });
  ASSERT_TRUE(provider.WaitUntilHeld(1));
  EXPECT_TRUE(ClosesWithoutWaiting(provider, 1, [&] { loader.reset(); }));
  ReleaseAndSettle(provider);
  EXPECT_EQ(delivered, 0);
  EXPECT_EQ(provider.ItemsRead(), 0) << "a worker told to stop reads no object";
}

TEST(CatalogLoaderTest, CancelledLoadIsDroppedAndTheNextOneDelivered) {
  BlockingProvider provider;
  DetachedWorkDrain drain;
  CatalogLoader loader(provider, nullptr);
  std::vector<std::string> delivered;
  loader.Load("\\\\first", false,
              [&](BrowseCatalog catalog) { delivered.push_back(catalog.machine); });
  ASSERT_TRUE(provider.WaitUntilHeld(1));
  loader.Cancel();
  EXPECT_FALSE(loader.Busy());
  loader.Load("\\\\second", false,
              [&](BrowseCatalog catalog) { delivered.push_back(catalog.machine); });
  EXPECT_TRUE(loader.Busy());
  ASSERT_TRUE(provider.WaitUntilHeld(2));
  provider.Release();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !loader.Busy(); }, 60000));
  WaitForDetachedWork();
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(delivered, std::vector<std::string>{"\\\\second"});
  EXPECT_EQ(provider.ItemsRead(), 2) << "only the current load reads the objects";
}

TEST(CatalogLoaderTest, ClosingTheCounterBrowserWhileTheMachineIsSlowReturnsAtOnce) {
  // The browser reads this machine's catalogue and the server's instances as it opens.
  BlockingProvider provider;
  DetachedWorkDrain drain;
  auto browser = std::make_unique<CCounterBrowser>(
      provider, [](const std::string&) { return true; }, false, nullptr);
  browser->show();
  ASSERT_TRUE(provider.WaitUntilHeld(2));
  EXPECT_TRUE(browser->Busy());
  EXPECT_TRUE(ClosesWithoutWaiting(provider, 2, [&] { browser.reset(); }));
  ReleaseAndSettle(provider);
}

}  // namespace
}  // namespace corvane::desktop
