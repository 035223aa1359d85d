#include "platform/NamedMutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <sys/stat.h>
#include <thread>

#include "platform/ChildProcess_posix.h"

#include "test_support/FreshName.h"

namespace {

// Gives each test its own runtime folder, so that its lock files go away with it.
class NamedMutexPosixTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* previous = std::getenv("XDG_RUNTIME_DIR");
    hadPrevious_ = previous != nullptr;
    if (hadPrevious_) previous_ = previous;
    folder_ = std::filesystem::temp_directory_path() / ("corvane-runtime-test-" + FreshMutexName());
    std::filesystem::create_directory(folder_);
    std::filesystem::permissions(folder_, std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
  }
  void TearDown() override {
    if (hadPrevious_) {
      setenv("XDG_RUNTIME_DIR", previous_.c_str(), 1);
    } else {
      unsetenv("XDG_RUNTIME_DIR");
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::filesystem::path folder_;

 private:
  bool hadPrevious_ = false;
  std::string previous_;
};

// A child that takes the mutex, says so through a pipe, and then waits to be killed.
class HoldingChild {
 public:
  explicit HoldingChild(const std::string& name, bool ownNetwork = false) {
    int ready[2];
    if (pipe(ready) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      char report = 'h';
      if (ownNetwork && unshare(CLONE_NEWNET) != 0) report = 'n';
      // Leaked on purpose: the child holds the mutex until it is killed.
      auto* mutex = new platform::NamedMutex(platform::NamedMutex::Create(name));
      if (report == 'h' && !mutex->Valid()) report = 'f';
      if (write(ready[1], &report, 1) != 1) _exit(1);
      for (;;) pause();
    }
    close(ready[1]);
    if (pid_ > 0 && read(ready[0], &report_, 1) != 1) report_ = '?';
    close(ready[0]);
  }
  ~HoldingChild() { Kill(); }

  // 'h' holding, 'f' could not create, 'n' could not enter its own network namespace.
  char Report() const { return report_; }

  void Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  char report_ = '?';
};

TEST_F(NamedMutexPosixTest, HeldByAnotherProcessAndGoneWhenItIsKilled) {
  const std::string name = FreshMutexName();
  HoldingChild child(name);
  ASSERT_EQ(child.Report(), 'h');
  EXPECT_TRUE(platform::NamedMutexExists(name));
  EXPECT_FALSE(platform::NamedMutex::Create(name).Valid());

  child.Kill();  // SIGKILL: the holder gets no chance to clean up
  EXPECT_FALSE(platform::NamedMutexExists(name));
  EXPECT_TRUE(platform::NamedMutex::Create(name).Valid());
}

TEST_F(NamedMutexPosixTest, VisibleFromAnotherNetworkNamespace) {
  const std::string name = FreshMutexName();
  HoldingChild child(name, true);
  if (child.Report() == 'n') GTEST_SKIP() << "no permission to create a network namespace";
  ASSERT_EQ(child.Report(), 'h');
  EXPECT_TRUE(platform::NamedMutexExists(name));
}

TEST_F(NamedMutexPosixTest, SecondCreateWhileHeldIsRefused) {
  const std::string name = FreshMutexName();
  const platform::NamedMutex first = platform::NamedMutex::Create(name);
  ASSERT_TRUE(first.Valid());
  EXPECT_FALSE(platform::NamedMutex::Create(name).Valid());
  EXPECT_TRUE(platform::NamedMutexExists(name));
}

// The control panel asks every 500 ms while a proxy may be starting: asking must not make a start fail.
TEST_F(NamedMutexPosixTest, AskingDoesNotMakeCreateFail) {
  const std::string name = FreshMutexName();
  std::atomic<bool> stop{false};
  std::thread asker([&] {
    while (!stop) platform::NamedMutexExists(name);
  });
  int failedCreates = 0;
  for (int i = 0; i < 300; ++i) {
    if (!platform::NamedMutex::Create(name).Valid()) ++failedCreates;
  }
  stop = true;
  asker.join();
  EXPECT_EQ(failedCreates, 0);
}

// Two askers at the same moment (a starting proxy and the control panel) must not see each other as a holder.
TEST_F(NamedMutexPosixTest, AskersDoNotSeeEachOther) {
  const std::string name = FreshMutexName();
  { const platform::NamedMutex once = platform::NamedMutex::Create(name); }  // leaves its lock file behind
  std::atomic<int> sightings{0};
  const auto ask = [&] {
    for (int i = 0; i < 5000; ++i) {
      if (platform::NamedMutexExists(name)) ++sightings;
    }
  };
  std::thread first(ask);
  std::thread second(ask);
  first.join();
  second.join();
  EXPECT_EQ(sightings, 0);
}

TEST_F(NamedMutexPosixTest, NameWithSlashesStaysInsideTheLockFolder) {
  const std::string name = "../" + FreshMutexName() + "/x";
  const platform::NamedMutex mutex = platform::NamedMutex::Create(name);
  ASSERT_TRUE(mutex.Valid());
  EXPECT_TRUE(platform::NamedMutexExists(name));
  EXPECT_FALSE(platform::NamedMutexExists(name.substr(3)));
}

// The same fixture, with the tests that look at where the lock files go.
using RuntimeFolderTest = NamedMutexPosixTest;

TEST_F(RuntimeFolderTest, LockFileLivesInAPrivateFolderOfTheRuntimeDirectory) {
  setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
  const std::string name = FreshMutexName();
  const platform::NamedMutex mutex = platform::NamedMutex::Create(name);
  ASSERT_TRUE(mutex.Valid());
  struct stat info {};
  ASSERT_EQ(stat((folder_ / "corvane").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_TRUE(std::filesystem::exists(folder_ / "corvane" / name));
}

TEST_F(RuntimeFolderTest, FallsBackToTmpWhenTheRuntimeDirectoryIsUnusable) {
  setenv("XDG_RUNTIME_DIR", (folder_ / "missing").c_str(), 1);
  const std::string name = FreshMutexName();
  const platform::NamedMutex mutex = platform::NamedMutex::Create(name);
  ASSERT_TRUE(mutex.Valid());
  const std::string lockFile = "/tmp/corvane-" + std::to_string(geteuid()) + "/" + name;
  EXPECT_TRUE(std::filesystem::exists(lockFile));
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_TRUE(platform::NamedMutexExists(name));  // the same folder without the variable
  std::filesystem::remove(lockFile);
}

TEST_F(RuntimeFolderTest, RefusesAFolderOthersCanWriteTo) {
  std::filesystem::create_directory(folder_ / "corvane");
  std::filesystem::permissions(folder_ / "corvane", std::filesystem::perms::all);
  setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
  const std::string name = FreshMutexName();
  {
    const platform::NamedMutex mutex = platform::NamedMutex::Create(name);
    ASSERT_TRUE(mutex.Valid());  // in the fallback folder instead
    EXPECT_FALSE(std::filesystem::exists(folder_ / "corvane" / name));
  }
  std::filesystem::remove("/tmp/corvane-" + std::to_string(geteuid()) + "/" + name);
}

}  // namespace
