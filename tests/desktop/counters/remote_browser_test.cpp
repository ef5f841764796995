// The counter browser on remote machines: a real node exporter started on the loopback, a port
// where nothing listens, and a server that accepts and never answers, during which the window
// stays usable and the read can be cancelled.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include "desktop/counters/counter_browser.h"
#include "platform/remote/remote_provider.h"
#include "platform/routing_provider.h"
#include "tests/desktop/counters/dialog_test_support.h"
#include "tests/platform/remote/node_exporter_process.h"

namespace corvane::desktop {
namespace {

using dialog_test::Find;

// A TCP port on 127.0.0.1 that accepts connections into its backlog and never answers.
class SilentServer {
 public:
  SilentServer() {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) == 0 && ::listen(fd_, 8) == 0 &&
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
      port_ = ntohs(address.sin_port);
  }
  ~SilentServer() { ::close(fd_); }
  int port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
};

class RemoteBrowserTest : public ::testing::Test {
 protected:
  RemoteBrowserTest() {
    remote::RemoteProviderOptions options;
    options.scrape.connect_timeout = std::chrono::milliseconds(1000);
    options.scrape.total_timeout = std::chrono::milliseconds(1500);
    provider_ = MakeRoutingProvider(std::make_shared<fake::FakeProvider>(),
                                    remote::MakeRemoteProvider(options));
  }

  void Open() {
    browser_ = std::make_unique<CCounterBrowser>(
        *provider_, [this](const std::string& path) { return added_.push_back(path), true; }, false,
        nullptr);
    browser_->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !browser_->Busy(); }, 5000));
  }
  void Browse(const std::string& computer) {
    auto* edit = Find<QLineEdit>(browser_.get(), "edit_computer");
    edit->selectAll();
    QTest::keyClicks(edit, QString::fromStdString(computer));
    QTest::mouseClick(Find<QPushButton>(browser_.get(), "button_connect"), Qt::LeftButton);
  }
  QString Message() { return Find<QLabel>(browser_.get(), "label_message")->text(); }
  QStringList Objects() {
    QStringList names;
    auto* list = Find<QListWidget>(browser_.get(), "list_objects");
    for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
    return names;
  }

  std::unique_ptr<perf::Provider> provider_;
  DetachedWorkDrain drain_;
  std::unique_ptr<CCounterBrowser> browser_;
  std::vector<std::string> added_;
};

TEST_F(RemoteBrowserTest, ListsTheCountersOfARealNodeExporter) {
  if (!remote::testing::NodeExporterProcess::Installed())
    GTEST_SKIP() << "prometheus-node-exporter is not installed";
  remote::testing::NodeExporterProcess exporter;
  std::string error;
  ASSERT_TRUE(exporter.Start({}, &error)) << error;
  Open();
  const std::string host = "127.0.0.1:" + std::to_string(exporter.port());
  Browse(host);
  EXPECT_TRUE(browser_->Busy());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !browser_->Busy(); }, 5000));
  EXPECT_TRUE(Objects().contains("Processor")) << Message().toStdString();
  EXPECT_TRUE(Objects().contains("Memory"));
  const std::vector<std::string> chosen = browser_->ChosenPaths();
  ASSERT_FALSE(chosen.empty());
  EXPECT_EQ(chosen.front(), "\\\\" + host + "\\Processor(_Total)\\% Processor Time");
  QTest::mouseClick(Find<QPushButton>(browser_.get(), "button_add"), Qt::LeftButton);
  EXPECT_EQ(added_, chosen);
}

TEST_F(RemoteBrowserTest, RefusedPortNamesTheAddressAndTheReason) {
  Open();
  const QStringList local = Objects();
  Browse("127.0.0.1:1");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !browser_->Busy(); }, 5000));
  EXPECT_TRUE(Message().contains("127.0.0.1:1")) << Message().toStdString();
  EXPECT_TRUE(Message().contains("refused", Qt::CaseInsensitive) ||
              Message().contains("connect", Qt::CaseInsensitive))
      << Message().toStdString();
  EXPECT_EQ(Objects(), local) << "the last good catalogue stays usable";
}

TEST_F(RemoteBrowserTest, SilentHostKeepsTheWindowResponsiveAndCanBeCancelled) {
  SilentServer silent;
  ASSERT_NE(silent.port(), 0);
  Open();
  Browse("127.0.0.1:" + std::to_string(silent.port()));
  ASSERT_TRUE(browser_->Busy());
  auto* cancel = Find<QPushButton>(browser_.get(), "button_cancel");
  EXPECT_TRUE(cancel->isVisible());
  // The GUI thread keeps serving the user while the scrape waits.
  auto* filter = Find<QLineEdit>(browser_.get(), "edit_filter");
  QTest::keyClicks(filter, "mem");
  EXPECT_EQ(filter->text(), "mem");
  EXPECT_TRUE(browser_->Busy());
  QTest::mouseClick(cancel, Qt::LeftButton);
  EXPECT_FALSE(browser_->Busy());
  EXPECT_TRUE(Message().contains("cancelled")) << Message().toStdString();
  // A later read starts afresh and reports the time-out with the address.
  Browse("127.0.0.1:" + std::to_string(silent.port()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !browser_->Busy(); }, 5000));
  EXPECT_TRUE(Message().contains(QString::number(silent.port()))) << Message().toStdString();
  EXPECT_TRUE(Message().contains("time", Qt::CaseInsensitive)) << Message().toStdString();
}

}  // namespace
}  // namespace corvane::desktop
