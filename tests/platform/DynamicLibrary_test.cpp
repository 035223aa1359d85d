#include "platform/DynamicLibrary.h"

#include <gtest/gtest.h>

#include <string>

#include "base/TextUtil.h"
#include "platform/Files.h"
#include "test_support/TempFolder.h"

namespace {

// The stand-in libvlc pair that the build makes for the transcoder's tests.
const std::string kStandIn = std::string(CORVANE_STAND_INS) + "stand-in-vlc3/";

TEST(DynamicLibrary, FindsExportsOfALoadedLibraryOnly) {
  platform::DynamicLibrary library;
  EXPECT_FALSE(library.IsOpen());
  EXPECT_EQ(library.Find("libvlc_new"), nullptr);
  EXPECT_FALSE(library.Open(kStandIn + "no-such-library"));

  ASSERT_TRUE(library.Open(kStandIn + platform::SharedLibraryFileName("libvlc", 5)));
  EXPECT_NE(library.Find("libvlc_new"), nullptr);
  EXPECT_EQ(library.Find("libvlc_exception_clear"), nullptr);

  platform::DynamicLibrary moved = std::move(library);
  EXPECT_TRUE(moved.IsOpen());
  EXPECT_NE(moved.Find("libvlc_new"), nullptr);
  moved.Close();
  EXPECT_FALSE(moved.IsOpen());
  EXPECT_EQ(moved.Find("libvlc_new"), nullptr);
}

TEST(DynamicLibrary, BareNameIsFoundInTheCurrentDirectory) {
  const std::string previous = platform::CurrentDirectory();
  ASSERT_FALSE(previous.empty());
  ASSERT_TRUE(platform::ChangeCurrentDirectory(kStandIn));
  platform::DynamicLibrary library;
  const bool opened = library.Open(platform::SharedLibraryFileName("libvlccore", 9));
  EXPECT_TRUE(platform::ChangeCurrentDirectory(previous));
  EXPECT_EQ(platform::CurrentDirectory(), previous);
  ASSERT_TRUE(opened);
  EXPECT_NE(library.Find("var_Set"), nullptr);
  EXPECT_FALSE(platform::ChangeCurrentDirectory(kStandIn + "no-such-folder"));
}

TEST(LibraryVersionText, ReadsTheVersionTheLibraryStates) {
  const std::string version =
      platform::LibraryVersionText(kStandIn + platform::SharedLibraryFileName("libvlccore", 9),
                                   kStandIn + platform::SharedLibraryFileName("libvlc", 5), "libvlc_get_version");
  EXPECT_TRUE(StartsWith(version, "3.0.99")) << version;
  EXPECT_EQ(platform::LibraryVersionText(kStandIn + "missing", kStandIn + "missing", "libvlc_get_version"), "");
}

}  // namespace
