#include "panel/PanelView.h"

namespace {

// Below 1000: a combo box numbers its own list and text field 1000 and 1001.
constexpr int kFirstControlNumber = 100;

bool InPanel(const ControlSpec& control) {
  return control.parent != ControlId::None && ControlSpecOf(control.parent).kind == ControlKind::Panel;
}

}  // namespace

int ControlNumber(ControlId id) { return kFirstControlNumber + static_cast<int>(id); }

ControlId ControlOfNumber(int number) {
  for (const ControlSpec& control : PanelControls()) {
    if (ControlNumber(control.id) == number) return control.id;
  }
  return ControlId::None;
}

platform::WindowDescription PanelWindowDescription(PanelLanguage language, const std::string& caption) {
  platform::WindowDescription description;
  description.className = kPanelWindowClass;
  description.caption = caption;
  description.iconName = kPanelIconName;
  description.fontName = kPanelFontName;
  description.fontHeight = kPanelFontHeight;
  description.clientWidth = kPanelClientWidth;
  description.clientHeight = FittedClientHeight();
  description.timerMilliseconds = kStatusRefreshMilliseconds;
  description.focusHome = ControlNumber(ControlId::FocusSink);
  for (const ControlSpec& spec : PanelControls()) {
    // A group only frames its controls, which sit in the window; a panel holds its own.
    const bool inPanel = InPanel(spec);
    const Rect place = inPanel ? PlaceInParent(spec) : PlaceInWindow(spec);
    platform::WindowControl control;
    control.id = ControlNumber(spec.id);
    control.kind = spec.kind;
    control.parent = inPanel ? ControlNumber(spec.parent) : 0;
    control.x = place.x;
    control.y = place.y;
    control.width = spec.width == -1 ? -1 : place.width;
    control.height = place.height;
    control.text = TextIn(spec.caption, language);
    control.visible = spec.visible;
    control.background = spec.background;
    control.takesFocus = spec.takesFocus;
    control.centred = spec.centred;
    control.dropDownWidth = spec.dropDownWidth;
    description.controls.push_back(control);
  }
  return description;
}

Rect CoverPlaceInWindow(ControlId group) {
  const Rect groupPlace = PlaceInWindow(ControlSpecOf(group));
  Rect inner = GroupInnerArea(group);
  inner.x += groupPlace.x;
  inner.y += groupPlace.y;
  return inner;
}
