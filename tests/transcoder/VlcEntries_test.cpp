#include "transcoder/VlcEntries.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

int CountWhere(bool (*keep)(const VlcEntry&)) {
  int count = 0;
  for (std::size_t i = 0; i < kVlcEntryTableSize; ++i) count += keep(VlcEntryTable()[i]) ? 1 : 0;
  return count;
}

TEST(VlcEntryTable, SixGroupsOfEightyEntriesInBindingOrder) {
  ASSERT_EQ(kVlcEntryTableSize, 80u);
  std::map<VlcEntryGroup, int> sizes;
  VlcEntryGroup previous = VlcEntryGroup::kA;
  std::set<std::string> names;
  for (std::size_t i = 0; i < kVlcEntryTableSize; ++i) {
    const VlcEntry& entry = VlcEntryTable()[i];
    EXPECT_EQ(entry.id, static_cast<int>(i));
    EXPECT_GE(entry.group, previous) << entry.names;  // groups A to F, one run each
    previous = entry.group;
    ++sizes[entry.group];
    EXPECT_TRUE(names.insert(entry.names).second) << entry.names;
  }
  EXPECT_EQ(sizes[VlcEntryGroup::kA], 1);
  EXPECT_EQ(sizes[VlcEntryGroup::kB], 44);
  EXPECT_EQ(sizes[VlcEntryGroup::kC], 5);
  EXPECT_EQ(sizes[VlcEntryGroup::kD], 26);
  EXPECT_EQ(sizes[VlcEntryGroup::kE], 3);
  EXPECT_EQ(sizes[VlcEntryGroup::kF], 1);
  EXPECT_EQ(CountWhere([](const VlcEntry& e) { return e.neverCalled; }), 37);
}

TEST(VlcEntryTable, NamesTheEntriesThePlayerCalls) {
  const VlcEntry* table = VlcEntryTable();
  const std::pair<VlcEntryId, const char*> rows[] = {
      {kVideoSetDeinterlace, "libvlc_video_set_deinterlace"},
      {kMediaNewPath, "libvlc_media_new,libvlc_media_new_path"},
      {kMediaNewLocation, "libvlc_media_new,libvlc_media_new_location"},
      {kMediaPlayerSetHwnd, "libvlc_video_set_parent,libvlc_media_player_set_hwnd"},
      {kLogIteratorNext, "libvlc_log_iterator_next"},
      {kExceptionClear, "libvlc_exception_clear"},
      {kPlaylistGetMediaPlayer, "libvlc_playlist_get_media_player"},
      {kClassicAddIntf, "VLC_AddIntf"},
      {kCurrentObject, "vlc_current_object"},
      {kVarSet, "__var_Set,var_Set"},
      {kVarChange, "__var_Change,var_Change"},
      {kObjectFind, "__vlc_object_find,vlc_object_find"},
  };
  for (const auto& row : rows) EXPECT_STREQ(table[row.first].names, row.second);
  EXPECT_TRUE(table[kObjectFindName].fromCore && table[kObjectFindName].neverCalled);
  EXPECT_TRUE(table[kVarGet].neverCalled);
  EXPECT_FALSE(table[kVarSet].neverCalled);
  // Only the internal object functions live in libvlccore.
  for (std::size_t i = 0; i < kVlcEntryTableSize; ++i) {
    const VlcEntry& entry = table[i];
    const bool internal = entry.group == VlcEntryGroup::kE || entry.group == VlcEntryGroup::kF ||
                          entry.id == kObjectFindName;
    EXPECT_EQ(entry.fromCore, internal) << entry.names;
  }
}

// The entries each generation binds, by group.
TEST(VlcGroupApplies, EachLevelBindsItsGroups) {
  struct Row {
    int level;
    bool a, b, c, d, e, f;
    int entries;
  };
  const Row rows[] = {
      {8, false, false, false, true, true, true, 30},
      {9, false, true, true, false, true, true, 53},
      {11, true, true, false, false, true, true, 49},
      {12, true, true, false, false, true, false, 48},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(VlcGroupApplies(VlcEntryGroup::kA, row.level), row.a) << row.level;
    EXPECT_EQ(VlcGroupApplies(VlcEntryGroup::kB, row.level), row.b) << row.level;
    EXPECT_EQ(VlcGroupApplies(VlcEntryGroup::kC, row.level), row.c) << row.level;
    EXPECT_EQ(VlcGroupApplies(VlcEntryGroup::kD, row.level), row.d) << row.level;
    EXPECT_EQ(VlcGroupApplies(VlcEntryGroup::kE, row.level), row.e) << row.level;
    EXPECT_EQ(VlcGroupApplies(VlcEntryGroup::kF, row.level), row.f) << row.level;
    int entries = 0;
    for (std::size_t i = 0; i < kVlcEntryTableSize; ++i) entries += VlcGroupApplies(VlcEntryTable()[i].group, row.level);
    EXPECT_EQ(entries, row.entries) << row.level;
  }
}

TEST(UsesVlcCore, OnlyFromLevelNineOn) {
  EXPECT_FALSE(UsesVlcCore(true, 8));  // level 8 has no libvlccore: libvlc exports them itself
  EXPECT_TRUE(UsesVlcCore(true, 9));
  EXPECT_TRUE(UsesVlcCore(true, 12));
  EXPECT_FALSE(UsesVlcCore(false, 12));
}

// A module that exports some names, recording every question.
struct FakeModule {
  std::set<std::string> exports;
  std::vector<std::string> asked;
  VlcExportLookup Lookup() {
    return [this](const std::string& name) -> platform::LibraryFunction {
      asked.push_back(name);
      // Any distinct non-null address per name will do; it is compared, never called.
      return exports.count(name) ? reinterpret_cast<platform::LibraryFunction>(&*exports.find(name)) : nullptr;
    };
  }
};

TEST(ResolveVlcEntry, TakesTheFirstAlternativeThatIsExported) {
  FakeModule old{{"libvlc_media_new", "libvlc_media_new_path", "libvlc_media_new_location"}, {}};
  const auto fromPath = ResolveVlcEntry("libvlc_media_new,libvlc_media_new_path", old.Lookup());
  const auto fromLocation = ResolveVlcEntry("libvlc_media_new,libvlc_media_new_location", old.Lookup());
  EXPECT_NE(fromPath, nullptr);
  EXPECT_EQ(fromPath, fromLocation);  // both bound to the older common entry
  EXPECT_EQ(old.asked, (std::vector<std::string>{"libvlc_media_new", "libvlc_media_new"}));

  FakeModule current{{"libvlc_media_new_path", "libvlc_media_new_location"}, {}};
  const auto path = ResolveVlcEntry("libvlc_media_new,libvlc_media_new_path", current.Lookup());
  const auto location = ResolveVlcEntry("libvlc_media_new,libvlc_media_new_location", current.Lookup());
  EXPECT_NE(path, nullptr);
  EXPECT_NE(location, nullptr);
  EXPECT_NE(path, location);
}

TEST(ResolveVlcEntry, TrimsNamesAndStopsAtTheFirstEmptyOne) {
  FakeModule module{{"b", "c"}, {}};
  EXPECT_NE(ResolveVlcEntry(" a ,\tb ,c", module.Lookup()), nullptr);
  EXPECT_EQ(module.asked, (std::vector<std::string>{"a", "b"}));

  module.asked.clear();
  EXPECT_EQ(ResolveVlcEntry("a,,c", module.Lookup()), nullptr);  // "c" is behind an empty name
  EXPECT_EQ(module.asked, (std::vector<std::string>{"a"}));

  module.asked.clear();
  EXPECT_EQ(ResolveVlcEntry("", module.Lookup()), nullptr);
  EXPECT_TRUE(module.asked.empty());
}

TEST(MissingVlcEntryText, IsTheNameListWithAComma) {
  EXPECT_EQ(MissingVlcEntryText("libvlc_media_new,libvlc_media_new_path"), "libvlc_media_new,libvlc_media_new_path,");
  EXPECT_EQ(MissingVlcEntryText("libvlc_exception_clear"), "libvlc_exception_clear,");
}

}  // namespace
