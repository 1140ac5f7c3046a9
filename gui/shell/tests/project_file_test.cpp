// The project file: the layout byte for byte, save -> open -> save identity on
// the example plate with every kind of table filled, damaged files refused
// without touching the open model, and failed saves that keep the old file.
#include "gui/shell/core/project_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "common/mesh/native_mesh_file.h"
#include "common/output/pane_output.h"
#include "mesh/engine/rebuild.h"

namespace kv {
namespace {

struct Project {
  MeshModel mesh;
  AnalysisSettings analysis;
  ResultSet results;
  ProjectTables tables() { return {&mesh, &analysis, &results}; }
};

// A small project by hand: two properties, four nodes, one face, two
// elements, boundary records, an injection unit and three result entries.
Project SmallProject() {
  Project p;
  p.mesh.properties = {{1, kPartSurface, "Part surface", 0.002f, 0.0f, 0.5f},
                       {2, kColdRunner, "Cold runner", 0.0f, 0.004f, 1.0f}};
  p.mesh.nodes = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  FaceRecord f;
  f.nodes[0] = 0, f.nodes[1] = 1, f.nodes[2] = 2;
  f.element = 0;
  f.centroid[0] = 0.25f;
  f.normal[2] = 1.0f;
  f.region = 3;
  p.mesh.faces = {f};
  Element tri;
  tri.type = kTriangle;
  tri.category = kPartSurface;
  tri.property = 0;
  tri.node_count = 3;
  tri.nodes[0] = 0, tri.nodes[1] = 1, tri.nodes[2] = 2, tri.nodes[5] = 77;  // slot beyond the count kept
  tri.thickness = 0.002f;
  tri.facet_count = 1;
  tri.facets[0] = 0;
  Element beam;
  beam.type = kBeam;
  beam.category = kColdRunner;
  beam.property = 1;
  beam.node_count = 2;
  beam.nodes[0] = 0, beam.nodes[1] = 3;
  beam.diameter = 0.004f;
  beam.visible = 0;
  p.mesh.elements = {tri, beam};
  p.analysis.parameters.layers = 8;
  p.analysis.parameters.inertia = 1;
  p.analysis.material.name = "Polymer A";
  p.analysis.material.melt_density = 940.5f;
  p.analysis.material.tau_star = 31000.0f;
  p.analysis.material.conductivity_spare = 7.0f;
  p.analysis.process.clamp_force = 250000.0f;
  p.analysis.process.gravity[1] = -9.81f;
  p.analysis.node_boundaries = {{0, kInletNode, 3}, {1, kPotentialInletNode, 2}};
  p.analysis.face_boundaries = {{4, kOutletFace, 0}};
  InjectionUnit unit = DefaultInjectionUnit();
  unit.screw_diameter = 0.03f;
  unit.valve_timer[5][1] = 12.5f;
  p.analysis.injection_units = {unit};
  BuildPropertyResults(p.results, p.mesh);
  ResultEntry hl;
  hl.name = "Clamp force centroid";
  hl.unit = "m";
  hl.location = kHighlightResult;
  hl.highlights = {{{1, 2, 3, 4, 5, 6}}};
  hl.items.resize(1);
  hl.items[0].values[7] = -1.0f;
  hl.variable_name[0] = "Time";
  hl.variable_unit[0] = "s";
  hl.variable_value[0] = 0.5f;
  hl.label_kind = 1;
  BuildResultLabels(hl);
  p.results.entries.push_back(hl);
  p.results.current = 2;
  return p;
}

int32_t IntAt(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24);
}
float RealAt(const std::vector<uint8_t>& b, size_t at) {
  const int32_t bits = IntAt(b, at);
  float v;
  std::memcpy(&v, &bits, 4);
  return v;
}

TEST(ProjectFile, LayoutOfASmallProject) {
  Project p = SmallProject();
  const std::vector<uint8_t> b = EncodeProject(p.tables());
  // Header: 80 + 4 + 5 + 80 + 4 bytes.
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data())), "KAVITRON");
  EXPECT_EQ(b[79], 0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + 80), 4), "2012");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + 84)), "beta");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + 89)), "Norvale Solutions");
  EXPECT_EQ(IntAt(b, 169), 0);
  size_t at = 173;
  // Properties: count, then 256-byte name, category, identifier, three reals.
  EXPECT_EQ(IntAt(b, at), 2);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + at + 4)), "Part surface");
  EXPECT_EQ(IntAt(b, at + 4 + 256), kPartSurface);
  EXPECT_EQ(IntAt(b, at + 4 + 260), 1);
  EXPECT_FLOAT_EQ(RealAt(b, at + 4 + 264), 0.002f);
  EXPECT_FLOAT_EQ(RealAt(b, at + 4 + 272), 0.5f);
  at += 4 + 2 * 276;
  // Nodes.
  EXPECT_EQ(IntAt(b, at), 4);
  EXPECT_FLOAT_EQ(RealAt(b, at + 4 + 12 * 3 + 8), 1.0f);  // z of node 4
  at += 4 + 4 * 12;
  // Faces: centroid, owner, node count, eight slots (nodes, then owner and
  // centroid bit patterns), normal, partner, region, shape.
  EXPECT_EQ(IntAt(b, at), 1);
  EXPECT_FLOAT_EQ(RealAt(b, at + 4), 0.25f);
  EXPECT_EQ(IntAt(b, at + 16), 0);
  EXPECT_EQ(IntAt(b, at + 20), 3);
  EXPECT_EQ(IntAt(b, at + 24 + 4), 1);
  EXPECT_EQ(IntAt(b, at + 24 + 16), 0);        // slot 5: the owner
  EXPECT_FLOAT_EQ(RealAt(b, at + 24 + 20), 0.25f);  // slot 6: centroid x
  EXPECT_FLOAT_EQ(RealAt(b, at + 56 + 8), 1.0f);    // normal z
  EXPECT_EQ(IntAt(b, at + 68), -1);
  EXPECT_EQ(IntAt(b, at + 72), 3);
  EXPECT_EQ(IntAt(b, at + 76), 2);
  at += 4 + 76;
  // Elements: centroid, diameter, category, facet count, node count, 8 nodes,
  // property, shape factor, thickness, type, visible, 8 facets.
  EXPECT_EQ(IntAt(b, at), 2);
  const size_t beam = at + 4 + 112;
  EXPECT_FLOAT_EQ(RealAt(b, beam + 12), 0.004f);
  EXPECT_EQ(IntAt(b, beam + 16), kColdRunner);
  EXPECT_EQ(IntAt(b, beam + 24), 2);
  EXPECT_EQ(IntAt(b, beam + 28 + 4), 3);
  EXPECT_EQ(IntAt(b, at + 4 + 28 + 20), 77);
  EXPECT_EQ(IntAt(b, beam + 60), 1);
  EXPECT_EQ(IntAt(b, beam + 72), kBeam);
  EXPECT_EQ(IntAt(b, beam + 76), 0);
  at += 4 + 2 * 112;
  // Solver parameters, material (name and 32 reals), 13 process reals.
  EXPECT_EQ(IntAt(b, at), 8);
  EXPECT_EQ(IntAt(b, at + 16), 1);
  at += 20;
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + at)), "Polymer A");
  EXPECT_FLOAT_EQ(RealAt(b, at + 256 + 4), 940.5f);
  EXPECT_FLOAT_EQ(RealAt(b, at + 256 + 24 * 4), 7.0f);
  EXPECT_FLOAT_EQ(RealAt(b, at + 256 + 31 * 4), 31000.0f);
  at += 256 + 128;
  EXPECT_FLOAT_EQ(RealAt(b, at + 6 * 4), 250000.0f);
  EXPECT_FLOAT_EQ(RealAt(b, at + 8 * 4), -9.81f);
  at += 52;
  // Boundary lists: identifier, entity, type.
  EXPECT_EQ(IntAt(b, at), 2);
  EXPECT_EQ(IntAt(b, at + 4), 0);
  EXPECT_EQ(IntAt(b, at + 8), 3);
  EXPECT_EQ(IntAt(b, at + 12), kInletNode);
  at += 4 + 24;
  EXPECT_EQ(IntAt(b, at), 1);
  EXPECT_EQ(IntAt(b, at + 12), kOutletFace);
  at += 16;
  // One injection unit of 35 reals.
  EXPECT_EQ(IntAt(b, at), 1);
  EXPECT_FLOAT_EQ(RealAt(b, at + 4 + 10 * 4), 0.03f);
  EXPECT_FLOAT_EQ(RealAt(b, at + 4 + 34 * 4), 12.5f);
  at += 4 + 140;
  // Current entry and the result set.
  EXPECT_EQ(IntAt(b, at), 2);
  EXPECT_EQ(IntAt(b, at + 4), 3);
  at += 8;
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + at)), "Thickness [m] -    0");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + at + 100)), "Thickness [m]");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + at + 185 + 160)), "Thickness");
  const size_t ints = at + 425;
  EXPECT_EQ(IntAt(b, ints + 3 * 4), kElementResult);
  EXPECT_EQ(IntAt(b, ints + 4 * 4), kQuantityLength);
  EXPECT_EQ(IntAt(b, ints + 6 * 4), 0);   // no highlights
  EXPECT_EQ(IntAt(b, ints + 28), 2);      // two items
  EXPECT_FLOAT_EQ(RealAt(b, ints + 32), 0.002f);
  EXPECT_EQ(IntAt(b, ints + 32 + 32), 1);  // defined
  EXPECT_EQ(IntAt(b, ints + 32 + 36 + 32), 0);
  const size_t tail = ints + 32 + 72;
  EXPECT_EQ(IntAt(b, tail), 1);  // component count
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + tail + 12), 9), "Thickness");
  // The highlight entry is the last: its record follows the seven integers.
  const size_t last = b.size() - (425 + 28 + 24 + 4 + 36 + 4 + 24);
  EXPECT_EQ(IntAt(b, last + 425 + 24), 1);
  EXPECT_FLOAT_EQ(RealAt(b, last + 425 + 28 + 20), 6.0f);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + b.size() - 16), 16), "Clamp force cent");
}

TEST(ProjectFile, SmallProjectSurvivesEveryTable) {
  Project p = SmallProject();
  const std::vector<uint8_t> first = EncodeProject(p.tables());
  Project q;
  q.analysis.current_material = 5;
  std::string message;
  ASSERT_EQ(DecodeProject(q.tables(), first, message), 1) << message;
  EXPECT_EQ(EncodeProject(q.tables()), first);
  EXPECT_EQ(q.mesh.properties[1].diameter, 0.004f);
  EXPECT_EQ(q.mesh.properties[0].shape_factor, 0.5f);
  EXPECT_EQ(q.mesh.properties[0].name, "Part surface");
  EXPECT_EQ(q.mesh.elements[0].nodes[5], 77);
  EXPECT_EQ(q.mesh.elements[1].visible, 0);
  EXPECT_EQ(q.mesh.elements[1].paired, -1);
  EXPECT_EQ(q.mesh.faces[0].region, 3);
  EXPECT_EQ(q.analysis.material.name, "Polymer A");
  EXPECT_EQ(q.analysis.current_material, -1);  // the database selection is not in a project
  EXPECT_EQ(q.analysis.injection_units[0].valve_timer[5][1], 12.5f);
  EXPECT_EQ(q.analysis.node_boundaries[1].type, kPotentialInletNode);
  EXPECT_EQ(q.results.current, 2);
  EXPECT_EQ(q.results.entries[2].name, "Clamp force centroid");
  EXPECT_EQ(q.results.entries[2].highlights[0].values[5], 6.0f);
  EXPECT_EQ(q.results.entries[2].long_label, p.results.entries[2].long_label);

  // An empty model writes zero counts and current index -1.
  Project empty;
  const std::vector<uint8_t> e = EncodeProject(empty.tables());
  EXPECT_EQ(e.size(), 173u + 4 * 4 + 20 + 384 + 52 + 3 * 4 + 8);
  EXPECT_EQ(IntAt(e, e.size() - 8), -1);
  EXPECT_EQ(IntAt(e, e.size() - 4), 0);
}

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Scratch(const std::string& name) {
  const std::string dir = std::string(::testing::TempDir()) + "kv_project_" + std::to_string(::getpid());
  std::filesystem::create_directories(dir);
  return dir + "/" + name;
}

TEST(ProjectFile, ExamplePlateWrittenReadAndWrittenAgainIsIdentical) {
  Project p;
  std::string error;
  ASSERT_EQ(ReadMeshNative(p.mesh, std::string(KV_SOURCE_DIR) + "/examples/plate/plate.m2D", error), 1) << error;
  {
    PaneCapture quiet;
    RebuildAfterRead(p.mesh);
  }
  BuildPropertyResults(p.results, p.mesh);
  p.analysis.injection_units = {DefaultInjectionUnit()};
  const std::string path = Scratch("plate.sim");
  ASSERT_EQ(WriteProject(p.tables(), path), 1);
  Project q;
  std::string message;
  ASSERT_EQ(ReadProject(q.tables(), path, message), 1) << message;
  EXPECT_EQ(q.mesh.nodes.size(), p.mesh.nodes.size());
  EXPECT_EQ(q.mesh.faces.size(), p.mesh.faces.size());
  for (size_t i = 0; i < p.mesh.properties.size(); ++i) {
    EXPECT_EQ(q.mesh.properties[i].thickness, p.mesh.properties[i].thickness);
    EXPECT_EQ(q.mesh.properties[i].diameter, p.mesh.properties[i].diameter);
  }
  const std::string again = Scratch("plate-again.sim");
  ASSERT_EQ(WriteProject(q.tables(), again), 1);
  EXPECT_EQ(FileBytes(again), FileBytes(path));
  // No scratch file is left beside the targets.
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path())) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 2);
  std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}

// Every refused decode must leave the open model exactly as it was.
void ExpectRefused(const std::vector<uint8_t>& bytes, const std::vector<uint8_t>& open_model, const char* why) {
  Project q = SmallProject();
  std::string message;
  EXPECT_EQ(DecodeProject(q.tables(), bytes, message), 0) << why;
  EXPECT_FALSE(message.empty()) << why;
  EXPECT_EQ(EncodeProject(q.tables()), open_model) << why;
}

TEST(ProjectFile, EveryTruncationIsRefusedAndTheModelKept) {
  Project p = SmallProject();
  const std::vector<uint8_t> good = EncodeProject(p.tables());
  for (size_t n = 0; n < good.size(); ++n) {
    Project q = SmallProject();
    std::string message;
    const std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    ASSERT_EQ(DecodeProject(q.tables(), cut, message), 0) << n;
    ASSERT_EQ(EncodeProject(q.tables()), good) << n;
  }
  std::vector<uint8_t> longer = good;
  longer.push_back(0);
  ExpectRefused(longer, good, "a byte after the result set");
}

TEST(ProjectFile, HugeNegativeAndOutOfRangeValuesAreRefused) {
  Project p = SmallProject();
  const std::vector<uint8_t> good = EncodeProject(p.tables());
  auto with_int = [&](size_t at, int32_t v) {
    std::vector<uint8_t> b = good;
    for (int i = 0; i < 4; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
    return b;
  };
  const size_t properties = 173, nodes = properties + 4 + 2 * 276, faces = nodes + 4 + 4 * 12;
  const size_t elements = faces + 4 + 76, analysis = elements + 4 + 2 * 112;
  const size_t units = analysis + 20 + 384 + 52 + 4 + 24 + 4 + 12;
  const size_t current = units + 4 + 140, entries = current + 4;
  for (size_t at : {properties, nodes, faces, elements, units, entries}) {
    ExpectRefused(with_int(at, 0x7fffffff), good, "huge count");
    ExpectRefused(with_int(at, -1), good, "negative count");
    ExpectRefused(with_int(at, 1 << 28), good, "count beyond the file");
  }
  ExpectRefused(with_int(entries + 4 + 425 + 28, 1 << 30), good, "huge item count");
  ExpectRefused(with_int(entries + 4 + 425 + 24, -5), good, "negative highlight count");
  ExpectRefused(with_int(faces + 4 + 20, 4), good, "face node outside the nodes");
  ExpectRefused(with_int(faces + 4 + 16, 9), good, "face node count");
  ExpectRefused(with_int(faces + 4 + 64, 1), good, "face partner outside the faces");
  ExpectRefused(with_int(faces + 4 + 12, 2), good, "face owner outside the elements");
  ExpectRefused(with_int(elements + 4 + 28, -3), good, "element node");
  ExpectRefused(with_int(elements + 4 + 24, 9), good, "element node count");
  ExpectRefused(with_int(elements + 4 + 60, 2), good, "element property");
  ExpectRefused(with_int(elements + 4 + 72, 0), good, "element type");
  ExpectRefused(with_int(elements + 4 + 80, 1), good, "element facet");
  ExpectRefused(with_int(current, 3), good, "current entry");
  ExpectRefused(with_int(nodes + 4, 0x7fc00000), good, "NaN coordinate");
  ExpectRefused(with_int(analysis + 20 + 256, 0x7f800000), good, "infinite material real");
  std::vector<uint8_t> other = good;
  other[0] = 'X';
  ExpectRefused(other, good, "another header");
  // The counts checked, a mid-file value may still change: the file reads.
  Project q;
  std::string message;
  EXPECT_EQ(DecodeProject(q.tables(), with_int(elements + 4 + 28 + 20, 12345), message), 1) << message;
  EXPECT_EQ(q.mesh.elements[0].nodes[5], 12345);
}

TEST(ProjectFile, FailedSavesKeepTheEarlierFile) {
  Project p = SmallProject();
  const std::string path = Scratch("kept.sim");
  ASSERT_EQ(WriteProject(p.tables(), path), 1);
  const std::vector<uint8_t> before = FileBytes(path);
  p.mesh.nodes.push_back({9, 9, 9});
  // A directory where the file should go: the rename fails, nothing is lost.
  const std::string dir_target = Scratch("occupied.sim");
  std::filesystem::create_directories(dir_target + "/inside");
  EXPECT_EQ(WriteProject(p.tables(), dir_target), 0);
  EXPECT_TRUE(std::filesystem::is_directory(dir_target + "/inside"));
  // A directory that cannot be written: nothing can be created.
  EXPECT_EQ(WriteProject(p.tables(), "/proc/kv-project.sim"), 0);
  if (geteuid() != 0) {
    const std::string dir = std::filesystem::path(path).parent_path().string();
    ASSERT_EQ(chmod(dir.c_str(), 0555), 0);
    EXPECT_EQ(WriteProject(p.tables(), path), 0);
    chmod(dir.c_str(), 0755);
  } else {
    // Root writes into a directory whatever its mode; an immutable target
    // directory is out of reach here, so the earlier file is checked after
    // the failures above instead.
    EXPECT_EQ(WriteProject(p.tables(), std::filesystem::path(path).parent_path().string() + "/no-dir/x.sim"), 0);
  }
  EXPECT_EQ(FileBytes(path), before);
  int scratch_files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
    scratch_files += entry.path().filename().string()[0] == '.';
  EXPECT_EQ(scratch_files, 0);
  std::string message;
  Project q;
  EXPECT_EQ(ReadProject(q.tables(), Scratch("missing.sim"), message), 0);
  std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}

}  // namespace
}  // namespace kv
