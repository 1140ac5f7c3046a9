// The command interpreter driven through its steps with typed answers and
// simulated picks: prompts, printed lines and the model afterwards.
#include <cmath>
#include <cstdio>
#include <filesystem>

#include <gtest/gtest.h>

#include "gui/shell/core/answer_parsing.h"
#include "gui/shell/core/command_ids.h"
#include "gui/shell/tests/interpreter_test_util.h"
#include "solver/input/input_readers.h"

namespace kv {
namespace {

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  for (const std::string& l : lines)
    if (l == line) return true;
  return false;
}

void ExpectNode(const MeshModel& m, int index, float x, float y, float z) {
  ASSERT_LT(index, static_cast<int>(m.nodes.size()));
  EXPECT_NEAR(m.nodes[index].x, x, 1e-6) << "node " << index + 1;
  EXPECT_NEAR(m.nodes[index].y, y, 1e-6) << "node " << index + 1;
  EXPECT_NEAR(m.nodes[index].z, z, 1e-6) << "node " << index + 1;
}

TEST(AnswerParsing, IntegersRealsTriplesAndYesNo) {
  EXPECT_EQ(ParseIntegerAnswer("", 7), 7);
  EXPECT_EQ(ParseIntegerAnswer("12abc", 7), 12);
  EXPECT_EQ(ParseIntegerAnswer("abc", 7), 0);
  EXPECT_EQ(ParseIntegerAnswer("99999999999999", 7), 0);
  EXPECT_DOUBLE_EQ(ParseRealAnswer("", 1.5), 1.5);
  EXPECT_DOUBLE_EQ(ParseRealAnswer("2.5e-3 mm", 1.5), 2.5e-3);
  EXPECT_DOUBLE_EQ(ParseRealAnswer("x", 1.5), 0.0);
  EXPECT_DOUBLE_EQ(ParseRealAnswer("1e999", 1.5), 0.0);
  const double d[3] = {1, 2, 3};
  double t[3];
  ParseTripleAnswer("4, 5, 6", d, t);
  EXPECT_EQ(t[0] + t[1] * 10 + t[2] * 100, 4 + 50 + 600);
  ParseTripleAnswer("4 5 6", d, t);
  EXPECT_EQ(t[2], 6);
  ParseTripleAnswer("4, 5", d, t);  // one separator: the defaults
  EXPECT_EQ(t[0], 1);
  ParseTripleAnswer("7 8 9 10", d, t);  // first and last blank: "8 9" reads 8
  EXPECT_EQ(t[0], 7);
  EXPECT_EQ(t[1], 8);
  EXPECT_EQ(t[2], 10);
  EXPECT_TRUE(ParseYesNoAnswer("", true));
  EXPECT_FALSE(ParseYesNoAnswer("", false));
  EXPECT_TRUE(ParseYesNoAnswer("yes", false));
  EXPECT_TRUE(ParseYesNoAnswer("ok", false));
  EXPECT_FALSE(ParseYesNoAnswer("Nope", true));
  EXPECT_FALSE(ParseYesNoAnswer("sure NOT", true));  // only the letter n decides
  EXPECT_TRUE(IsAllAnswer(" ALL "));
  EXPECT_FALSE(IsAllAnswer("alls"));
  std::vector<int> n;
  EXPECT_TRUE(ParseNumberList("3 4, 7", &n));
  EXPECT_EQ(n, (std::vector<int>{3, 4, 7}));
  EXPECT_FALSE(ParseNumberList("3 x", &n));
  EXPECT_FALSE(ParseNumberList("", &n));
}

// The rubber line joins the first node of a pair and the hovered node, from
// the first pick until the pair is complete, for the four commands that
// pick pairs, and for no other.
TEST(Measure, RubberLineFromTheFirstNodeToTheHoveredOne) {
  int ends[2] = {-1, -1};
  for (int code : {8, 29}) {
    SCOPED_TRACE(code);
    InterpreterBench b;
    b.Start(code);
    b.selection.hovered_node = 3;
    EXPECT_FALSE(RubberLineNodes(b.ctx, ends));  // nothing held yet
    b.PickNode(0);
    b.selection.hovered_node = 3;
    ASSERT_TRUE(RubberLineNodes(b.ctx, ends));
    EXPECT_EQ(ends[0], 0);
    EXPECT_EQ(ends[1], 3);
    b.selection.hovered_node = 0;  // back on the first node: no line
    EXPECT_FALSE(RubberLineNodes(b.ctx, ends));
    b.PickNode(2);
    b.selection.hovered_node = 3;
    EXPECT_FALSE(RubberLineNodes(b.ctx, ends));  // pair complete, command starts again
  }
  for (int code : {10, 20}) {
    SCOPED_TRACE(code);
    InterpreterBench b;
    b.Start(code);
    if (code == 20) b.Enter("all");  // Move asks for the elements first
    b.selection.hovered_node = 4;
    EXPECT_FALSE(RubberLineNodes(b.ctx, ends));
    b.PickNode(1);
    b.selection.hovered_node = 4;
    ASSERT_TRUE(RubberLineNodes(b.ctx, ends));
    EXPECT_EQ(ends[0], 1);
    EXPECT_EQ(ends[1], 4);
    b.PickNode(4);
    EXPECT_FALSE(RubberLineNodes(b.ctx, ends));  // the direction is complete
  }
  // Radius picks three nodes but shows no line; nor does an idle interpreter.
  InterpreterBench b;
  b.Start(9);
  b.PickNode(0);
  b.selection.hovered_node = 3;
  EXPECT_FALSE(RubberLineNodes(b.ctx, ends));
  b.RightClick();
  b.selection.hovered_node = 3;
  EXPECT_FALSE(RubberLineNodes(b.ctx, ends));
}

TEST(Measure, DistanceByPicksPrintsTheFourLinesAndStartsAgain) {
  InterpreterBench b;
  b.Start(8);
  EXPECT_EQ(b.LastIn(), "Select node #1:");
  EXPECT_EQ(b.pick_modes.back(), kPickVertex);
  EXPECT_EQ(b.state.expected, kExpectNode);
  b.PickNode(0);
  EXPECT_EQ(b.LastIn(), "Select node #2:");
  EXPECT_EQ(b.state.cursor_node, 2);
  b.PickNode(2);
  EXPECT_TRUE(Has(b.Out(), "From vertex (x, y, z): +0.000000, +0.000000, +0.000000"));
  EXPECT_TRUE(Has(b.Out(), "To vertex (x, y, z):   +1.000000, +1.000000, +0.000000"));
  EXPECT_TRUE(Has(b.Out(), "Delta (dx, dy, dz):    +1.000000, +1.000000, +0.000000"));
  EXPECT_EQ(b.Out().back(), "Distance: 1.414214");
  EXPECT_EQ(b.LastIn(), "Enter node #1:");
  EXPECT_EQ(b.state.step, 0);
  EXPECT_TRUE(b.selection.nodes.empty());
  // The next pick continues at step 1; typed numbers work the same way.
  b.Enter("5");
  b.Enter("2");
  EXPECT_EQ(b.Out().back(), "Distance: 1.414214");
  // Out of range and non-numeric answers repeat the prompt.
  b.Enter("9");
  EXPECT_EQ(b.LastIn(), "Enter node #1:");
  b.Enter("x");
  EXPECT_EQ(b.state.step, 0);
  b.RightClick();
  EXPECT_EQ(b.LastIn(), "Done.");
  EXPECT_EQ(b.state.command, 0);
}

TEST(Measure, RadiusAngleAndArea) {
  InterpreterBench b;
  b.Start(9);
  b.Enter("1");
  EXPECT_EQ(b.LastIn(), "Select second node:");
  b.Enter("2");
  EXPECT_EQ(b.LastIn(), "Select third node:");
  b.Enter("3");
  EXPECT_EQ(b.Out().back(), "Radius: 0.707107");  // half the diagonal of the unit square
  EXPECT_EQ(b.state.step, 0);

  // Angle between two typed directions, then between two picked vectors.
  b.Start(10);
  EXPECT_EQ(b.LastIn(), "Enter direction #1 (0.0, 0.0, 0.0):");
  b.Enter("1, 0, 0");
  EXPECT_EQ(b.LastIn(), "Enter direction #2 (0.0, 0.0, 0.0):");
  b.Enter("1, 1, 0");
  EXPECT_EQ(b.Out().back(), "Angle: 45.000016 degrees");  // 45 deg with the factor 57.2958
  EXPECT_EQ(b.LastIn(), "Enter direction #1 (0.0, 0.0, 0.0):");
  b.PickNode(0);
  b.PickNode(1);  // (1, 0, 0)
  EXPECT_EQ(b.In()[b.In().size() - 2], "1, 0, 0");
  b.PickNode(2);
  b.PickNode(4);  // (0, 0, 1)
  EXPECT_EQ(b.Out().back(), "Angle: 90.000032 degrees");
  b.Enter("");
  b.Enter("1, 0, 0");
  EXPECT_EQ(b.Out().back(), "Angle: undefined, a direction has zero length.");

  // Area of the selected faces; none selected ends the command.
  b.Start(11);
  EXPECT_EQ(b.LastIn(), "Select faces to measure area:");
  EXPECT_EQ(b.pick_modes.back(), kPickSurface);
  b.PickFacetOf(0);
  b.Enter("");
  EXPECT_EQ(b.Out().back(), "Surface area: 5.000000E-001");
  b.PickFacetOf(0);
  b.PickFacetOf(1);
  b.Enter("");
  EXPECT_EQ(b.Out().back(), "Surface area: 1.000000E+000");
  b.Enter("");
  EXPECT_EQ(b.LastIn(), "Done.");
  EXPECT_EQ(b.state.command, 0);
}

TEST(Measure, ProjectedAreaCountsThePixelsOffTheBackground) {
  InterpreterBench b;
  b.Start(12);
  EXPECT_EQ(b.Out().back(), "Projected Area: no view to measure.");
  b.ctx.hooks.read_view = [](ViewPicture* p) {
    p->width = 4;
    p->height = 2;
    p->rgb.assign(4 * 2 * 3, 1.0f);
    p->rgb[0] = 0.5f;  // two pixels of model
    p->rgb[9 + 2] = 0.0f;
    p->pixel_area = 0.25;
    return true;
  };
  b.Start(12);
  EXPECT_EQ(b.Out()[b.Out().size() - 2], "Using current orientation.");
  EXPECT_EQ(b.Out().back(), "Projected Area: 0.500000");
  EXPECT_EQ(b.state.command, 12);  // stays selected
}

TEST(Query, NodeFaceAndElementLines) {
  InterpreterBench b;
  b.Start(2);
  EXPECT_EQ(b.LastIn(), "Select node:");
  b.PickNode(4);
  EXPECT_EQ(b.Out()[b.Out().size() - 2], "Node: 5");
  EXPECT_EQ(b.Out().back(), "Coordinates: x = 1.0000, y = 1.0000, z = 1.0000");
  EXPECT_EQ(b.state.step, 0);
  b.Start(3);
  EXPECT_EQ(b.LastIn(), "Enter element:");
  b.PickFacetOf(1);
  ASSERT_GE(b.Out().size(), 3u);
  EXPECT_EQ(b.Out()[b.Out().size() - 3], "Face: 2");
  EXPECT_EQ(b.Out()[b.Out().size() - 2], "Topology: 1 3 4");
  EXPECT_EQ(b.Out().back(), "Normal: x = 0.0000, y = 0.0000, z = -1.0000");
  b.Start(4);
  EXPECT_EQ(b.LastIn(), "Select element:");
  b.Enter("1");
  EXPECT_EQ(b.Out()[b.Out().size() - 3], "Element: 1");
  EXPECT_EQ(b.Out()[b.Out().size() - 2], "Normal: 0.000000, 0.000000, -1.000000");
  EXPECT_EQ(b.Out().back(), "Topology: 1 2 3");
  b.Enter("4");  // out of range: asked again
  EXPECT_EQ(b.LastIn(), "Select element:");
  b.Enter("");
  EXPECT_EQ(b.LastIn(), "Done.");
  // Properties > Query > Element makes the element's property current.
  b.Start(31);
  b.Enter("3");
  EXPECT_EQ(b.current_property, 1);
}

TEST(Create, NodesByEveryMethod) {
  InterpreterBench b;
  b.Start(23);
  EXPECT_EQ(b.LastIn(), "Method? [0 - Key In, 1 - Offset, 2 - Between, 3 - Center]: (0)");
  EXPECT_EQ(b.menus.back(), 223);
  b.Enter("");
  EXPECT_EQ(b.LastIn(), "Enter coordinates (0.0, 0.0, 0.0):");
  b.Enter("0.5, 0.25, 2");
  ExpectNode(b.model, 5, 0.5f, 0.25f, 2.0f);
  EXPECT_EQ(b.LastIn(), "Enter coordinates (0.0, 0.0, 0.0):");  // loops with "0"
  b.Start(23);
  b.Enter("1");
  EXPECT_EQ(b.LastIn(), "Select node #1:");
  b.PickNode(1);
  EXPECT_EQ(b.LastIn(), "Enter offset (0.0, 0.0, 0.0):");
  EXPECT_EQ(b.state.expected, kExpectVector);
  b.Enter("0, 0, 1");
  ExpectNode(b.model, 6, 1, 0, 1);
  b.Start(23);
  b.Enter("2");
  b.Enter("1");
  b.Enter("3");
  ExpectNode(b.model, 7, 0.5f, 0.5f, 0);
  // Centre of three points; collinear points create nothing and wait.
  b.Start(23);
  b.Enter("3");
  b.Enter("2");
  b.Enter("4");
  EXPECT_EQ(b.LastIn(), "Select node #3:");
  b.Enter("5");
  // Circumcentre of (1,0,0) (0,1,0) (1,1,1): in their plane x + y - z = 1 and
  // sqrt(6)/3 from each; stored through "%f, %f, %f".
  ExpectNode(b.model, 8, 0.666667f, 0.666667f, 0.333333f);
  const size_t nodes = b.model.nodes.size();
  b.Enter("1");
  b.Enter("2");
  b.Enter("10");  // (0,0,0) (1,0,0) (2,0,0)? node 10 does not exist: asked again
  EXPECT_EQ(b.LastIn(), "Select node #3:");
  b.Start(23);
  b.Enter("0");
  b.Enter("2, 0, 0");
  b.Start(23);
  b.Enter("3");
  b.Enter("1");
  b.Enter("2");
  b.Enter(std::to_string(b.model.nodes.size()));
  EXPECT_EQ(b.model.nodes.size(), nodes + 1);  // only the keyed node was added
  EXPECT_EQ(b.LastIn(), "Select node #1:");
}

TEST(Create, ElementsWithTheCurrentProperty) {
  InterpreterBench b;
  b.current_property = 0;
  b.Start(24);
  EXPECT_EQ(b.LastIn(),
            "Type of element? [0 - Beam, 1 - Triangle, 2 - Quadrangle, 3 - Tetrahedra, 4 - Prism, 5 - Hexahedra]: (0)");
  EXPECT_EQ(b.menus.back(), 266);
  b.Enter("1");
  EXPECT_EQ(b.LastIn(), "Select node #1:");
  b.Enter("2");
  b.Enter("2");  // the same node twice: asked again
  EXPECT_EQ(b.LastIn(), "Select node #2:");
  b.Enter("5");
  EXPECT_EQ(b.LastIn(), "Select node #3:");
  b.Enter("3");
  ASSERT_EQ(b.model.elements.size(), 4u);
  const Element& e = b.model.elements[3];
  EXPECT_EQ(e.type, kTriangle);
  EXPECT_EQ(e.nodes[0], 1);
  EXPECT_EQ(e.nodes[1], 4);
  EXPECT_EQ(e.nodes[2], 2);
  EXPECT_EQ(e.property, 0);
  EXPECT_EQ(e.category, kPartSurface);
  EXPECT_FLOAT_EQ(e.thickness, 0.002f);
  EXPECT_EQ(b.model.faces.size(), 3u);  // derived data rebuilt
  EXPECT_EQ(b.tables.facets.size(), 3u);
  EXPECT_EQ(b.LastIn(), "Select node #1:");  // loops with the same type
  // A beam gets the 2 mm diameter.
  b.Start(24);
  b.Enter("0");
  b.Enter("1");
  b.Enter("5");
  ASSERT_EQ(b.model.elements.size(), 5u);
  EXPECT_EQ(b.model.elements[4].type, kBeam);
  EXPECT_FLOAT_EQ(b.model.elements[4].diameter, 0.002f);
  // A type outside 0..5 is asked again.
  b.Start(24);
  b.Enter("9");
  EXPECT_EQ(b.state.step, 0);
}

TEST(Edit, DeleteMergeThicknessAndReverse) {
  InterpreterBench b;
  b.Start(28);
  EXPECT_EQ(b.LastIn(), "Select elements to delete:");
  b.PickFacetOf(0);
  b.Enter("");
  EXPECT_EQ(b.LastIn(), "Delete 1 elements? [yes/no] (yes):");
  EXPECT_EQ(b.menus.back(), 260);
  b.Enter("no");
  EXPECT_EQ(b.model.elements.size(), 3u);
  EXPECT_EQ(b.LastIn(), "Select elements to delete:");  // loops
  b.PickFacetOf(0);
  b.Enter("");
  b.Enter("");
  ASSERT_EQ(b.model.elements.size(), 2u);
  EXPECT_EQ(b.model.elements[0].nodes[2], 3);  // the second triangle moved up
  EXPECT_EQ(b.model.faces.size(), 1u);

  InterpreterBench m;
  m.Start(29);
  m.Enter("4");
  EXPECT_EQ(m.LastIn(), "Select node #2:");
  m.Enter("5");
  ExpectNode(m.model, 3, 1, 1, 1);
  EXPECT_EQ(m.LastIn(), "Enter node #1:");

  InterpreterBench t;
  t.Start(25);
  EXPECT_EQ(t.LastIn(), "Select elements to modify:");
  t.Enter("all");
  EXPECT_EQ(t.LastIn(), "Enter thickness increase:");
  t.Enter("0.001");
  ASSERT_EQ(t.model.properties.size(), 4u);  // one new property per part-surface element
  EXPECT_FLOAT_EQ(t.model.properties[2].thickness, 0.003f);
  EXPECT_EQ(t.model.elements[0].property, 2);
  EXPECT_EQ(t.model.elements[1].property, 3);
  EXPECT_FLOAT_EQ(t.model.elements[1].thickness, 0.003f);
  EXPECT_EQ(t.model.elements[2].property, 1);  // the runner is no part surface
  t.Enter("all");
  t.Enter("-1");  // no wall of negative thickness
  EXPECT_EQ(t.Out().back(), "Thickness not changed for 2 elements: it would not be positive.");
  EXPECT_FLOAT_EQ(t.model.elements[1].thickness, 0.003f);

  InterpreterBench r;
  r.Start(26);
  r.PickFacetOf(0);
  r.Enter("");
  EXPECT_EQ(r.model.elements[0].nodes[0], 1);
  EXPECT_EQ(r.model.elements[0].nodes[1], 0);
  EXPECT_FLOAT_EQ(r.model.elements[0].normal[2], 1.0f);
  EXPECT_FLOAT_EQ(r.model.elements[1].normal[2], -1.0f);
  EXPECT_EQ(r.LastIn(), "Done.");
}

TEST(Transform, ScaleMoveRotateReflect) {
  InterpreterBench s;
  s.Start(19);
  EXPECT_EQ(s.LastIn(), "Select elements to scale [all]:");
  EXPECT_EQ(s.pick_modes.back(), kPickShell);
  s.Enter("all");
  EXPECT_EQ(s.LastIn(), "Enter point to scale about (0.0, 0.0, 0.0):");
  s.PickNode(1);  // about (1, 0, 0)
  EXPECT_EQ(s.LastIn(), "Uniform? [yes/no] (yes):");
  s.Enter("");
  EXPECT_EQ(s.LastIn(), "Enter scale (1.0):");
  s.Enter("2");
  ExpectNode(s.model, 4, 1, 2, 2);
  ExpectNode(s.model, 0, -1, 0, 0);
  EXPECT_EQ(s.LastIn(), "Done.");
  s.Start(19);
  s.Enter("all");
  s.Enter("");
  s.Enter("no");
  EXPECT_EQ(s.LastIn(), "Enter scale (1.0, 1.0, 1.0):");
  s.Enter("1, 0.5, 0.25");
  ExpectNode(s.model, 4, 1, 1, 0.5f);

  InterpreterBench m;
  m.Start(20);
  m.Enter("ALL");
  EXPECT_EQ(m.LastIn(), "Enter direction (0.0, 0.0, 0.0):");
  m.Enter("0, 0, 2");
  EXPECT_EQ(m.LastIn(), "Enter distance along vector (2.0000)");
  m.Enter("");
  EXPECT_EQ(m.LastIn(), "Create copies? [yes/no] (no):");
  m.Enter("");  // no copies: straight on
  ExpectNode(m.model, 4, 1, 1, 3);
  EXPECT_EQ(m.LastIn(), "Done.");
  m.Start(20);
  m.PickFacetOf(0);
  m.Enter("");
  m.Enter("1, 0, 0");
  m.Enter("0.5");
  m.Enter("yes");
  EXPECT_EQ(m.LastIn(), "Enter number of copies? (1):");
  m.Enter("2");
  ASSERT_EQ(m.model.elements.size(), 5u);
  ASSERT_EQ(m.model.nodes.size(), 11u);
  ExpectNode(m.model, 8, 1.0f, 0, 2);  // second copy of node 1: 2 x 0.5 along x
  EXPECT_EQ(m.model.elements[4].property, 0);

  InterpreterBench r;
  r.Start(21);
  r.Enter("all");
  EXPECT_EQ(r.LastIn(), "Enter pivot point (0.0, 0.0, 0.0):");
  r.Enter("");
  EXPECT_EQ(r.LastIn(), "Enter rotation axis (0.0, 0.0, 1.0):");
  r.Enter("");
  EXPECT_EQ(r.LastIn(), "Enter rotation (90.0):");
  r.Enter("");
  r.Enter("");
  ExpectNode(r.model, 1, 0, 1, 0);
  ExpectNode(r.model, 4, -1, 1, 1);
  r.Start(21);
  r.Enter("all");
  r.Enter("0, 0, 0");
  r.Enter("1, 0, 0");
  r.Enter("180");
  r.Enter("y");
  r.Enter("");
  ASSERT_EQ(r.model.elements.size(), 6u);
  ExpectNode(r.model, 9, -1, -1, -1);  // copy of node 5, turned about x

  InterpreterBench f;
  f.Start(22);
  f.Enter("all");
  f.Enter("0, 0, 0.5");
  EXPECT_EQ(f.LastIn(), "Enter mirror plane [1-XY, 2-YZ, 3-ZX] (1):");
  EXPECT_EQ(f.menus.back(), 262);
  f.Enter("");
  EXPECT_EQ(f.LastIn(), "Create a copy? [yes/no] (no):");
  f.Enter("");
  ExpectNode(f.model, 4, 1, 1, 0);
  ExpectNode(f.model, 0, 0, 0, 1);
  f.Start(22);
  f.Enter("all");
  f.Enter("0.5 0 0");
  f.Enter("2");
  f.Enter("yes");
  ASSERT_EQ(f.model.nodes.size(), 10u);
  ExpectNode(f.model, 5, 1, 0, 1);  // copy of node 1 mirrored in x = 0.5
}

// Coordinates beyond what a node can hold are refused with a message, and
// the model keeps the nodes and elements it had; a run of copies keeps the
// copies that fit.
TEST(Transform, PointsBeyondTheModelRangeAreRefused) {
  InterpreterBench b;
  const MeshModel before = b.model;
  auto same_nodes = [&](const MeshModel& m) {
    if (m.nodes.size() != before.nodes.size()) return false;
    for (size_t i = 0; i < m.nodes.size(); ++i)
      if (m.nodes[i].x != before.nodes[i].x || m.nodes[i].y != before.nodes[i].y ||
          m.nodes[i].z != before.nodes[i].z)
        return false;
    return true;
  };
  b.Start(23);  // key-in node far beyond the float range
  b.Enter("0");
  b.Enter("1e39, 0, 0");
  EXPECT_TRUE(same_nodes(b.model));
  EXPECT_EQ(b.Out().back(), "Coordinates out of range: no node is added.");
  b.RightClick();

  b.Start(19);  // scale by 1e39 about the origin
  b.Enter("all");
  b.Enter("");
  b.Enter("");
  b.Enter("1e39");
  EXPECT_TRUE(same_nodes(b.model));
  EXPECT_EQ(b.Out().back(), "Coordinates out of range: the nodes are not moved.");

  b.Start(21);  // turning about a pivot far away throws the nodes out of range
  b.Enter("all");
  b.Enter("3e38, 0, 0");
  b.Enter("");
  b.Enter("180");
  b.Enter("");
  EXPECT_TRUE(same_nodes(b.model));

  b.Start(20);  // three copies 2e38 apart: the first fits, the second does not
  b.Enter("all");
  b.Enter("1, 0, 0");
  b.Enter("2e38");
  b.Enter("yes");
  b.Enter("3");
  EXPECT_EQ(b.model.elements.size(), 2 * before.elements.size());
  EXPECT_EQ(b.model.nodes.size(), 2 * before.nodes.size());
  EXPECT_EQ(b.Out().back(), "Coordinates out of range: the nodes are not moved.");
  for (const Node& n : b.model.nodes) EXPECT_TRUE(std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z));
}

TEST(Boundary, RecordsAndFilesTheSolverReads) {
  InterpreterBench b;
  b.Start(14);
  EXPECT_EQ(b.LastIn(), "Enter node(s):");
  b.PickNode(1);
  EXPECT_TRUE(Has(b.Out(), "Node: 2"));
  EXPECT_EQ(b.boxes, (std::vector<std::string>{"Data was not stored.", "Data was not stored."}));
  EXPECT_EQ(b.analysis.node_boundaries.size(), 1u);  // kept in memory
  EXPECT_EQ(b.analysis.inlet_count, 1);

  const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "kv_interpreter_boundary";
  std::filesystem::create_directories(dir);
  InterpreterBench w;
  w.model_path = (dir / "job.m2D").string();
  w.Start(13);
  EXPECT_EQ(w.LastIn(), "Enter surface(s):");
  w.PickNode(0);
  EXPECT_TRUE(Has(w.Out(), "Facet: 1"));
  EXPECT_TRUE(Has(w.Out(), "Writing file: " + (dir / "job.bcd").string()));
  w.Start(14);
  w.PickNode(2);
  EXPECT_TRUE(Has(w.Out(), "Writing file: " + (dir / "job.inj").string()));
  ASSERT_EQ(w.analysis.node_boundaries.size(), 2u);
  EXPECT_EQ(w.analysis.node_boundaries[0].type, kPotentialInletNode);
  EXPECT_EQ(w.analysis.node_boundaries[1].type, kInletNode);
  EXPECT_EQ(w.analysis.node_boundaries[1].entity, 2);
  w.Start(15);
  EXPECT_EQ(w.LastIn(), "Enter face(s):");
  w.PickFacetOf(1);
  w.Start(16);
  w.PickFacetOf(0);
  EXPECT_TRUE(Has(w.Out(), "Face: 1"));
  ASSERT_EQ(w.analysis.face_boundaries.size(), 2u);
  EXPECT_EQ(w.analysis.face_boundaries[0].identifier, 1);  // the inlet count before it
  EXPECT_EQ(w.analysis.face_boundaries[0].entity, 1);
  EXPECT_EQ(w.analysis.face_boundaries[1].type, kOutletFace);
  EXPECT_EQ(w.analysis.inlet_count, 2);
  EXPECT_TRUE(w.boxes.empty());

  // The solver's readers take the files as written.
  SolverOutput out;
  out.console = std::tmpfile();
  ASSERT_NE(out.console, nullptr);
  std::vector<int> inlets, potential;
  std::vector<SolverInjection> injections;
  std::string error;
  EXPECT_EQ(ReadBoundaryFile(out, (dir / "job.bcd").string(), inlets, potential, error), kInputRead) << error;
  EXPECT_EQ(inlets, std::vector<int>{2});
  EXPECT_EQ(potential, std::vector<int>{0});
  EXPECT_EQ(ReadInjectionFile(out, (dir / "job.inj").string(), injections, error), kInputRead) << error;
  EXPECT_EQ(injections.size(), 2u);
  std::fclose(out.console);

  // Deleting the element under the inlet face drops that record; the outlet
  // record follows its face to its new number.
  w.Start(28);
  w.Enter("2");
  w.Enter("");
  ASSERT_EQ(w.analysis.face_boundaries.size(), 1u);
  EXPECT_EQ(w.analysis.face_boundaries[0].type, kOutletFace);
  EXPECT_EQ(w.analysis.face_boundaries[0].entity, 0);
}

TEST(Properties, AssignToSelectionAndToAll) {
  InterpreterBench b;
  b.current_property = 1;  // the cold runner
  b.Start(17);
  EXPECT_EQ(b.LastIn(), "Select elements:");
  b.PickFacetOf(0);
  b.Enter("");
  EXPECT_EQ(b.Out().back(), "Property assigned to 1 elements.");
  EXPECT_EQ(b.model.elements[0].category, kColdRunner);
  EXPECT_EQ(b.model.elements[0].property, 1);
  EXPECT_EQ(b.model.elements[1].property, 0);
  EXPECT_EQ(b.state.step, 0);
  b.current_property = 0;
  b.Start(18);
  EXPECT_EQ(b.Out().back(), "Property assigned to 3 elements.");
  EXPECT_EQ(b.model.elements[0].property, 0);
  EXPECT_EQ(b.model.elements[2].property, 0);  // the beam takes the category and diameter 0
  EXPECT_EQ(b.model.elements[2].category, kPartSurface);
  EXPECT_EQ(b.LastIn(), "Done.");
  b.current_property = 7;  // no such property
  b.Start(18);
  EXPECT_EQ(b.Out().back(), "No property is current.");
  EXPECT_EQ(b.state.command, 0);
}

// Every command on an empty model and on the plate, with answers of every
// kind and right clicks half-way: nothing crashes, the model stays valid.
TEST(Robustness, BadAnswersEmptyModelsAndRightClicks) {
  const int codes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18,
                       19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 99, -1};
  const std::vector<std::string> answers = {"", "abc", "-5", "99999999999", "1", "all", "0, 0, 0",
                                            "yes", "no", "3", "1e308, 1e308, 1e308", "nan", "2", "5"};
  for (int empty = 0; empty < 2; ++empty) {
    for (int code : codes) {
      for (size_t stop = 1; stop <= answers.size(); stop += 4) {
        InterpreterBench b(empty ? MeshModel{} : PlateWithBeam());
        b.current_property = empty ? -1 : 0;
        b.Start(code);
        for (size_t i = 0; i < stop; ++i) {
          b.Enter(answers[(i + code) % answers.size()]);
          if (!empty && i % 3 == 1) b.PickNode(static_cast<int>(i % 5));
          if (!empty && i % 3 == 2) b.PickFacetOf(static_cast<int>(i % 2));
        }
        b.RightClick();
        EXPECT_EQ(b.state.command, 0);
        EXPECT_TRUE(b.selection.nodes.empty());
        for (const Element& e : b.model.elements)
          for (int i = 0; i < e.node_count; ++i) ASSERT_LT(e.nodes[i], static_cast<int>(b.model.nodes.size()));
      }
    }
  }
}

TEST(Interpreter, MenuCommandsStartTheirCodes) {
  EXPECT_EQ(InterpretedCommandOf(kCmdDistance), 8);
  EXPECT_EQ(InterpretedCommandOf(kCmdCreateElement), 24);
  EXPECT_EQ(InterpretedCommandOf(kCmdReflect), 22);
  EXPECT_EQ(InterpretedCommandOf(kCmdPropertyQueryElement), 31);
  EXPECT_EQ(InterpretedCommandOf(kCmdZoomAll), 0);
  // EndCommand without a running command prints nothing.
  InterpreterBench b;
  b.RightClick();
  EXPECT_TRUE(b.In().empty());
}

}  // namespace
}  // namespace kv
