#pragma once
#include <cstdint>
#include <random>
#include <string>

// A name no other test run uses at the same time, shaped like the instance mutex names.
inline std::string FreshMutexName() {
  std::random_device source;
  std::mt19937_64 generator((static_cast<std::uint64_t>(source()) << 32) ^ source());
  static const char kDigits[] = "0123456789abcdef";
  std::string name = "corvane_mutex_";
  for (int i = 0; i < 32; ++i) name += kDigits[generator() % 16];
  return name;
}
