#include "transcoder/VlcWrap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support/TempFolder.h"

namespace {

// Windows has no libvlc of its own: with none found, the binding fails quietly and can be tried again.
TEST(VlcBindingWithoutVlc, FailsWithoutAMessage) {
  TempFolder program;
  VlcLookupInputs inputs;
  inputs.programFolder = program.Path("");
  std::vector<std::string> messages;
  VlcBinding binding(inputs, [&](const std::string& text) { messages.push_back(text); });
  EXPECT_FALSE(binding.LocateVlc());
  EXPECT_EQ(binding.LoadVlc(), -1);
  EXPECT_EQ(binding.BindVlcApi(), -1);
  EXPECT_EQ(binding.LoadError(), -1);
  EXPECT_EQ(binding.Folder(), "");
  EXPECT_EQ(binding.ApiLevel(), 8);
  EXPECT_TRUE(messages.empty());
  platform::LibraryFunction function = nullptr;
  EXPECT_EQ(binding.BindVlcEntry("libvlc_new", function, false), -1);
  EXPECT_EQ(function, nullptr);
}

}  // namespace
