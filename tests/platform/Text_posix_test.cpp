#include "platform/Text.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>

namespace {

// Sets the locale variables for one test and puts the old values back.
class LocaleVariables {
 public:
  LocaleVariables() {
    for (int i = 0; i < 3; ++i) {
      const char* value = getenv(kNames[i]);
      if (value != nullptr) saved_[i] = value;
    }
  }
  ~LocaleVariables() {
    for (int i = 0; i < 3; ++i) Set(kNames[i], saved_[i] ? saved_[i]->c_str() : nullptr);
  }
  void Set(const char* name, const char* value) {
    if (value == nullptr) {
      unsetenv(name);
    } else {
      setenv(name, value, 1);
    }
  }

 private:
  static constexpr const char* kNames[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  std::optional<std::string> saved_[3];
};

TEST(TextPosixTest, LanguageComesFromTheLocaleVariables) {
  LocaleVariables locale;
  locale.Set("LC_ALL", nullptr);
  locale.Set("LC_MESSAGES", nullptr);
  locale.Set("LANG", "ru_RU.UTF-8");
  EXPECT_EQ(platform::SystemDefaultLanguageId(), 0x0419);
  locale.Set("LANG", "uk_UA.UTF-8");
  EXPECT_EQ(platform::SystemDefaultLanguageId(), 0x0422);
  locale.Set("LANG", "be_BY@latin");
  EXPECT_EQ(platform::SystemDefaultLanguageId(), 0x0423);
  locale.Set("LANG", "ru");
  EXPECT_EQ(platform::SystemDefaultLanguageId(), 0x0419);
  // Other languages, and codes that only begin like one of the three, are English.
  for (const char* other : {"en_US.UTF-8", "de_DE", "C", "POSIX", "rue_UA", "bem_ZM", "C.UTF-8"}) {
    locale.Set("LANG", other);
    EXPECT_EQ(platform::SystemDefaultLanguageId(), 0x0409) << other;
  }
  locale.Set("LANG", nullptr);
  EXPECT_EQ(platform::SystemDefaultLanguageId(), 0x0409);

  // LC_ALL before LC_MESSAGES before LANG; an empty variable counts as unset.
  locale.Set("LANG", "en_US.UTF-8");
  locale.Set("LC_MESSAGES", "uk_UA.UTF-8");
  EXPECT_EQ(platform::SystemDefaultLanguageId(), 0x0422);
  locale.Set("LC_ALL", "en_GB.UTF-8");
  EXPECT_EQ(platform::SystemDefaultLanguageId(), 0x0409);
  locale.Set("LC_ALL", "");
  EXPECT_EQ(platform::SystemDefaultLanguageId(), 0x0422);
}

}  // namespace
