// The menu bar, toolbar and choice menu tables.
#include "gui/shell/core/menu_table.h"

#include <map>
#include <set>

#include <gtest/gtest.h>

#include "gui/shell/core/command_ids.h"

namespace kv {
namespace {

TEST(MenuTable, EveryEntryOnceWithBalancedPopups) {
  std::set<int> ids;
  int depth = 0;
  int commands = 0;
  for (const MenuRow& r : MainMenuRows()) {
    if (r.kind == kMenuPopup) ++depth;
    if (r.kind == kMenuEnd) --depth;
    ASSERT_GE(depth, 0);
    if (r.kind != kMenuCommand) continue;
    ++commands;
    EXPECT_TRUE(ids.insert(r.id).second) << "identifier twice: " << r.id;
    EXPECT_GT(std::string(r.caption).size(), 0u) << r.id;
  }
  EXPECT_EQ(depth, 0);
  // Every identifier of the command table, including the ones of later
  // modules, File > Journal, Window > Graphics and File > Export Results.
  EXPECT_EQ(commands, 103);
  for (int id : {kCmdNew, kCmdExit, kCmdUndo, kCmdTransparency, kCmdIsometric, kCmdSelectStatistics, kCmdThickness,
                 kCmdReverseNormals, kCmdSavePlot, kCmdExportResults, kCmdRecord, kCmdShowToolbar, kCmdShowGraphics,
                 kCmdAbout, kCmdPropertyQueryElement}) {
    EXPECT_NE(FindMenuRow(id), nullptr) << id;
  }
}

TEST(MenuTable, CaptionsChecksAndGreying) {
  EXPECT_STREQ(FindMenuRow(kCmdForeground)->caption, "&Foreground....");
  EXPECT_STREQ(FindMenuRow(kCmdAbout)->caption, "&About ...");
  EXPECT_STREQ(FindMenuRow(kCmdCentreOfRotation)->caption, "C&enter of Rotation");
  // Checked at start: the eleven entries of the frame's table.
  std::set<int> checked;
  for (const MenuRow& r : MainMenuRows()) {
    if (r.kind == kMenuCommand && r.checked) checked.insert(r.id);
  }
  const std::set<int> expected = {kCmdOrientation, kCmdLegend, kCmdShowModel, kCmdBoundaryConditions,
                                  kCmdRunners,     kCmdPart,   kCmdMold,      kCmdCooling,
                                  kCmdSurfaceOutline, kCmdPickFacet, kCmdMetric};
  EXPECT_EQ(checked, expected);
  // Greyed by design, and greyed because their module is not built here.
  EXPECT_TRUE(MenuCommandGreyed(kCmdReadResults));
  EXPECT_TRUE(MenuCommandGreyed(kCmdUndo));
  EXPECT_FALSE(MenuCommandGreyed(kCmdSolve));
  EXPECT_FALSE(MenuCommandGreyed(kCmdNew));
  EXPECT_FALSE(MenuCommandGreyed(kCmdZoomAll));
  EXPECT_FALSE(MenuCommandGreyed(kCmdShade));
  EXPECT_FALSE(MenuCommandGreyed(kCmdDistance));  // the interpreted commands are built
  EXPECT_FALSE(MenuCommandGreyed(kCmdJournal));
  EXPECT_TRUE(MenuCommandGreyed(12345));
  // Radio groups: five render modes, six pick modes, two shown, two units.
  std::map<int, int> group_sizes;
  for (const MenuRow& r : MainMenuRows()) {
    if (r.kind == kMenuCommand && r.radio_group != kRadioNone) ++group_sizes[r.radio_group];
  }
  EXPECT_EQ(group_sizes[kRadioRender], 5);
  EXPECT_EQ(group_sizes[kRadioPick], 6);
  EXPECT_EQ(group_sizes[kRadioShown], 2);
  EXPECT_EQ(group_sizes[kRadioUnits], 2);
  EXPECT_EQ(PlainCaption("S&urface Outline"), "Surface Outline");
  EXPECT_EQ(PlainCaption("R&&D"), "R&D");
}

TEST(Toolbar, ThirtyEightButtonsInOrderWithTips) {
  int buttons = 0, separators = 0;
  std::set<int> strings;
  for (const ToolButton& b : ToolbarButtons()) {
    if (b.style == kToolSeparator) {
      ++separators;
      continue;
    }
    ++buttons;
    strings.insert(b.tooltip_string);
    // Every button runs a command of the menu.
    EXPECT_NE(FindMenuRow(b.id), nullptr) << b.id;
    EXPECT_EQ(b.style == kToolCheck, b.check_group != kRadioNone) << b.id;
  }
  EXPECT_EQ(buttons, 38);
  EXPECT_EQ(separators, 7);
  EXPECT_EQ(strings.size(), 38u);
  EXPECT_EQ(strings.count(40025), 0u);  // "Record" has a string but no button
  const std::vector<ToolButton>& t = ToolbarButtons();
  EXPECT_EQ(t.front().id, kCmdRedraw);
  EXPECT_EQ(t.back().id, kCmdStop);
  EXPECT_EQ(ToolTipString(40000), "Redraw");
  EXPECT_EQ(ToolTipString(40009), "Front View");
  EXPECT_EQ(ToolTipString(40038), "Merge Node");
  EXPECT_EQ(ToolTipString(40025), "Record");
  EXPECT_EQ(ToolTipString(39999), "");
}

TEST(ChoiceMenus, TextsEnteredAsIfTyped) {
  const ChoiceMenu* element = FindChoiceMenu(266);
  ASSERT_NE(element, nullptr);
  ASSERT_EQ(element->items.size(), 6u);
  EXPECT_STREQ(element->items[0].caption, "&Beam");
  EXPECT_STREQ(element->items[0].text, "0");
  EXPECT_STREQ(element->items[5].text, "5");
  EXPECT_STREQ(FindChoiceMenu(260)->items[1].text, "no");
  EXPECT_EQ(FindChoiceMenu(223)->items.size(), 4u);
  EXPECT_EQ(FindChoiceMenu(262)->items.size(), 3u);
  EXPECT_EQ(FindChoiceMenu(999), nullptr);
}

}  // namespace
}  // namespace kv
