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
  struct Case {
    const char* all;
    const char* messages;
    const char* lang;
    std::uint16_t expected;
  };
  const Case cases[] = {
      {nullptr, nullptr, "ru_RU.UTF-8", 0x0419},
      {nullptr, nullptr, "uk_UA.UTF-8", 0x0422},
      {nullptr, nullptr, "be_BY@latin", 0x0423},
      {nullptr, nullptr, "ru", 0x0419},
      // Other languages, and codes that only begin like one of the three, are English.
      {nullptr, nullptr, "en_US.UTF-8", 0x0409},
      {nullptr, nullptr, "de_DE", 0x0409},
      {nullptr, nullptr, "C", 0x0409},
      {nullptr, nullptr, "C.UTF-8", 0x0409},
      {nullptr, nullptr, "rue_UA", 0x0409},
      {nullptr, nullptr, "bem_ZM", 0x0409},
      {nullptr, nullptr, nullptr, 0x0409},
      // LC_ALL before LC_MESSAGES before LANG; an empty variable counts as unset.
      {nullptr, "uk_UA.UTF-8", "en_US.UTF-8", 0x0422},
      {"en_GB.UTF-8", "uk_UA.UTF-8", "ru_RU.UTF-8", 0x0409},
      {"", "uk_UA.UTF-8", "en_US.UTF-8", 0x0422},
      {"be_BY.UTF-8", "", "", 0x0423},
  };
  LocaleVariables locale;
  for (const Case& c : cases) {
    locale.Set("LC_ALL", c.all);
    locale.Set("LC_MESSAGES", c.messages);
    locale.Set("LANG", c.lang);
    EXPECT_EQ(platform::SystemDefaultLanguageId(), c.expected)
        << (c.all ? c.all : "-") << " " << (c.messages ? c.messages : "-") << " " << (c.lang ? c.lang : "-");
  }
}

}  // namespace
