#include "fuzz/harnesses.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/analysis/analysis_settings.h"
#include "common/database/databases.h"
#include "common/mesh/native_mesh_file.h"
#include "common/output/pane_output.h"
#include "common/results/cooling_input.h"
#include "common/results/result_reader.h"
#include "gui/shell/core/interpreter.h"
#include "gui/shell/core/journal.h"
#include "gui/shell/core/project_file.h"
#include "gui/view/core/view_settings.h"
#include "mesh/engine/drawing_tables.h"
#include "mesh/engine/rebuild.h"
#include "mesh/exchange/mesh_readers.h"
#include "plotview/core/plot_reader.h"
#include "solver/input/input_readers.h"

namespace kv {
namespace {

// ---- Files: readers take paths, so every input is written to a file in a
// directory of this process (readers that open companions find them there).

const std::string& WorkDirectory() {
  static const std::string dir = [] {
    const char* base = std::getenv("TMPDIR");
    std::filesystem::path p = std::filesystem::path(base && *base ? base : "/tmp") /
                              ("kv_fuzz_" + std::to_string(::getpid()));
    std::filesystem::create_directories(p);
    // Removed at exit; the path is kept apart from this static string,
    // which may be gone by then.
    static const std::string* removed_at_exit = new std::string(p.string());
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(*removed_at_exit, ignored);
    });
    return p.string();
  }();
  return dir;
}

// Writes `size` bytes to the file `name` of the work directory; its path.
std::string WriteInput(const std::string& name, const uint8_t* data, size_t size) {
  const std::string path = WorkDirectory() + "/" + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
  return path;
}

// A guarantee of a successful read; a broken one is a finding.
void Require(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "fuzz harness: broken guarantee: %s\n", what);
    std::abort();
  }
}

// ---- What a successfully read mesh guarantees.

void CheckMesh(const MeshModel& model) {
  const int nodes = static_cast<int>(model.nodes.size());
  for (const Node& n : model.nodes)
    Require(std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z), "node coordinates are finite");
  for (const Element& e : model.elements) {
    Require(e.node_count >= 1 && e.node_count <= kMaxElementNodes, "element node count in range");
    for (int i = 0; i < e.node_count; ++i) Require(e.nodes[i] >= 0 && e.nodes[i] < nodes, "element nodes exist");
    // Some formats name a property index the file does not define (MoldFlow
    // and VRML triangles take index 1); the index is not checked here.
    Require(std::isfinite(e.thickness) && std::isfinite(e.diameter), "section sizes are finite");
  }
  for (const ElementProperty& p : model.properties)
    Require(std::isfinite(p.thickness) && std::isfinite(p.diameter), "property sizes are finite");
}

// A mesh read from any format is written as m3D and read back by our own
// reader: nothing we accept may turn into a file we refuse.
void CheckMeshRoundTrip(const MeshModel& model) {
  CheckMesh(model);
  const std::string path = WorkDirectory() + "/round_trip.m3D";
  if (WriteMeshM3D(model, path, 0, "") != 1) return;  // the writer refuses what it cannot store
  MeshModel back;
  std::string error;
  if (ReadMeshNative(back, path, error) != 1) {
    std::fprintf(stderr, "fuzz harness: our m3D file is refused: %s\n", error.c_str());
    std::abort();
  }
  Require(back.nodes.size() == model.nodes.size(), "round trip keeps the nodes");
}

using MeshReader = int (*)(MeshModel&, const std::string&, std::string&);

int RunMeshReader(MeshReader reader, const char* name, const uint8_t* data, size_t size) {
  MeshModel model;
  std::string error;
  const int r = reader(model, WriteInput(name, data, size), error);
  Require(r == 1 || r == 0 || r == -1, "reader returns 1, 0 or -1");
  if (r == 1) {
    CheckMeshRoundTrip(model);
  } else {
    Require(!error.empty() || r == -1, "a refusal has a message");
    Require(model.nodes.empty() && model.elements.empty(), "a refusal leaves the model as it was");
  }
  return 0;
}

#define KV_MESH_HARNESS(function, file) \
  [](const uint8_t* d, size_t n) { return RunMeshReader(function, file, d, n); }

// MoldFlow: the header and its two companions from one input, split at the
// first two form feeds (header, nodes, elements).
int RunMoldflow(const uint8_t* data, size_t size) {
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  const size_t a = all.find('\f');
  const size_t b = a == std::string_view::npos ? a : all.find('\f', a + 1);
  auto part = [&](size_t from, size_t to) {
    if (from == std::string_view::npos || from > all.size()) return std::string_view();
    return all.substr(from, to == std::string_view::npos ? std::string_view::npos : to - from);
  };
  const std::string_view header = part(0, a), nodes = part(a == all.npos ? a : a + 1, b),
                         elements = part(b == all.npos ? b : b + 1, all.npos);
  auto bytes = [](std::string_view s) { return reinterpret_cast<const uint8_t*>(s.data()); };
  WriteInput("part.nda", bytes(nodes), nodes.size());
  WriteInput("part.ela", bytes(elements), elements.size());
  return RunMeshReader(ReadMoldflowMesh, "part.mfl", bytes(header), header.size());
}

// ---- Analysis files of the solver: each reader with its summary sent to
// /dev/null.

std::FILE* NullConsole() {
  static std::FILE* null = std::fopen("/dev/null", "w");
  if (!null) std::abort();
  return null;
}

template <typename Read>
int RunAnalysisReader(const char* name, const uint8_t* data, size_t size, Read read) {
  SolverOutput out;
  out.console = NullConsole();
  std::string error;
  const int r = read(out, WriteInput(name, data, size), error);
  Require(r == kInputRead || r == kInputDamaged || r == kInputNoInlet, "reader returns a known code");
  Require(r != kInputDamaged || !error.empty(), "a refusal has a message");
  return 0;
}

bool Finite(const float* values, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (!std::isfinite(values[i])) return false;
  return true;
}

int RunParameters(const uint8_t* d, size_t n) {
  return RunAnalysisReader("job.par", d, n, [](SolverOutput& out, const std::string& path, std::string& error) {
    SolverParameters p;
    const int r = ReadParameterFile(out, path, p, error);
    if (r == kInputRead) Require(p.layers >= 1 && p.layers <= kMaxLayers, "layer count in range");
    return r;
  });
}

int RunProcess(const uint8_t* d, size_t n) {
  return RunAnalysisReader("job.prc", d, n, [](SolverOutput& out, const std::string& path, std::string& error) {
    ProcessConditions c;
    const int r = ReadProcessFile(out, path, c, error);
    if (r == kInputRead)
      Require(std::isfinite(c.mold_temperature) && Finite(c.gravity, 3) && Finite(c.parting_normal, 3),
              "process values are finite");
    return r;
  });
}

int RunBoundary(const uint8_t* d, size_t n) {
  return RunAnalysisReader("job.bcd", d, n, [](SolverOutput& out, const std::string& path, std::string& error) {
    std::vector<int> inlets, potential;
    return ReadBoundaryFile(out, path, inlets, potential, error);
  });
}

int RunInjection(const uint8_t* d, size_t n) {
  return RunAnalysisReader("job.inj", d, n, [](SolverOutput& out, const std::string& path, std::string& error) {
    std::vector<SolverInjection> units;
    const int r = ReadInjectionFile(out, path, units, error);
    if (r == kInputRead) {
      Require(!units.empty(), "an injection file holds a unit");
      for (const SolverInjection& u : units)
        Require(std::isfinite(u.melt_temperature) && Finite(&u.profile[0][0], 2 * kProfilePoints),
                "injection values are finite");
    }
    return r;
  });
}

int RunMaterial(const uint8_t* d, size_t n) {
  return RunAnalysisReader("job.mtl", d, n, [](SolverOutput& out, const std::string& path, std::string& error) {
    JobMaterial m;
    const int r = ReadMaterialFile(out, path, m, error);
    if (r == kInputRead) Require(std::isfinite(m.polymer.melt_density), "material values are finite");
    return r;
  });
}

int RunValves(const uint8_t* d, size_t n) {
  return RunAnalysisReader("job.vlv", d, n, [](SolverOutput& out, const std::string& path, std::string& error) {
    constexpr int kNodes = 50;
    std::vector<ValveGate> gates;
    const int r = ReadValveFile(out, path, kNodes, gates, error);
    if (r == kInputRead)
      for (const ValveGate& g : gates)
        for (int node : g.nodes) Require(node >= 0 && node < kNodes, "valve gate nodes exist");
    return r;
  });
}

// ---- Databases.

int RunMaterials(const uint8_t* d, size_t n) {
  std::vector<MaterialRecord> materials;
  std::string error;
  const int r = LoadMaterials(materials, WriteInput("materials.mdb", d, n), error);
  Require(r != 0 || !error.empty(), "a refusal has a message");
  for (const MaterialRecord& m : materials) Require(std::isfinite(m.melt_density), "material values are finite");
  return 0;
}

int RunScrews(const uint8_t* d, size_t n) {
  std::vector<ScrewRecord> screws;
  std::string error;
  const int r = LoadScrews(screws, WriteInput("screws.mdb", d, n), error);
  Require(r != 0 || !error.empty(), "a refusal has a message");
  for (const ScrewRecord& s : screws) Require(std::isfinite(s.diameter), "screw values are finite");
  return 0;
}

// ---- Result files, read against a small mesh of 3 nodes and 3 elements
// (the size of the seed files).

MeshModel ResultMesh() {
  MeshModel mesh;
  mesh.nodes = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  for (int k = 0; k < 3; ++k) {
    Element e;
    e.type = kTriangle;
    e.node_count = 3;
    for (int i = 0; i < 3; ++i) e.nodes[i] = (k + i) % 3;
    mesh.elements.push_back(e);
  }
  return mesh;
}

int RunResults(const uint8_t* d, size_t n) {
  static const MeshModel mesh = ResultMesh();
  ResultSet set;
  std::string message;
  const int r = ReadResults(set, mesh, WriteInput("job.f2D", d, n), message);
  Require(r != 0 || !message.empty(), "a refusal has a message");
  for (const ResultEntry& entry : set.entries) {
    for (const ResultItem& item : entry.items) Require(Finite(item.values, 8), "result values are finite");
    for (const HighlightRecord& h : entry.highlights) Require(Finite(h.values, 6), "highlight points are finite");
  }
  return 0;
}

int RunCooling(const uint8_t* d, size_t n) {
  std::vector<float> wall(4, 300.0f);
  std::string message;
  ReadCoolingInputFile(WriteInput("job.c2D", d, n), wall, message);
  Require(wall.size() == 4 && Finite(wall.data(), wall.size()), "wall temperatures are finite");
  return 0;
}

// ---- Project file of the pre-processor.

int RunProject(const uint8_t* d, size_t n) {
  MeshModel mesh;
  AnalysisSettings analysis;
  ResultSet results;
  std::string message;
  const ProjectTables tables{&mesh, &analysis, &results};
  const int r = ReadProject(tables, WriteInput("job.sim", d, n), message);
  Require(r == 1 || !message.empty(), "a refusal has a message");
  if (r != 1) {
    Require(mesh.nodes.empty() && mesh.elements.empty() && results.entries.empty(), "a refused file changes nothing");
    return 0;
  }
  // What the view indexes without checking must lie in its tables.
  for (const Element& e : mesh.elements)
    for (int k = 0; k < e.node_count; ++k)
      Require(e.nodes[k] >= 0 && e.nodes[k] < static_cast<int>(mesh.nodes.size()), "element nodes in the mesh");
  for (const FaceRecord& f : mesh.faces)
    for (int k = 0; k < f.node_count; ++k)
      Require(f.nodes[k] >= 0 && f.nodes[k] < static_cast<int>(mesh.nodes.size()), "face nodes in the mesh");
  Require(results.current >= -1 && results.current < static_cast<int>(results.entries.size()), "current entry");
  // A file read back is written again byte for byte.
  const std::vector<uint8_t> again = EncodeProject(tables);
  Require(again.size() == n, "a read project is written again at the same size");
  return 0;
}

// ---- Plot data file of the viewer.

int RunPlot(const uint8_t* d, size_t n) {
  PlotData plot;
  std::string error;
  const int r = ReadPlotFile(WriteInput("graph.out", d, n), plot, error);
  Require(r == 1 || !error.empty(), "a refusal has a message");
  return 0;
}

// ---- Command journal, replayed on a small model: two triangles of a part
// surface and a runner beam. Job files the commands write land in the work
// directory. Whatever the journal does, the model stays a mesh we can write
// and read back.

MeshModel JournalModel() {
  MeshModel m;
  m.nodes = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {1, 1, 1}};
  ElementProperty surface{1, kPartSurface, "Part surface", 0.002f, 0, 0};
  ElementProperty runner{2, kColdRunner, "Cold runner", 0, 0.005f, 0};
  m.properties = {surface, runner};
  const int corners[3][3] = {{0, 1, 2}, {0, 2, 3}, {2, 4, -1}};
  for (int k = 0; k < 3; ++k) {
    Element e;
    e.type = k < 2 ? kTriangle : kBeam;
    e.node_count = k < 2 ? 3 : 2;
    for (int i = 0; i < e.node_count; ++i) e.nodes[i] = corners[k][i];
    const ElementProperty& p = k < 2 ? surface : runner;
    e.property = k < 2 ? 0 : 1;
    e.category = p.category;
    e.thickness = p.thickness;
    e.diameter = p.diameter;
    m.elements.push_back(e);
  }
  RebuildAfterRead(m);
  return m;
}

int RunJournal(const uint8_t* d, size_t n) {
  static const MeshModel start = JournalModel();
  PaneCapture panes;  // pane lines are collected, not printed
  InterpreterState state;
  MeshModel model = start;
  AnalysisSettings analysis;
  Selection selection;
  DrawingTables tables;
  std::string model_path = WorkDirectory() + "/job.m2D";
  int current_property = 0;
  BuildDrawingTables(model, DrawingOptions{}, tables);
  ClassifyOutlines(tables, model, kOutlineAngle);
  CommandContext ctx;
  ctx.state = &state;
  ctx.model = &model;
  ctx.analysis = &analysis;
  ctx.selection = &selection;
  ctx.tables = &tables;
  ctx.model_path = &model_path;
  ctx.current_property = &current_property;
  std::string error;
  const int r = ReplayJournalFile(ctx, WriteInput("edits.kvj", d, n), &error);
  Require(r == 1 || !error.empty(), "a refused journal line has a message");
  CheckMeshRoundTrip(model);
  return 0;
}

}  // namespace

const std::vector<FuzzHarness>& FuzzHarnesses() {
  static const std::vector<FuzzHarness> harnesses = {
      // native mesh files
      {"m2d", "ReadMeshNative", KV_MESH_HARNESS(ReadMeshNative, "mesh.m2D")},
      {"fem", "ReadMeshFem", KV_MESH_HARNESS(ReadMeshFem, "mesh.fem")},
      {"solver_mesh", "ReadSolverMesh", KV_MESH_HARNESS(ReadSolverMesh, "job.m2D")},
      // outside mesh formats
      {"moldflow", "ReadMoldflowMesh", RunMoldflow},
      {"ideas", "ReadIdeasMesh", KV_MESH_HARNESS(ReadIdeasMesh, "mesh.unv")},
      {"patran", "ReadPatranMesh", KV_MESH_HARNESS(ReadPatranMesh, "mesh.pat")},
      {"abaqus", "ReadAbaqusMesh", KV_MESH_HARNESS(ReadAbaqusMesh, "mesh.inp")},
      {"ansys", "ReadAnsysMesh", KV_MESH_HARNESS(ReadAnsysMesh, "mesh.ans")},
      {"lsdyna", "ReadLsDynaMesh", KV_MESH_HARNESS(ReadLsDynaMesh, "mesh.dyn")},
      {"gid", "ReadGidMesh", KV_MESH_HARNESS(ReadGidMesh, "mesh.msh")},
      {"netgen", "ReadNetgenMesh", KV_MESH_HARNESS(ReadNetgenMesh, "mesh.ngn")},
      {"gmsh", "ReadGmshMesh", KV_MESH_HARNESS(ReadGmshMesh, "mesh.msh")},
      {"vrml", "ReadVrmlMesh", KV_MESH_HARNESS(ReadVrmlMesh, "mesh.wrl")},
      {"voxel", "ReadVoxelMesh", KV_MESH_HARNESS(ReadVoxelMesh, "mesh.vox")},
      // analysis files
      {"parameters", "ReadParameterFile", RunParameters},
      {"process", "ReadProcessFile", RunProcess},
      {"boundary", "ReadBoundaryFile", RunBoundary},
      {"injection", "ReadInjectionFile", RunInjection},
      {"material", "ReadMaterialFile", RunMaterial},
      {"valves", "ReadValveFile", RunValves},
      // databases
      {"materials_db", "LoadMaterials", RunMaterials},
      {"screws_db", "LoadScrews", RunScrews},
      // results
      {"results", "ReadResults", RunResults},
      {"cooling", "ReadCoolingInputFile", RunCooling},
      // project file of the pre-processor
      {"project", "ReadProject", RunProject},
      // plot data of the viewer, command journal of the pre-processor
      {"plot", "ReadPlotFile", RunPlot},
      {"journal", "ReplayJournalFile", RunJournal},
  };
  return harnesses;
}

const FuzzHarness* FindFuzzHarness(std::string_view name) {
  for (const FuzzHarness& h : FuzzHarnesses())
    if (name == h.name) return &h;
  return nullptr;
}

}  // namespace kv
