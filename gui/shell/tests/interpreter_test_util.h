#pragma once
// A bench for the command interpreter without a display: a small model (two
// triangles of a unit square plate, a beam standing on one corner), its
// drawing tables, a selection, a captured Input and Output pane, and a
// journal. Picks are simulated as the view applies them.

#include <string>
#include <vector>

#include "common/analysis/analysis_settings.h"
#include "common/mesh/mesh_model.h"
#include "common/output/pane_output.h"
#include "gui/shell/core/interpreter.h"
#include "gui/view/core/view_settings.h"
#include "mesh/engine/rebuild.h"

namespace kv {

// Nodes 1..5: (0,0,0) (1,0,0) (1,1,0) (0,1,0) (1,1,1); elements 1, 2 the
// triangles (1,2,3) and (1,3,4) of property 1 (part surface, 2 mm), element 3
// a beam (3,5) of property 2 (cold runner, 5 mm).
inline MeshModel PlateWithBeam() {
  MeshModel m;
  m.nodes = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {1, 1, 1}};
  ElementProperty surface{1, kPartSurface, "Part surface", 0.002f, 0, 0};
  ElementProperty runner{2, kColdRunner, "Cold runner", 0, 0.005f, 0};
  m.properties = {surface, runner};
  auto element = [](int type, std::vector<int> nodes, int property, const ElementProperty& p) {
    Element e;
    e.type = type;
    e.node_count = static_cast<int>(nodes.size());
    for (size_t i = 0; i < nodes.size(); ++i) e.nodes[i] = nodes[i];
    e.property = property;
    e.category = p.category;
    e.thickness = p.thickness;
    e.diameter = p.diameter;
    return e;
  };
  m.elements = {element(kTriangle, {0, 1, 2}, 0, surface), element(kTriangle, {0, 2, 3}, 0, surface),
                element(kBeam, {2, 4}, 1, runner)};
  RebuildAfterRead(m);
  return m;
}

struct InterpreterBench {
  InterpreterState state;
  MeshModel model;
  AnalysisSettings analysis;
  Selection selection;
  DrawingTables tables;
  std::string model_path;
  int current_property = 0;
  CommandContext ctx;
  std::vector<std::string> journal;
  std::vector<int> pick_modes;   // pick modes the commands asked for
  std::vector<int> menus;        // choice menus offered
  std::vector<std::string> boxes;  // message boxes shown
  PaneCapture panes;

  explicit InterpreterBench(MeshModel m = PlateWithBeam()) : model(std::move(m)) {
    BuildDrawingTables(model, DrawingOptions{}, tables);
    ClassifyOutlines(tables, model, kOutlineAngle);
    ctx.state = &state;
    ctx.model = &model;
    ctx.analysis = &analysis;
    ctx.selection = &selection;
    ctx.tables = &tables;
    ctx.model_path = &model_path;
    ctx.current_property = &current_property;
    ctx.journal = [this](const std::string& line) { journal.push_back(line); };
    ctx.hooks.set_pick_mode = [this](int mode) { pick_modes.push_back(mode); };
    ctx.hooks.choice_menu = [this](int menu) { menus.push_back(menu); };
    ctx.hooks.message_box = [this](const std::string& text) { boxes.push_back(text); };
  }

  void Start(int code) { RunCommand(ctx, code); }
  void Enter(const std::string& text) { TakeCommandLine(ctx, text); }

  // A click on node `index` (0-based) in Vertex mode.
  void PickNode(int index) {
    selection.hovered_node = index;
    ToggleSelectedNode(selection, index);
    FeedPickToCommand(ctx);
  }

  // A click on the facet of element `element` (0-based) in Facet mode.
  void PickFacetOf(int element) {
    for (size_t f = 0; f < tables.facets.size(); ++f) {
      if (tables.facets[f].element != element) continue;
      ToggleSorted(selection.facets, static_cast<int>(f));
      selection.last_facet = static_cast<int>(f);
      FeedPickToCommand(ctx);
      return;
    }
  }

  // A right click: the command ends and the selection is emptied.
  void RightClick() {
    EndCommand(ctx);
    ClearSelection(selection);
  }

  const std::vector<std::string>& Out() const { return panes.output; }
  const std::vector<std::string>& In() const { return panes.input; }
  std::string LastIn() const { return panes.input.empty() ? std::string() : panes.input.back(); }
};

}  // namespace kv
