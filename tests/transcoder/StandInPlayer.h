#pragma once
// A test fixture that binds the player to stand-in libvlc libraries and reads what they recorded.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "test_support/TempFolder.h"
#include "transcoder/VlcPlugin.h"

// The player bound to stand-in libraries (tests/transcoder/CMakeLists.txt) that record every call they take.
class StandInPlayerTest : public ::testing::Test {
 protected:
  // Copies the stand-in set beside a program folder of its own and makes a binding over it.
  void Install(const std::string& standIn, bool withCore = true) {
    records_[0].Close();
    records_[1].Close();
    read_[0] = read_[1] = 0;
    binding_.reset();
    const std::string from = std::string(CORVANE_STAND_INS) + "stand-in-" + standIn + "/";
    const std::string program = temp_.Path("program-" + standIn) + platform::PathSeparator();
    vlc_ = program + "Vlc" + platform::PathSeparator();
    std::filesystem::create_directories(vlc_);
    std::filesystem::copy_file(from + VlcLibraryFile(), vlc_ + VlcLibraryFile());
    if (withCore) std::filesystem::copy_file(from + VlcCoreFile(), vlc_ + VlcCoreFile());
    VlcLookupInputs inputs;
    inputs.programFolder = program;
    inputs.separator = platform::PathSeparator();
    binding_ = std::make_unique<VlcBinding>(inputs, [this](const std::string& text) { messages_.push_back(text); });
  }

  std::unique_ptr<TVLCPlugin> MakePlayer(const std::string& config) {
    auto player = std::make_unique<TVLCPlugin>(0, config, "", *binding_);
    EXPECT_NE(player->GetState(), -1);
    EXPECT_TRUE(messages_.empty());
    return player;
  }

  // The calls recorded by libvlc (or libvlccore) since the last look, one a line.
  std::vector<std::string> NewCalls(bool core = false) {
    platform::DynamicLibrary& library = records_[core ? 1 : 0];
    if (!library.IsOpen()) library.Open(vlc_ + (core ? VlcCoreFile() : VlcLibraryFile()));
    using Record = const char* (*)();
    const auto record = reinterpret_cast<Record>(library.Find("stand_in_calls"));
    if (record == nullptr) {
      ADD_FAILURE() << "no record in " << vlc_;
      return {};
    }
    const std::string text = record();
    std::size_t& read = read_[core ? 1 : 0];
    std::vector<std::string> lines;
    for (std::size_t end = text.find('\n', read); end != std::string::npos; end = text.find('\n', read)) {
      lines.push_back(text.substr(read, end - read));
      read = end + 1;
    }
    return lines;
  }

  static std::string Contents(const std::string& file) {
    std::string contents;
    return platform::ReadWholeFile(file, contents) ? contents : "(none)";
  }

  TempFolder temp_;
  std::string config_ = temp_.Path("corvane.Vlc.ini");
  std::string vlc_;
  std::vector<std::string> messages_;
  std::unique_ptr<VlcBinding> binding_;
  platform::DynamicLibrary records_[2];
  std::size_t read_[2] = {0, 0};
};

