#include "panel/PanelView.h"

#include <gtest/gtest.h>

#include <set>


namespace {

const platform::WindowControl& Described(const platform::WindowDescription& description, ControlId id) {
  for (const platform::WindowControl& control : description.controls) {
    if (control.id == ControlNumber(id)) return control;
  }
  ADD_FAILURE() << "no control " << static_cast<int>(id);
  return description.controls.front();
}

TEST(PanelView, EveryControlOnceUnderItsOwnNumber) {
  const platform::WindowDescription description = PanelWindowDescription(PanelLanguage::English, "Corvane 2.7.4.0");
  ASSERT_EQ(description.controls.size(), PanelControls().size());
  std::set<int> numbers;
  for (const platform::WindowControl& control : description.controls) {
    EXPECT_TRUE(numbers.insert(control.id).second);
    // Combo boxes number their own parts 1000 and 1001; ours stay below.
    EXPECT_GT(control.id, 0);
    EXPECT_LT(control.id, 1000);
    EXPECT_NE(ControlOfNumber(control.id), ControlId::None);
  }
  EXPECT_EQ(ControlOfNumber(ControlNumber(ControlId::SaveButton)), ControlId::SaveButton);
  EXPECT_EQ(ControlOfNumber(1001), ControlId::None);
}

TEST(PanelView, WindowAndPlaces) {
  const platform::WindowDescription description = PanelWindowDescription(PanelLanguage::English, "Corvane 2.7.4.0");
  EXPECT_EQ(description.className, "CorvanePanelWindow");
  EXPECT_EQ(description.caption, "Corvane 2.7.4.0");
  EXPECT_EQ(description.iconName, "APPICON");
  EXPECT_EQ(description.fontName, "MS Shell Dlg 2");
  EXPECT_EQ(description.fontHeight, -11);
  EXPECT_EQ(description.clientWidth, 292);
  EXPECT_EQ(description.clientHeight, 418);
  EXPECT_EQ(description.timerMilliseconds, 500u);
  EXPECT_EQ(description.focusHome, ControlNumber(ControlId::FocusSink));

  // Controls of a group sit in the window; the button of the covering panel is the panel's own.
  const platform::WindowControl& save = Described(description, ControlId::SaveButton);
  EXPECT_EQ(save.parent, 0);
  EXPECT_EQ((Rect{save.x, save.y, save.width, save.height}), (Rect{149, 106, 135, 22}));
  const platform::WindowControl& operate = Described(description, ControlId::OperateButton);
  EXPECT_EQ(operate.parent, ControlNumber(ControlId::OperatePanel));
  EXPECT_EQ((Rect{operate.x, operate.y, operate.width, operate.height}), (Rect{0, 0, -1, 22}));
  const platform::WindowControl& link = Described(description, ControlId::AddressLink);
  EXPECT_EQ(link.width, 0);  // sized to its text by the window
  EXPECT_TRUE(link.centred);
  EXPECT_EQ(Described(description, ControlId::ProfileBox).dropDownWidth, 400);
  EXPECT_FALSE(Described(description, ControlId::InstallButton).visible);
  EXPECT_FALSE(Described(description, ControlId::SaveButton).takesFocus);
  EXPECT_TRUE(Described(description, ControlId::FocusSink).takesFocus);
  EXPECT_EQ(CoverPlaceInWindow(ControlId::ServiceGroup), (Rect{5, 223, 282, 48}));
}

TEST(PanelView, CaptionsInTheChosenLanguage) {
  const platform::WindowDescription russian = PanelWindowDescription(PanelLanguage::Russian, "");
  EXPECT_EQ(Described(russian, ControlId::SettingsGroup).text, "Настройки");
  EXPECT_EQ(Described(russian, ControlId::TranscoderStopButton).text, "Стоп");
  EXPECT_EQ(Described(russian, ControlId::VlcLink).text, "VideoLAN VLC");
  const platform::WindowDescription english = PanelWindowDescription(PanelLanguage::English, "");
  EXPECT_EQ(Described(english, ControlId::TranscoderEnableCheck).text, "Enable live transcoding with ");
  EXPECT_EQ(Described(english, ControlId::AppStateLabel).text, "---");
}

}  // namespace
