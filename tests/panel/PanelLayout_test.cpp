#include "panel/PanelLayout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace {

std::set<ControlId> IdsWhere(bool (*test)(const ControlSpec&)) {
  std::set<ControlId> ids;
  for (const ControlSpec& control : PanelControls()) {
    if (test(control)) ids.insert(control.id);
  }
  return ids;
}

TEST(PanelLayout, GroupsStackWithMarginsAndFitTheWindow) {
  const std::pair<ControlId, Rect> groups[] = {
      {ControlId::SettingsGroup, {3, 3, 286, 132}},    {ControlId::AppGroup, {3, 138, 286, 66}},
      {ControlId::ServiceGroup, {3, 207, 286, 66}},    {ControlId::TranscoderGroup, {3, 276, 286, 88}},
      {ControlId::MiscGroup, {3, 367, 286, 48}},
  };
  for (const auto& [id, place] : groups) EXPECT_EQ(PlaceInWindow(ControlSpecOf(id)), place);
  EXPECT_EQ(FittedClientHeight(), 418);
  EXPECT_EQ(GroupInnerArea(ControlId::ServiceGroup), (Rect{2, 16, 282, 48}));
}

TEST(PanelLayout, ControlsSitInsideTheirParents) {
  std::set<ControlId> seen;
  for (const ControlSpec& control : PanelControls()) {
    EXPECT_TRUE(seen.insert(control.id).second) << "twice: " << static_cast<int>(control.id);
    if (control.parent == ControlId::None) continue;
    EXPECT_TRUE(seen.count(control.parent)) << "parent after child: " << static_cast<int>(control.id);
    const Rect place = PlaceInParent(control);
    const Rect parent = PlaceInParent(ControlSpecOf(control.parent));
    EXPECT_GE(place.x, 0);
    EXPECT_GE(place.y, 0);
    EXPECT_LE(place.x + place.width, parent.width) << static_cast<int>(control.id);
    EXPECT_LE(place.Bottom(), parent.height) << static_cast<int>(control.id);
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(ControlId::FocusSink));  // every id but None
  EXPECT_LT(PlaceInWindow(ControlSpecOf(ControlId::FocusSink)).x + 60, 0);
}

TEST(PanelLayout, PlacesAndDefaultHeights) {
  EXPECT_EQ(PlaceInWindow(ControlSpecOf(ControlId::SaveButton)), (Rect{149, 106, 135, 22}));
  EXPECT_EQ(PlaceInParent(ControlSpecOf(ControlId::HttpPortField)), (Rect{146, 75, 60, 22}));
  EXPECT_EQ(PlaceInParent(ControlSpecOf(ControlId::TranscoderStartButton)), (Rect{240, 18, 40, 19}));
  EXPECT_EQ(PlaceInParent(ControlSpecOf(ControlId::InstallButton)), (Rect{7, 36, 274, 22}));
  EXPECT_EQ(PlaceInWindow(ControlSpecOf(ControlId::OperateButton)), (Rect{3 + 88, 207, 81, 22}));
  // Labels that size to their text are left to the view to measure.
  EXPECT_EQ(PlaceInParent(ControlSpecOf(ControlId::AddressLink)), (Rect{12, 106, 0, 0}));
  EXPECT_TRUE(ControlSpecOf(ControlId::AddressLink).centred);
  EXPECT_EQ(ControlSpecOf(ControlId::ProfileBox).dropDownWidth, 400);
  // The start and stop buttons of the service share one place, as do the transcoder's.
  EXPECT_EQ(PlaceInParent(ControlSpecOf(ControlId::ServiceStartButton)),
            PlaceInParent(ControlSpecOf(ControlId::ServiceStopButton)));
  EXPECT_EQ(PlaceInParent(ControlSpecOf(ControlId::TranscoderStartButton)),
            PlaceInParent(ControlSpecOf(ControlId::TranscoderStopButton)));
}

TEST(PanelLayout, VisibilityFocusAndColours) {
  using C = ControlId;
  EXPECT_EQ(IdsWhere([](const ControlSpec& c) { return !c.visible; }),
            (std::set<ControlId>{C::InstallButton, C::RemoveButton, C::ServiceStartButton, C::ServiceStopButton,
                                 C::OperatePanel, C::TranscoderStopButton}));
  EXPECT_EQ(IdsWhere([](const ControlSpec& c) { return c.takesFocus; }),
            (std::set<ControlId>{C::MulticastInterfaceBox, C::HttpInterfaceBox, C::HttpPortField,
                                 C::TranscoderPortField, C::ProfileBox, C::FocusSink}));
  EXPECT_EQ(IdsWhere([](const ControlSpec& c) { return c.background == ControlBackground::Window; }),
            (std::set<ControlId>{C::MulticastInterfaceBox, C::HttpInterfaceBox, C::HttpPortField, C::ProfileBox,
                                 C::FocusSink}));
  EXPECT_EQ(IdsWhere([](const ControlSpec& c) { return c.background == ControlBackground::ButtonFace; }),
            (std::set<ControlId>{C::TranscoderPortField, C::AppStateLabel, C::ServiceStateLabel}));
  EXPECT_EQ(IdsWhere([](const ControlSpec& c) { return c.kind == ControlKind::LinkLabel; }),
            (std::set<ControlId>{C::AddressLink, C::VlcLink}));
}

TEST(PanelLayout, CaptionsInBothLanguages) {
  for (const ControlSpec& control : PanelControls()) {
    // A control has a caption in both languages or in neither.
    EXPECT_EQ(std::strlen(control.caption.russian) == 0, std::strlen(control.caption.english) == 0)
        << static_cast<int>(control.id);
  }
  const auto caption = [](ControlId id, PanelLanguage language) {
    return std::string(TextIn(ControlSpecOf(id).caption, language));
  };
  EXPECT_EQ(caption(ControlId::AppGroup, PanelLanguage::Russian), "Обычное приложения");
  EXPECT_EQ(caption(ControlId::TranscoderGroup, PanelLanguage::Russian), "Транскодер (один поток на всех клиентов!)");
  EXPECT_EQ(caption(ControlId::TranscoderEnableCheck, PanelLanguage::English), "Enable live transcoding with ");
  EXPECT_EQ(caption(ControlId::FirewallButton, PanelLanguage::English), "Add windows firewall exception");
  EXPECT_EQ(caption(ControlId::MulticastLabel, PanelLanguage::English), "Multicast Interface");
  EXPECT_EQ(caption(ControlId::MulticastLabel, PanelLanguage::Russian), "Интерфейс мультикаста");
  for (const PanelLanguage language : {PanelLanguage::Russian, PanelLanguage::English}) {
    EXPECT_EQ(caption(ControlId::PortSeparator, language), " - ");
    EXPECT_EQ(caption(ControlId::VlcLink, language), "VideoLAN VLC");
    EXPECT_EQ(caption(ControlId::AppStateLabel, language), "---");
  }
  EXPECT_EQ(PanelCaption("Corvane", "2.7.4.0"), "Corvane 2.7.4.0");
}

}  // namespace
