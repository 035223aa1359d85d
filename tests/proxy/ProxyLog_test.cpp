#include "proxy/ProxyLog.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "proxy/ClientThread.h"
#include "proxy/Listener.h"

namespace {

TProxyLog MakeLog(std::size_t capacity, std::vector<std::string>* echoed = nullptr) {
  return TProxyLog(
      capacity, [] { return std::string("01.02.2026 10:11:12"); },
      [echoed](const std::string& line) {
        if (echoed) echoed->push_back(line);
      });
}

TEST(ProxyLog, NewestFirstWithDateAndTime) {
  TProxyLog log = MakeLog(10);
  EXPECT_EQ(log.Text(), "");
  log.Append("PROXY message : Start proxy");
  log.Append("PROXY message : Start listening");
  EXPECT_EQ(log.Text(),
            "01.02.2026 10:11:12 PROXY message : Start listening\r\n"
            "01.02.2026 10:11:12 PROXY message : Start proxy\r\n");
}

TEST(ProxyLog, FullLogDropsTheOldest) {
  TProxyLog log = MakeLog(kProxyLogCapacity);
  for (std::size_t i = 1; i <= kProxyLogCapacity + 1; ++i) log.Append("line " + std::to_string(i));
  EXPECT_EQ(log.LineCount(), kProxyLogCapacity);
  const std::string text = log.Text();
  EXPECT_EQ(text.rfind("01.02.2026 10:11:12 line 20481\r\n", 0), 0u);
  EXPECT_NE(text.find(" line 2\r\n"), std::string::npos);
  EXPECT_EQ(text.find(" line 1\r\n"), std::string::npos);
}

TEST(ProxyLog, EchoOnlyWhenEnabled) {
  std::vector<std::string> echoed;
  TProxyLog log = MakeLog(10, &echoed);
  log.Append("quiet");
  EXPECT_TRUE(echoed.empty());
  EXPECT_EQ(log.LineCount(), 1u);
  log.SetEchoEnabled(true);
  log.Append("loud");
  ASSERT_EQ(echoed.size(), 1u);
  EXPECT_EQ(echoed[0], "01.02.2026 10:11:12 loud");
}

TEST(ProxyLog, ConcurrentAppendsStayWhole) {
  TProxyLog log = MakeLog(100000);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&log, t] {
      for (int i = 0; i < 2000; ++i) log.Append("thread " + std::to_string(t) + " line " + std::string(50, 'x'));
    });
  }
  std::thread reader([&log] {
    for (int i = 0; i < 50; ++i) (void)log.Text();
  });
  for (std::thread& thread : threads) thread.join();
  reader.join();
  EXPECT_EQ(log.LineCount(), 8000u);
  const std::string text = log.Text();
  std::size_t lines = 0;
  for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    const std::string line = text.substr(start, end - start);
    EXPECT_EQ(line.size(), std::string("01.02.2026 10:11:12 thread 0 line ").size() + 50) << line;
    ++lines;
  }
  EXPECT_EQ(lines, 8000u);
}

TEST(ConnectionLog, Prefix) {
  EXPECT_EQ(ConnectionLogPrefix(1900, "192.168.0.20") + "] Request: GET /status HTTP/1.1 ",
            "PROXY message : [1900, 192.168.0.20] Request: GET /status HTTP/1.1 ");
}

TEST(Listener, ListenAddressChoice) {
  const std::string host = "|192.168.0.5|127.0.0.1|";
  EXPECT_EQ(ChooseListenAddress(host, "192.168.0.5"), "192.168.0.5");
  EXPECT_EQ(ChooseListenAddress(host, "127.0.0.1"), "127.0.0.1");
  EXPECT_EQ(ChooseListenAddress(host, "10.0.0.1"), "0.0.0.0");
  EXPECT_EQ(ChooseListenAddress(host, ""), "0.0.0.0");
  EXPECT_EQ(ChooseListenAddress(host, "0.0.0.0"), "0.0.0.0");
  // A plain substring test: a prefix of a host address passes (and its bind fails later).
  EXPECT_EQ(ChooseListenAddress("|192.168.1.10|", "192.168.1.1"), "192.168.1.1");
}

}  // namespace
