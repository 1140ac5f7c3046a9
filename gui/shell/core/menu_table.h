#pragma once
// The pre-processor's menu bar, toolbar and choice menus as plain tables, so
// that the frame only turns rows into Qt objects and tests can check every
// entry without a display.

#include <string>
#include <vector>

namespace kv {

enum MenuRowKind : int {
  kMenuCommand = 0,   // an entry with a command identifier
  kMenuSeparator = 1,
  kMenuPopup = 2,     // opens a submenu; rows up to the matching kMenuEnd belong to it
  kMenuEnd = 3,
};

// Radio groups whose check marks are exclusive (0: none).
enum MenuRadioGroup : int {
  kRadioNone = 0,
  kRadioRender = 1,   // the five render modes
  kRadioPick = 2,     // the six pick modes
  kRadioShown = 3,    // Model and Results
  kRadioUnits = 4,    // Metric and English
};

struct MenuRow {
  int kind = kMenuCommand;
  int id = 0;                 // command identifier (kMenuCommand)
  const char* caption = "";   // with '&' before the mnemonic letter
  int radio_group = kRadioNone;
  bool checkable = false;     // shows a check mark
  bool checked = false;       // initial check mark
  bool built = true;          // false: the command belongs to a module not in this build; greyed
  bool greyed = false;        // greyed at start although built (Read Results, Undo)
};

// Every row of the menu bar in order: popups, their entries and their ends.
const std::vector<MenuRow>& MainMenuRows();

// The row of a command identifier, or nullptr. Where two entries share an
// identifier (none do today) the first is returned.
const MenuRow* FindMenuRow(int id);

// True when the command is greyed at start (not built, or greyed by design).
bool MenuCommandGreyed(int id);

// True when the command draws, picks in or captures the 3D view; such
// commands are greyed while the Graphics child is closed.
bool CommandNeedsView(int id);

enum ToolButtonStyle : int { kToolPush = 0, kToolCheck = 1, kToolSeparator = 2 };

struct ToolButton {
  int style = kToolPush;
  int id = 0;                // command identifier
  int tooltip_string = 0;    // string table number of the tool-tip
  const char* tooltip = "";
  int check_group = kRadioNone;
};

// The 38 buttons of the toolbar with their separators, in order.
const std::vector<ToolButton>& ToolbarButtons();

// Text of a string table entry of the tool-tips (40000..40038), empty when unknown.
std::string ToolTipString(int string_id);

// Choice menus of the command prompts: choosing an item enters its text on
// the command line as if typed.
struct ChoiceItem {
  int id = 0;
  const char* caption = "";
  const char* text = "";
};

struct ChoiceMenu {
  int resource = 0;          // 223, 260, 262, 266
  const char* name = "";
  std::vector<ChoiceItem> items;
};

// The choice menu with this resource number, or nullptr.
const ChoiceMenu* FindChoiceMenu(int resource);

// Caption without the mnemonic marks ("S&urface Outline" -> "Surface Outline").
std::string PlainCaption(const char* caption);

}  // namespace kv
