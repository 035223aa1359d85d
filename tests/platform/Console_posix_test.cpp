#include "platform/Console.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <set>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/Files.h"
#include "test_support/TempFolder.h"

namespace {

// Sends standard output to a file for the life of the object.
class CapturedStandardOutput {
 public:
  explicit CapturedStandardOutput(const std::string& path) {
    std::fflush(stdout);
    saved_ = dup(STDOUT_FILENO);
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (file >= 0) {
      dup2(file, STDOUT_FILENO);
      close(file);
    }
  }
  ~CapturedStandardOutput() {
    dup2(saved_, STDOUT_FILENO);
    close(saved_);
  }

 private:
  int saved_ = -1;
};

std::string LineOf(int thread, int line) {
  // Lines of different lengths, long enough that a torn write would show.
  return "PROXY message : [" + std::to_string(thread) + ", 127.0.0.1] line " + std::to_string(line) + " " +
         std::string(static_cast<std::size_t>(50 + (line * 7 + thread) % 300), 'a' + thread);
}

TEST(ConsolePosixTest, LinesFromManyThreadsArriveWholeWithCrLf) {
  constexpr int kThreads = 8;
  constexpr int kLines = 400;
  TempFolder folder;
  const std::string path = folder.Path("stdout.txt");
  {
    CapturedStandardOutput capture(path);
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
      writers.emplace_back([t] {
        for (int i = 0; i < kLines; ++i) platform::WriteStandardOutputLine(LineOf(t, i));
      });
    }
    for (std::thread& writer : writers) writer.join();
  }

  std::string output;
  ASSERT_TRUE(platform::ReadWholeFile(path, output));
  std::multiset<std::string> expected, seen;
  for (int t = 0; t < kThreads; ++t) {
    for (int i = 0; i < kLines; ++i) expected.insert(LineOf(t, i));
  }
  std::size_t start = 0;
  while (start < output.size()) {
    const std::size_t end = output.find("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "output ends without CR LF";
    seen.insert(output.substr(start, end - start));
    start = end + 2;
  }
  EXPECT_TRUE(seen == expected);
}

TEST(ConsolePosixTest, NoTitleSequenceWhenOutputIsNotATerminal) {
  TempFolder folder;
  const std::string path = folder.Path("stdout.txt");
  {
    CapturedStandardOutput capture(path);
    EXPECT_TRUE(platform::OpenConsole("Corvane"));
    platform::WriteStandardOutputLine("first");
  }
  std::string output;
  ASSERT_TRUE(platform::ReadWholeFile(path, output));
  EXPECT_EQ(output, "first\r\n");
}

}  // namespace
