#pragma once
// The control panel window as data: every control with its kind, place, size, captions and look. A view
// creates the window from this table; nothing here knows a window system.
#include <string>
#include <vector>

#include "panel/PanelLanguage.h"

enum class ControlId {
  None,  // the window itself, as a parent
  SettingsGroup,
  MulticastLabel,
  MulticastInterfaceBox,
  HttpInterfaceLabel,
  HttpInterfaceBox,
  PortsLabel,
  HttpPortField,
  PortSeparator,
  TranscoderPortField,
  AddressLink,
  SaveButton,
  AppGroup,
  AppStateLabel,
  HideConsoleCheck,
  AppStartButton,
  ServiceGroup,
  ServiceStateLabel,
  InstallButton,
  RemoveButton,
  ServiceStartButton,
  ServiceStopButton,
  OperatePanel,
  OperateButton,
  TranscoderGroup,
  TranscoderEnableCheck,
  VlcLink,
  TranscoderStartButton,
  TranscoderStopButton,
  ProfileBox,
  TranscoderStateLabel,
  MiscGroup,
  HelpButton,
  FirewallButton,
  FocusSink,
};

enum class ControlKind {
  Group,          // captioned frame; the window stacks the groups
  Label,          // static text
  LinkLabel,      // underlined, hot-light colour, hand cursor; clicking opens an address
  EditableList,   // combo box with free text entry and a drop-down list
  ChoiceList,     // combo box that only chooses from its list
  TextField,      // single-line text entry
  ReadOnlyField,  // single-line text, not editable but focusable
  PushButton,
  CheckBox,
  Panel,  // plain container
};

enum class ControlBackground { Parent, Window, ButtonFace };

struct ControlSpec {
  ControlId id;
  ControlKind kind;
  ControlId parent;  // a group, a panel, or None for the window
  // Relative to the parent's top-left corner. Width 0: sized to the caption (then height 0 too);
  // height 0: the kind's default height. A child with width -1 spans its parent's width.
  int x, y, width, height;
  LocalizedText caption;
  bool visible;
  ControlBackground background;
  bool takesFocus;        // F1 and Esc reach the window through these; buttons never take the focus
  bool centred;           // text centred in its box
  int dropDownWidth;      // of a list's drop-down; 0: the list's own width
};

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  int Bottom() const { return y + height; }
  bool operator==(const Rect& other) const {
    return x == other.x && y == other.y && width == other.width && height == other.height;
  }
};

// The window: fixed size client area, the groups stacked with a margin around and between them.
inline constexpr int kPanelClientWidth = 292;
inline constexpr int kPanelInitialClientHeight = 419;
inline constexpr int kPanelMargin = 3;
inline constexpr int kGroupInnerMargin = 2;
inline constexpr int kGroupCaptionHeight = 14;  // the frame's caption band at the font below
inline constexpr int kDefaultControlHeight = 22;
inline constexpr const char* kPanelFontName = "MS Shell Dlg 2";
inline constexpr int kPanelFontHeight = -11;  // character height 11 pixels
inline constexpr const char* kVlcPageAddress = "https://www.videolan.org/vlc/";

// Every control, groups first in each group's run, parents before their children.
const std::vector<ControlSpec>& PanelControls();
const ControlSpec& ControlSpecOf(ControlId id);

// Place of a control in its parent (groups: in the window), default heights filled in. A control sized
// to its caption keeps width and height 0 for the view to measure.
Rect PlaceInParent(const ControlSpec& control);
// Place of a control in the window's client area.
Rect PlaceInWindow(const ControlSpec& control);
// The client height that fits the groups exactly: the last group's bottom plus the margin.
int FittedClientHeight();
// The area of a group below its caption, inside its inner margin (where a covering panel goes).
Rect GroupInnerArea(ControlId group);

// "Corvane 2.7.4.0".
std::string PanelCaption(const std::string& productTitle, const std::string& programVersion);
