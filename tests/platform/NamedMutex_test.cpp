#include "platform/NamedMutex.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "test_support/FreshName.h"

namespace {

TEST(NamedMutexTest, UnknownNameDoesNotExist) { EXPECT_FALSE(platform::NamedMutexExists(FreshMutexName())); }

TEST(NamedMutexTest, ExistsWhileHeldAndNoLongerAfterRelease) {
  const std::string name = FreshMutexName();
  {
    const platform::NamedMutex mutex = platform::NamedMutex::Create(name);
    ASSERT_TRUE(mutex.Valid());
    EXPECT_TRUE(platform::NamedMutexExists(name));
    EXPECT_TRUE(platform::NamedMutexExists(name));  // asking does not disturb the holder
  }
  EXPECT_FALSE(platform::NamedMutexExists(name));
}

TEST(NamedMutexTest, NamesAreIndependent) {
  const std::string held = FreshMutexName();
  const platform::NamedMutex mutex = platform::NamedMutex::Create(held);
  ASSERT_TRUE(mutex.Valid());
  EXPECT_FALSE(platform::NamedMutexExists(FreshMutexName()));
}

TEST(NamedMutexTest, MovedMutexKeepsHolding) {
  const std::string name = FreshMutexName();
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
  const std::string name = FreshMutexName();
  { const platform::NamedMutex mutex = platform::NamedMutex::Create(name); }
  const platform::NamedMutex again = platform::NamedMutex::Create(name);
  EXPECT_TRUE(again.Valid());
  EXPECT_TRUE(platform::NamedMutexExists(name));
}

}  // namespace
