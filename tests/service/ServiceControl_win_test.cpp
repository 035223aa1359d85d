// GetServiceImagePath and the handle check against the real registry and service control manager.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>

#include "base/TextUtil.h"
#include "service/ServiceControl.h"

namespace {

std::vector<std::string> shownMessages;
void KeepMessage(const std::string& text) { shownMessages.push_back(text); }

// A service key of its own under HKLM\SYSTEM\CurrentControlSet\Services, removed afterwards.
class ServiceKey {
 public:
  ServiceKey() {
    std::random_device source;
    name_ = "corvane-test-" + std::to_string(source()) + std::to_string(source());
    path_ = "SYSTEM\\CurrentControlSet\\Services\\" + name_;
  }
  ~ServiceKey() { RegDeleteKeyA(HKEY_LOCAL_MACHINE, path_.c_str()); }
  const std::string& Name() const { return name_; }

  // Stores the bytes as they are: the caller decides about the terminating NUL.
  void SetImagePath(DWORD type, const std::string& bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "ImagePath", 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }

 private:
  std::string name_;
  std::string path_;
};

std::string WithNul(const std::string& text) { return text + std::string(1, '\0'); }

TEST(ServiceControlWinTest, ImagePathIsReadFromAnExpandableRegistryString) {
  ServiceKey service;
  service.SetImagePath(REG_EXPAND_SZ, WithNul("\"C:\\Program Files\\Corvane\\corvane.exe\" /service"));
  EXPECT_EQ(GetServiceImagePath(service.Name()), "C:\\Program Files\\Corvane\\corvane.exe");

  service.SetImagePath(REG_EXPAND_SZ, WithNul("C:\\Corvane\\corvane.exe /service"));
  EXPECT_EQ(GetServiceImagePath(service.Name()), "C:\\Corvane\\corvane.exe /service");

  // Not expanded.
  service.SetImagePath(REG_EXPAND_SZ, WithNul("%SystemRoot%\\corvane.exe"));
  EXPECT_EQ(GetServiceImagePath(service.Name()), "%SystemRoot%\\corvane.exe");

  // Stored without its terminating NUL: the text is still whole.
  service.SetImagePath(REG_EXPAND_SZ, "C:\\Corvane\\corvane.exe");
  EXPECT_EQ(GetServiceImagePath(service.Name()), "C:\\Corvane\\corvane.exe");

  service.SetImagePath(REG_EXPAND_SZ, "");
  EXPECT_EQ(GetServiceImagePath(service.Name()), "");
}

TEST(ServiceControlWinTest, PlainStringsAndMissingValuesReadAsEmpty) {
  ServiceKey service;
  EXPECT_EQ(GetServiceImagePath(service.Name()), "");
  service.SetImagePath(REG_SZ, WithNul("\"C:\\Program Files\\Corvane\\corvane.exe\" /service"));
  EXPECT_EQ(GetServiceImagePath(service.Name()), "");
  service.SetImagePath(REG_MULTI_SZ, WithNul(WithNul("C:\\Corvane\\corvane.exe")));
  EXPECT_EQ(GetServiceImagePath(service.Name()), "");
}

TEST(ServiceControlWinTest, ServiceThatCannotBeOpenedIsShownAndReleased) {
  shownMessages.clear();
  ServiceControl control;
  control.Open("corvane-test-not-installed", platform::kServiceAllAccess);
  EXPECT_TRUE(control.HasManager()) << "the service control manager cannot be opened here";
  EXPECT_TRUE(control.NotInstalled());
  EXPECT_TRUE(CheckHandles(control, KeepMessage));
  ASSERT_EQ(shownMessages.size(), 1u);
  EXPECT_TRUE(StartsWith(shownMessages[0], "Can not obtain service handle, ")) << shownMessages[0];
  EXPECT_FALSE(control.HasManager());
}

}  // namespace
