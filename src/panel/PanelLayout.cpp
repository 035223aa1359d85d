#include "panel/PanelLayout.h"

#include <cstdlib>

namespace {

constexpr LocalizedText kNoCaption{"", ""};

// Shorthands for the table.
constexpr ControlBackground kParent = ControlBackground::Parent;
constexpr ControlBackground kWindow = ControlBackground::Window;
constexpr ControlBackground kFace = ControlBackground::ButtonFace;
constexpr bool kShown = true;
constexpr bool kHidden = false;
constexpr bool kFocus = true;
constexpr bool kNoFocus = false;

using K = ControlKind;
using C = ControlId;

// Groups get their place from the stacking; their entries hold only the height.
const std::vector<ControlSpec> kControls = {
    {C::SettingsGroup, K::Group, C::None, 0, 0, 0, 132, {"Настройки", "Settings"}, kShown, kParent, kNoFocus, false, 0},
    {C::MulticastLabel, K::Label, C::SettingsGroup, 8, 24, 0, 0, {"Интерфейс мультикаста", "Multicast Interface"},
     kShown, kParent, kNoFocus, false, 0},
    {C::MulticastInterfaceBox, K::EditableList, C::SettingsGroup, 146, 21, 135, 0, kNoCaption, kShown, kWindow, kFocus,
     false, 0},
    {C::HttpInterfaceLabel, K::Label, C::SettingsGroup, 8, 51, 0, 0, {"Интерфейс HTTP-сервера", "HTTP-Server Interface"},
     kShown, kParent, kNoFocus, false, 0},
    {C::HttpInterfaceBox, K::ChoiceList, C::SettingsGroup, 146, 48, 135, 0, kNoCaption, kShown, kWindow, kFocus, false,
     0},
    {C::PortsLabel, K::Label, C::SettingsGroup, 8, 78, 0, 0, {"Порты HTTP-сервера", "HTTP-Server Ports"}, kShown,
     kParent, kNoFocus, false, 0},
    {C::HttpPortField, K::TextField, C::SettingsGroup, 146, 75, 60, 0, kNoCaption, kShown, kWindow, kFocus, false, 0},
    {C::PortSeparator, K::Label, C::SettingsGroup, 208, 78, 0, 0, {" - ", " - "}, kShown, kParent, kNoFocus, false, 0},
    {C::TranscoderPortField, K::ReadOnlyField, C::SettingsGroup, 220, 75, 60, 0, kNoCaption, kShown, kFace, kFocus,
     false, 0},
    {C::AddressLink, K::LinkLabel, C::SettingsGroup, 12, 106, 0, 0, kNoCaption, kShown, kParent, kNoFocus, true, 0},
    {C::SaveButton, K::PushButton, C::SettingsGroup, 146, 103, 135, 0, {"Сохранить", "Save"}, kShown, kParent,
     kNoFocus, false, 0},

    {C::AppGroup, K::Group, C::None, 0, 0, 0, 66, {"Обычное приложения", "Regular application mode"}, kShown, kParent,
     kNoFocus, false, 0},
    {C::AppStateLabel, K::Label, C::AppGroup, 8, 18, 272, 15, {"---", "---"}, kShown, kFace, kNoFocus, false, 0},
    {C::HideConsoleCheck, K::CheckBox, C::AppGroup, 150, 38, 130, 17, {"Скрыть окно консоли", "Hide console window"},
     kShown, kParent, kNoFocus, false, 0},
    {C::AppStartButton, K::PushButton, C::AppGroup, 7, 36, 135, 0, {"Запустить", "Start"}, kShown, kParent, kNoFocus,
     false, 0},

    {C::ServiceGroup, K::Group, C::None, 0, 0, 0, 66, {"Запускать как сервис", "System service mode"}, kShown, kParent,
     kNoFocus, false, 0},
    {C::ServiceStateLabel, K::Label, C::ServiceGroup, 8, 18, 272, 15, {"---", "---"}, kShown, kFace, kNoFocus, false,
     0},
    {C::InstallButton, K::PushButton, C::ServiceGroup, 7, 36, 274, 0, {"Установить", "Install"}, kHidden, kParent,
     kNoFocus, false, 0},
    {C::RemoveButton, K::PushButton, C::ServiceGroup, 146, 36, 135, 0, {"Удалить", "Remove"}, kHidden, kParent,
     kNoFocus, false, 0},
    {C::ServiceStartButton, K::PushButton, C::ServiceGroup, 7, 36, 135, 0, {"Запустить", "Start"}, kHidden, kParent,
     kNoFocus, false, 0},
    {C::ServiceStopButton, K::PushButton, C::ServiceGroup, 7, 36, 135, 0, {"Остановить", "Stop"}, kHidden, kParent,
     kNoFocus, false, 0},
    {C::OperatePanel, K::Panel, C::ServiceGroup, 88, 0, 81, 25, kNoCaption, kHidden, kParent, kNoFocus, false, 0},
    {C::OperateButton, K::PushButton, C::OperatePanel, 0, 0, -1, 0, {"Управлять", "Operate"}, kShown, kParent,
     kNoFocus, false, 0},

    {C::TranscoderGroup, K::Group, C::None, 0, 0, 0, 88,
     {"Транскодер (один поток на всех клиентов!)", "Transcoder (single for all clients!)"}, kShown, kParent, kNoFocus,
     false, 0},
    // In English the caption and the VLC link read as one sentence, hence the trailing blank.
    {C::TranscoderEnableCheck, K::CheckBox, C::TranscoderGroup, 8, 20, 154, 17,
     {"Использовать транскодер", "Enable live transcoding with "}, kShown, kParent, kNoFocus, false, 0},
    {C::VlcLink, K::LinkLabel, C::TranscoderGroup, 164, 21, 0, 0, {"VideoLAN VLC", "VideoLAN VLC"}, kShown, kParent,
     kNoFocus, false, 0},
    {C::TranscoderStartButton, K::PushButton, C::TranscoderGroup, 240, 18, 40, 19, {"Пуск", "Start"}, kShown, kParent,
     kNoFocus, false, 0},
    {C::TranscoderStopButton, K::PushButton, C::TranscoderGroup, 240, 18, 40, 19, {"Стоп", "Stop"}, kHidden, kParent,
     kNoFocus, false, 0},
    {C::ProfileBox, K::EditableList, C::TranscoderGroup, 8, 40, 273, 0, kNoCaption, kShown, kWindow, kFocus, false,
     400},
    {C::TranscoderStateLabel, K::Label, C::TranscoderGroup, 9, 66, 272, 15, {"---", "---"}, kShown, kParent, kNoFocus,
     false, 0},

    {C::MiscGroup, K::Group, C::None, 0, 0, 0, 48, {"Дополнительно", "Misc"}, kShown, kParent, kNoFocus, false, 0},
    {C::HelpButton, K::PushButton, C::MiscGroup, 7, 19, 65, 0, {"Справка", "Help"}, kShown, kParent, kNoFocus, false,
     0},
    {C::FirewallButton, K::PushButton, C::MiscGroup, 76, 19, 205, 0,
     {"Добавить исключение брандмауэра", "Add windows firewall exception"}, kShown, kParent, kNoFocus, false, 0},

    // Off-screen: holds the focus when no text field has it, so that F1 and Esc keep working.
    {C::FocusSink, K::ReadOnlyField, C::None, -100, 0, 60, 0, kNoCaption, kShown, kWindow, kFocus, false, 0},
};

int DefaultHeight(ControlKind kind) {
  switch (kind) {
    case ControlKind::PushButton:
    case ControlKind::TextField:
    case ControlKind::ReadOnlyField:
    case ControlKind::EditableList:
    case ControlKind::ChoiceList:
      return kDefaultControlHeight;
    default:
      return 0;
  }
}

}  // namespace

const std::vector<ControlSpec>& PanelControls() { return kControls; }

const ControlSpec& ControlSpecOf(ControlId id) {
  for (const ControlSpec& control : kControls) {
    if (control.id == id) return control;
  }
  std::abort();  // every id but None has an entry; asking for None is a programming error
}

Rect PlaceInParent(const ControlSpec& control) {
  if (control.kind == ControlKind::Group) {
    int y = kPanelMargin;
    for (const ControlSpec& group : kControls) {
      if (group.kind != ControlKind::Group) continue;
      if (group.id == control.id) break;
      y += group.height + kPanelMargin;
    }
    return {kPanelMargin, y, kPanelClientWidth - 2 * kPanelMargin, control.height};
  }
  Rect place{control.x, control.y, control.width, control.height};
  if (control.width == -1) place.width = PlaceInParent(ControlSpecOf(control.parent)).width;
  if (place.width != 0 && place.height == 0) place.height = DefaultHeight(control.kind);
  return place;
}

Rect PlaceInWindow(const ControlSpec& control) {
  Rect place = PlaceInParent(control);
  for (ControlId parent = control.parent; parent != ControlId::None;) {
    const ControlSpec& parentSpec = ControlSpecOf(parent);
    const Rect parentPlace = PlaceInParent(parentSpec);
    place.x += parentPlace.x;
    place.y += parentPlace.y;
    parent = parentSpec.parent;
  }
  return place;
}

int FittedClientHeight() {
  int bottom = 0;
  for (const ControlSpec& control : kControls) {
    if (control.kind == ControlKind::Group) bottom = PlaceInParent(control).Bottom();
  }
  return bottom + kPanelMargin;
}

Rect GroupInnerArea(ControlId group) {
  const Rect place = PlaceInParent(ControlSpecOf(group));
  return {kGroupInnerMargin, kGroupCaptionHeight + kGroupInnerMargin, place.width - 2 * kGroupInnerMargin,
          place.height - kGroupCaptionHeight - 2 * kGroupInnerMargin};
}

std::string PanelCaption(const std::string& productTitle, const std::string& programVersion) {
  return productTitle + " " + programVersion;
}
