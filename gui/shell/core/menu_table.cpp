#include "gui/shell/core/menu_table.h"

#include "gui/shell/core/command_ids.h"

namespace kv {
namespace {

MenuRow Popup(const char* caption) {
  MenuRow r;
  r.kind = kMenuPopup;
  r.caption = caption;
  return r;
}

MenuRow End() {
  MenuRow r;
  r.kind = kMenuEnd;
  return r;
}

MenuRow Separator() {
  MenuRow r;
  r.kind = kMenuSeparator;
  return r;
}

// A command that this build carries out.
MenuRow Item(int id, const char* caption) {
  MenuRow r;
  r.id = id;
  r.caption = caption;
  return r;
}

// A command of a module that is not part of this build: present and greyed.
MenuRow Later(int id, const char* caption) {
  MenuRow r = Item(id, caption);
  r.built = false;
  return r;
}

MenuRow Check(int id, const char* caption, bool checked) {
  MenuRow r = Item(id, caption);
  r.checkable = true;
  r.checked = checked;
  return r;
}

MenuRow Radio(int id, const char* caption, int group, bool checked, bool built = true) {
  MenuRow r = Check(id, caption, checked);
  r.radio_group = group;
  r.built = built;
  return r;
}

std::vector<MenuRow> BuildRows() {
  std::vector<MenuRow> rows;
  auto add = [&rows](MenuRow r) { rows.push_back(r); };

  add(Popup("&File"));
  add(Item(kCmdNew, "&New"));
  add(Item(kCmdOpen, "&Open..."));
  add(Item(kCmdSave, "&Save"));
  add(Item(kCmdSaveAs, "Save &As..."));
  add(Separator());
  add(Item(kCmdImportMesh, "&Import Mesh..."));
  add(Item(kCmdExportMesh, "&Export Mesh..."));
  add(Item(kCmdJournal, "&Journal..."));
  add(Separator());
  {
    MenuRow r = Item(kCmdReadResults, "Read &Results...");
    r.greyed = true;
    add(r);
  }
  add(Item(kCmdExportResults, "Export Resul&ts..."));
  add(Separator());
  add(Item(kCmdSaveImage, "Save &Image..."));
  add(Item(kCmdSaveAnimation, "Save A&nimation..."));
  add(Separator());
  add(Item(kCmdExit, "E&xit"));
  add(End());

  add(Popup("&Edit"));
  {
    MenuRow r = Item(kCmdUndo, "&Undo");
    r.greyed = true;
    add(r);
  }
  add(Separator());
  add(Item(kCmdForeground, "&Foreground...."));
  add(Item(kCmdBackground, "&Background..."));
  add(End());

  add(Popup("&View"));
  add(Check(kCmdOrientation, "&Orientation", true));
  add(Check(kCmdLegend, "&Legend", true));
  add(Separator());
  add(Radio(kCmdShowModel, "&Model", kRadioShown, true));
  add(Radio(kCmdShowResults, "&Results", kRadioShown, false));
  add(Separator());
  add(Check(kCmdBoundaryConditions, "Boundary Conditions", true));
  add(Check(kCmdRunners, "Runners", true));
  add(Check(kCmdPart, "Part", true));
  add(Check(kCmdMold, "Mold", true));
  add(Check(kCmdCooling, "Cooling", true));
  add(Separator());
  add(Popup("Re&nder"));
  add(Radio(kCmdSurfaceWireframe, "&Surface Wireframe", kRadioRender, false));
  add(Radio(kCmdFacetWireframe, "Fac&et Wireframe", kRadioRender, false));
  add(Radio(kCmdShade, "S&hade", kRadioRender, false));
  add(Radio(kCmdSurfaceOutline, "S&urface Outline", kRadioRender, true));
  add(Radio(kCmdFacetOutline, "F&acet Outline", kRadioRender, false));
  add(End());
  add(Item(kCmdTransparency, "&Transparency..."));
  add(Separator());
  add(Item(kCmdRedraw, "Redraw"));
  add(Item(kCmdZoomWindow, "&Zoom Window"));
  add(Item(kCmdZoomAll, "Zoom &All"));
  add(Item(kCmdCentreOfRotation, "C&enter of Rotation"));
  add(Separator());
  add(Popup("&Standard Views"));
  add(Item(kCmdFront, "&Front"));
  add(Item(kCmdBack, "&Back"));
  add(Item(kCmdLeft, "&Left"));
  add(Item(kCmdRight, "&Right"));
  add(Item(kCmdTop, "&Top"));
  add(Item(kCmdBottom, "Botto&m"));
  add(Item(kCmdIsometric, "&Isometric"));
  add(End());
  add(Separator());
  add(Item(kCmdCopyToClipboard, "&Copy to Clipboard"));
  add(Item(kCmdOptions, "Options..."));
  add(End());

  add(Popup("&Select"));
  add(Radio(kCmdPickVertex, "&Vertex", kRadioPick, false));
  add(Radio(kCmdPickLine, "&Line", kRadioPick, false));
  add(Radio(kCmdPickFacet, "&Facet", kRadioPick, true));
  add(Radio(kCmdPickPlane, "&Plane", kRadioPick, false));
  add(Radio(kCmdPickSurface, "&Surface", kRadioPick, false));
  add(Radio(kCmdPickShell, "S&hell", kRadioPick, false));
  add(Separator());
  add(Item(kCmdSelectNone, "&None"));
  add(Item(kCmdSelectInvert, "&Invert"));
  add(Separator());
  add(Item(kCmdSelectStatistics, "S&tatistics"));
  add(End());

  add(Popup("&Mesh"));
  add(Item(kCmdFixMesh, "&Fix..."));
  add(Separator());
  add(Popup("&Create"));
  add(Item(kCmdCreateNode, "&Node"));
  add(Item(kCmdCreateElement, "&Element"));
  add(End());
  add(Popup("&Delete"));
  add(Item(kCmdDeleteElement, "&Element"));
  add(End());
  add(Popup("M&erge"));
  add(Item(kCmdMergeNode, "Node"));
  add(End());
  add(Popup("&Query"));
  add(Item(kCmdQueryNode, "&Node"));
  add(Item(kCmdQueryFace, "&Face"));
  add(Item(kCmdQueryElement, "&Element"));
  add(End());
  add(Popup("&Modify"));
  add(Item(kCmdThickness, "&Thickness"));
  add(Item(kCmdReverseNormals, "&Reverse Normals"));
  add(End());
  add(Popup("C&heck"));
  add(Later(kCmdAspectRatio, "&Aspect Ratio"));
  add(Later(kCmdCheckOrientation, "&Orientation"));
  add(End());
  add(Separator());
  add(Item(kCmdMeshStatistics, "&Statistics"));
  add(End());

  add(Popup("&Transform"));
  add(Item(kCmdScale, "&Scale"));
  add(Item(kCmdMove, "&Move"));
  add(Item(kCmdRotate, "&Rotate"));
  add(Item(kCmdReflect, "Re&flect"));
  add(End());

  add(Popup("Me&asure"));
  add(Item(kCmdDistance, "&Distance"));
  add(Item(kCmdRadius, "&Radius"));
  add(Item(kCmdAngle, "&Angle"));
  add(Item(kCmdArea, "&Area"));
  add(Item(kCmdProjectedArea, "&Projected Area"));
  add(End());

  add(Popup("&Properties"));
  add(Item(kCmdViewProperties, "&View..."));
  add(Popup("&Query"));
  add(Later(kCmdPropertyQueryNode, "&Node"));
  add(Item(kCmdPropertyQueryElement, "&Element"));
  add(End());
  add(End());

  add(Popup("Si&mulation"));
  add(Item(kCmdParameters, "P&arameters..."));
  add(Item(kCmdMaterials, "&Materials..."));
  add(Item(kCmdProcessingConditions, "&Processing Conditions..."));
  add(Item(kCmdBoundaryConditionsDialog, "&Boundary Conditions..."));
  add(Separator());
  add(Item(kCmdSolve, "&Solve..."));
  add(Item(kCmdLog, "&Log..."));
  add(End());

  add(Popup("&Results"));
  add(Item(kCmdPlot, "Pl&ot..."));
  add(Item(kCmdContours, "&Contours..."));
  add(Item(kCmdLimits, "&Limits..."));
  add(Item(kCmdResultQuery, "&Query..."));
  add(Item(kCmdSavePlot, "&Save Plot..."));
  add(Separator());
  add(Popup("&Units"));
  add(Radio(kCmdMetric, "Metric", kRadioUnits, true));
  add(Radio(kCmdEnglish, "English", kRadioUnits, false));
  add(End());
  add(Popup("&Animation"));
  add(Item(kCmdPrevious, "Pr&evious"));
  add(Item(kCmdNext, "&Next"));
  add(Item(kCmdPlay, "&Play"));
  add(Item(kCmdStop, "&Stop"));
  add(Item(kCmdRecord, "&Record"));
  add(End());
  add(End());

  add(Popup("&Window"));
  add(Item(kCmdShowOutput, "&Output"));
  add(Item(kCmdShowInput, "&Input"));
  add(Item(kCmdShowCommand, "&Command"));
  add(Item(kCmdShowToolbar, "&Toolbar"));
  add(Separator());
  add(Item(kCmdShowGraphics, "&Graphics"));
  add(End());

  add(Popup("&Help"));
  add(Item(kCmdHelpIndex, "Index"));
  add(Item(kCmdSystem, "System"));
  add(Separator());
  add(Item(kCmdAbout, "&About ..."));
  add(End());
  return rows;
}

ToolButton Push(int id, int tip, const char* text) {
  ToolButton b;
  b.id = id;
  b.tooltip_string = tip;
  b.tooltip = text;
  return b;
}

ToolButton CheckButton(int id, int tip, const char* text, int group) {
  ToolButton b = Push(id, tip, text);
  b.style = kToolCheck;
  b.check_group = group;
  return b;
}

ToolButton Gap() {
  ToolButton b;
  b.style = kToolSeparator;
  return b;
}

std::vector<ToolButton> BuildToolbar() {
  return {
      Push(kCmdRedraw, 40000, "Redraw"),
      Push(kCmdZoomWindow, 40001, "Zoom Window"),
      Push(kCmdZoomAll, 40002, "Zoom All"),
      Push(kCmdCentreOfRotation, 40003, "Center of Rotation"),
      Gap(),
      CheckButton(kCmdSurfaceWireframe, 40004, "Surface Wireframe", kRadioRender),
      CheckButton(kCmdFacetWireframe, 40005, "Facet Wireframe", kRadioRender),
      CheckButton(kCmdShade, 40006, "Shade", kRadioRender),
      CheckButton(kCmdSurfaceOutline, 40007, "Surface Outline", kRadioRender),
      CheckButton(kCmdFacetOutline, 40008, "Facet Outline", kRadioRender),
      Gap(),
      Push(kCmdFront, 40009, "Front View"),
      Push(kCmdBack, 40010, "Back View"),
      Push(kCmdLeft, 40011, "Left View"),
      Push(kCmdRight, 40012, "Right View"),
      Push(kCmdTop, 40013, "Top View"),
      Push(kCmdBottom, 40014, "Bottom View"),
      Gap(),
      CheckButton(kCmdPickVertex, 40015, "Select Vertex", kRadioPick),
      CheckButton(kCmdPickLine, 40016, "Select Line", kRadioPick),
      CheckButton(kCmdPickFacet, 40017, "Select Facet", kRadioPick),
      CheckButton(kCmdPickPlane, 40018, "Select Plane", kRadioPick),
      CheckButton(kCmdPickSurface, 40019, "Select Surface", kRadioPick),
      CheckButton(kCmdPickShell, 40020, "Select Shell", kRadioPick),
      Gap(),
      Push(kCmdScale, 40034, "Scale"),
      Push(kCmdMove, 40035, "Move"),
      Push(kCmdRotate, 40036, "Rotate"),
      Push(kCmdReflect, 40037, "Reflect"),
      Gap(),
      Push(kCmdDistance, 40026, "Measure Distance"),
      Push(kCmdRadius, 40027, "Measure Radius"),
      Push(kCmdAngle, 40028, "Measure Angle"),
      Push(kCmdArea, 40029, "Measure Area"),
      Gap(),
      Push(kCmdFixMesh, 40030, "Fix Mesh"),
      Push(kCmdCreateNode, 40031, "Create Node"),
      Push(kCmdCreateElement, 40032, "Create Element"),
      Push(kCmdMergeNode, 40038, "Merge Node"),
      Push(kCmdDeleteElement, 40033, "Delete Element"),
      Gap(),
      Push(kCmdPrevious, 40021, "Previous"),
      Push(kCmdNext, 40022, "Next"),
      Push(kCmdPlay, 40023, "Play"),
      Push(kCmdStop, 40024, "Stop"),
  };
}

std::vector<ChoiceMenu> BuildChoiceMenus() {
  return {
      {223, "&Node", {{33137, "&Key In", "0"}, {33324, "&Offset", "1"}, {33135, "&Between", "2"}, {33136, "&Center", "3"}}},
      {260, "YesNo", {{33283, "&Yes", "yes"}, {33284, "&No", "no"}}},
      {262, "Plane", {{33285, "XY Plane", "1"}, {33286, "YZ Plane", "2"}, {33287, "ZX Plane", "3"}}},
      {266,
       "&Element",
       {{33308, "&Beam", "0"},
        {33309, "&Triangle", "1"},
        {33310, "&Quadrangle", "2"},
        {33311, "T&etrahedra", "3"},
        {33336, "Prism", "4"},
        {33312, "&Hexahedra", "5"}}},
  };
}

}  // namespace

const std::vector<MenuRow>& MainMenuRows() {
  static const std::vector<MenuRow> rows = BuildRows();
  return rows;
}

const MenuRow* FindMenuRow(int id) {
  for (const MenuRow& r : MainMenuRows()) {
    if (r.kind == kMenuCommand && r.id == id) return &r;
  }
  return nullptr;
}

bool CommandNeedsView(int id) {
  switch (id) {
    case kCmdSaveImage: case kCmdSaveAnimation: case kCmdForeground: case kCmdBackground:
    case kCmdOrientation: case kCmdLegend: case kCmdShowModel: case kCmdShowResults:
    case kCmdBoundaryConditions: case kCmdRunners: case kCmdPart: case kCmdMold: case kCmdCooling:
    case kCmdSurfaceWireframe: case kCmdFacetWireframe: case kCmdShade: case kCmdSurfaceOutline:
    case kCmdFacetOutline: case kCmdTransparency: case kCmdRedraw: case kCmdZoomWindow: case kCmdZoomAll:
    case kCmdCentreOfRotation: case kCmdFront: case kCmdBack: case kCmdLeft: case kCmdRight: case kCmdTop:
    case kCmdBottom: case kCmdIsometric: case kCmdCopyToClipboard:
    case kCmdPickVertex: case kCmdPickLine: case kCmdPickFacet: case kCmdPickPlane: case kCmdPickSurface:
    case kCmdPickShell:
    case kCmdPrevious: case kCmdNext: case kCmdPlay: case kCmdStop:
      return true;
    default:
      return false;
  }
}

bool MenuCommandGreyed(int id) {
  const MenuRow* r = FindMenuRow(id);
  return r == nullptr || !r->built || r->greyed;
}

const std::vector<ToolButton>& ToolbarButtons() {
  static const std::vector<ToolButton> buttons = BuildToolbar();
  return buttons;
}

std::string ToolTipString(int string_id) {
  // The "Record" string exists in the table although no button uses it.
  if (string_id == 40025) return "Record";
  for (const ToolButton& b : ToolbarButtons()) {
    if (b.style != kToolSeparator && b.tooltip_string == string_id) return b.tooltip;
  }
  return std::string();
}

const ChoiceMenu* FindChoiceMenu(int resource) {
  static const std::vector<ChoiceMenu> menus = BuildChoiceMenus();
  for (const ChoiceMenu& m : menus) {
    if (m.resource == resource) return &m;
  }
  return nullptr;
}

std::string PlainCaption(const char* caption) {
  std::string out;
  for (const char* p = caption; *p; ++p) {
    if (*p == '&' && p[1] != '&') continue;
    if (*p == '&') ++p;
    out += *p;
  }
  return out;
}

}  // namespace kv
