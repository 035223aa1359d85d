#include "platform/NamedMutex.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// A name no other test run uses at the same time, shaped like the instance mutex names.
std::string FreshName() {
  std::random_device source;
  std::mt19937_64 generator((static_cast<std::uint64_t>(source()) << 32) ^ source());
  static const char kDigits[] = "0123456789abcdef";
  std::string name = "corvane_mutex_";
  for (int i = 0; i < 32; ++i) name += kDigits[generator() % 16];
  return name;
}

TEST(NamedMutexTest, UnknownNameDoesNotExist) { EXPECT_FALSE(platform::NamedMutexExists(FreshName())); }

TEST(NamedMutexTest, ExistsWhileHeldAndNoLongerAfterRelease) {
  const std::string name = FreshName();
  {
    const platform::NamedMutex mutex = platform::NamedMutex::Create(name);
    ASSERT_TRUE(mutex.Valid());
    EXPECT_TRUE(platform::NamedMutexExists(name));
    EXPECT_TRUE(platform::NamedMutexExists(name));  // asking does not disturb the holder
  }
  EXPECT_FALSE(platform::NamedMutexExists(name));
}

TEST(NamedMutexTest, NamesAreIndependent) {
  const std::string held = FreshName();
  const platform::NamedMutex mutex = platform::NamedMutex::Create(held);
  ASSERT_TRUE(mutex.Valid());
  EXPECT_FALSE(platform::NamedMutexExists(FreshName()));
}

TEST(NamedMutexTest, MovedMutexKeepsHolding) {
  const std::string name = FreshName();
  platform::NamedMutex first = platform::NamedMutex::Create(name);
  ASSERT_TRUE(first.Valid());
  {
    const platform::NamedMutex second(std::move(first));
    EXPECT_TRUE(second.Valid());
    EXPECT_FALSE(first.Valid());
    EXPECT_TRUE(platform::NamedMutexExists(name));
  }
  EXPECT_FALSE(platform::NamedMutexExists(name));
}

TEST(NamedMutexTest, CanBeCreatedAgainAfterRelease) {
  const std::string name = FreshName();
  { const platform::NamedMutex mutex = platform::NamedMutex::Create(name); }
  const platform::NamedMutex again = platform::NamedMutex::Create(name);
  EXPECT_TRUE(again.Valid());
  EXPECT_TRUE(platform::NamedMutexExists(name));
}

}  // namespace
