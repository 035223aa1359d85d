#include "platform/MessageWindow.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/Thread.h"
#include "test_support/FreshName.h"

namespace {

// A window run on a thread of its own, as the owner process runs it, recording what reaches it.
class OwnedWindow {
 public:
  OwnedWindow(const std::string& className, const std::string& title, unsigned timerMilliseconds,
              unsigned textPause = 200) {
    thread_ = std::thread([this, className, title, timerMilliseconds, textPause] {
      platform::MessageWindowHandlers handlers;
      handlers.onTextChanged = [this, textPause](const std::string& text) {
        // Slow on purpose: the sender must still be waiting when this ends.
        platform::SleepMilliseconds(textPause);
        std::lock_guard<std::mutex> lock(mutex_);
        texts_.push_back(text);
      };
      handlers.onUserMessage = [this](std::uint32_t message) {
        std::lock_guard<std::mutex> lock(mutex_);
        messages_.push_back(message);
      };
      handlers.onTimer = [this] { ++ticks_; };
      handlers.onClose = [this] { window_->Quit(); };
      window_ = platform::MessageWindow::Create(className, title, std::move(handlers), timerMilliseconds);
      created_ = window_ != nullptr;
      ready_ = true;
      if (window_ != nullptr) window_->Run();
      window_.reset();
    });
    while (!ready_) platform::SleepMilliseconds(5);
  }
  ~OwnedWindow() { thread_.join(); }

  bool Created() const { return created_; }
  std::vector<std::string> Texts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
  }
  std::vector<std::uint32_t> Messages() {
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_;
  }
  int Ticks() const { return ticks_; }

 private:
  std::unique_ptr<platform::MessageWindow> window_;
  std::thread thread_;
  std::atomic<bool> ready_{false};
  std::atomic<bool> created_{false};
  std::atomic<int> ticks_{0};
  std::mutex mutex_;
  std::vector<std::string> texts_;
  std::vector<std::uint32_t> messages_;
};

TEST(MessageWindowTest, SendersFindTheWindowSetAndReadItsTextPostMessagesAndCloseIt) {
  const std::string className = FreshMutexName() + "Class";
  EXPECT_FALSE(platform::FindMessageWindow(className, std::string()).Found());
  OwnedWindow owner(className, "Window Title", 0);
  ASSERT_TRUE(owner.Created());

  EXPECT_FALSE(platform::FindMessageWindow(className, "Other Title").Found());
  EXPECT_TRUE(platform::FindMessageWindow(className, "Window Title").Found());
  const platform::WindowRef window = platform::FindMessageWindow(className, std::string());
  ASSERT_TRUE(window.Found());

  // The handler has run by the time the sender goes on.
  ASSERT_TRUE(platform::SendWindowText(window, "239.1.2.3;1234;7782;;"));
  EXPECT_EQ(owner.Texts(), std::vector<std::string>{"239.1.2.3;1234;7782;;"});
  std::string text;
  ASSERT_TRUE(platform::ReadWindowText(window, text, 5000));
  EXPECT_EQ(text, "239.1.2.3;1234;7782;;");

  EXPECT_TRUE(platform::PostWindowMessage(window, 1354));
  EXPECT_TRUE(platform::PostWindowMessage(window, 1361));
  EXPECT_TRUE(platform::PostWindowClose(window));
  // Messages posted before the close are handled before it, in order; the close ends the owner's loop.
  while (platform::FindMessageWindow(className, std::string()).Found()) platform::SleepMilliseconds(20);
  EXPECT_EQ(owner.Messages(), (std::vector<std::uint32_t>{1354, 1361}));
}

TEST(MessageWindowTest, OneWindowPerClassAndTheTimerTicks) {
  const std::string className = FreshMutexName() + "Class";
  OwnedWindow first(className, "First", 20);
  ASSERT_TRUE(first.Created());
  {
    OwnedWindow second(className, "Second", 0);
    EXPECT_FALSE(second.Created());
  }
  while (first.Ticks() < 2) platform::SleepMilliseconds(10);
  const platform::WindowRef window = platform::FindMessageWindow(className, "First");
  ASSERT_TRUE(window.Found());
  EXPECT_TRUE(platform::PostWindowClose(window));
}

// The panel's refresh must never hang on an owner busy in a handler (libvlc starting): the window is still found,
// and a read with a limit gives up instead of waiting for the handler's end.
TEST(MessageWindowTest, AReaderWithALimitGivesUpOnABusyOwner) {
  const std::string className = FreshMutexName() + "Class";
  OwnedWindow owner(className, "Busy", 0, 3000);
  ASSERT_TRUE(owner.Created());
  const platform::WindowRef window = platform::FindMessageWindow(className, std::string());
  ASSERT_TRUE(window.Found());
  std::thread sender([window] { platform::SendWindowText(window, "x;"); });
  platform::SleepMilliseconds(500);
  EXPECT_TRUE(platform::FindMessageWindow(className, std::string()).Found());
  std::string text = "unchanged";
  EXPECT_FALSE(platform::ReadWindowText(window, text, 100));
  sender.join();
  ASSERT_TRUE(platform::ReadWindowText(window, text, 5000));
  EXPECT_EQ(text, "x;");
  EXPECT_TRUE(platform::PostWindowClose(window));
}

TEST(MessageWindowTest, AWindowThatIsGoneTakesNothing) {
  const platform::WindowRef none = platform::FindMessageWindow(FreshMutexName() + "Class", std::string());
  EXPECT_FALSE(none.Found());
  std::string text;
  EXPECT_FALSE(platform::SendWindowText(none, "x;"));
  EXPECT_FALSE(platform::ReadWindowText(none, text, 1000));
  EXPECT_FALSE(platform::PostWindowMessage(none, 1354));
  EXPECT_FALSE(platform::PostWindowClose(none));
}

}  // namespace
