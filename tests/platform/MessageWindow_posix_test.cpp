#include "platform/MessageWindow.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <grp.h>
#include <libgen.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/PosixSupport.h"
#include "platform/Thread.h"
#include "test_support/FreshName.h"

namespace {

constexpr uid_t kNobody = 65534;

// In a child that has become another user: tries to set the window's text over its socket. Exits 0 when the owner
// hung up without an answer, 1 when it answered, 2 when the socket could not even be reached.
[[noreturn]] void SetTextAsAnotherUser(const std::string& path) {
  if (setgroups(0, nullptr) != 0 || setresgid(kNobody, kNobody, kNobody) != 0 ||
      setresuid(kNobody, kNobody, kNobody) != 0) {
    _exit(3);
  }
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) _exit(2);
  const char frame[] = {'S', 8, 0, 0, 0, 'i', 'n', 't', 'r', 'u', 'd', 'e', 'r'};
  if (send(fd, frame, sizeof frame, MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof frame)) _exit(0);
  char reply = 0;
  // A refusal is a hang-up, or a reset when the owner closed with the request unread.
  _exit(recv(fd, &reply, 1, 0) > 0 ? 1 : 0);
}

TEST(MessageWindowOfThisUser, RefusesAnotherUserEvenWhereTheFilesLetHimIn) {
  if (geteuid() != 0) GTEST_SKIP() << "becoming another user needs root";
  const std::string className = FreshMutexName();
  std::atomic<int> texts{0};
  std::unique_ptr<platform::MessageWindow> window;
  std::atomic<bool> ready{false};
  std::thread owner([&] {
    platform::MessageWindowHandlers handlers;
    handlers.onTextChanged = [&](const std::string&) { ++texts; };
    handlers.onClose = [&] { window->Quit(); };
    window = platform::MessageWindow::Create(className, "", std::move(handlers), 0);
    ready = true;
    if (window != nullptr) window->Run();
  });
  while (!ready) platform::SleepMilliseconds(5);
  ASSERT_NE(window, nullptr);

  // Open the folder and the socket to everybody, so that only the owner's own check stands in the way.
  const std::string path = platform::PrivateRuntimePath(className + ".window");
  std::string folder = path;
  folder = dirname(&folder[0]);
  struct stat before {};
  ASSERT_EQ(stat(folder.c_str(), &before), 0);
  ASSERT_EQ(chmod(folder.c_str(), 0711), 0);
  ASSERT_EQ(chmod(path.c_str(), 0777), 0);

  const pid_t child = fork();
  if (child == 0) SetTextAsAnotherUser(path);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  chmod(folder.c_str(), before.st_mode & 07777);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);

  // The user himself still gets through, and the refused text never reached the handler.
  const platform::WindowRef found = platform::FindMessageWindow(className, "");
  EXPECT_TRUE(platform::SendWindowText(found, "own"));
  EXPECT_EQ(texts, 1);
  EXPECT_TRUE(platform::PostWindowClose(found));
  owner.join();
}

}  // namespace
