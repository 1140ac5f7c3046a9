// Generates the example job "plate": a flat plate 60 x 40 mm, 2 mm thick,
// meshed with part-surface triangles, fed through a 30 mm cold runner of
// 5 mm diameter attached to the middle of one short edge, with the inlet at
// the runner's free end. Polystyrene from the delivered material database,
// the first screw of the delivered screw database that holds the shot.
//
//   make_plate OUTPUT_DIR DATABASE_DIR
// writes OUTPUT_DIR/plate.{m2D,par,prc,bcd,inj,mtl}. Exit status 0, or 1 with
// a message.

#include <cstdio>
#include <string>
#include <vector>

#include "common/analysis/analysis_files.h"
#include "common/analysis/analysis_settings.h"
#include "common/database/databases.h"
#include "common/geometry/constants.h"
#include "common/mesh/native_mesh_file.h"

namespace {

constexpr double kLength = 0.060;        // m, plate along x
constexpr double kWidth = 0.040;         // m, plate along y
constexpr double kThickness = 0.002;     // m
constexpr int kCellsX = 12, kCellsY = 8; // 5 mm cells
constexpr double kRunnerLength = 0.030;  // m, along -x
constexpr int kRunnerBeams = 6;
constexpr double kRunnerDiameter = 0.005;  // m

// The mesh: property 0 the cold runner, property 1 the part surface.
// Returns the 0-based index of the inlet node.
int BuildPlate(kv::MeshModel& mesh) {
  kv::ElementProperty runner;
  runner.identifier = 1;
  runner.category = kv::kColdRunner;
  runner.name = kv::CategoryName(kv::kColdRunner);
  runner.thickness = runner.diameter = static_cast<float>(kRunnerDiameter);
  kv::ElementProperty plate;
  plate.identifier = 2;
  plate.category = kv::kPartSurface;
  plate.name = kv::CategoryName(kv::kPartSurface);
  plate.thickness = plate.diameter = static_cast<float>(kThickness);
  mesh.properties = {runner, plate};

  // Plate nodes on a grid, row by row: node (i, j) at index j * (kCellsX + 1) + i.
  auto grid = [](int i, int j) { return j * (kCellsX + 1) + i; };
  for (int j = 0; j <= kCellsY; ++j)
    for (int i = 0; i <= kCellsX; ++i)
      mesh.nodes.push_back({static_cast<float>(kLength * i / kCellsX),
                            static_cast<float>(kWidth * j / kCellsY), 0.0f});
  // Two triangles per cell, counter-clockwise seen from +z.
  auto triangle = [&](int a, int b, int c) {
    kv::Element e;
    e.type = kv::kTriangle;
    e.category = kv::kPartSurface;
    e.property = 1;
    e.node_count = 3;
    e.nodes[0] = a;
    e.nodes[1] = b;
    e.nodes[2] = c;
    e.thickness = static_cast<float>(kThickness);
    mesh.elements.push_back(e);
  };
  for (int j = 0; j < kCellsY; ++j)
    for (int i = 0; i < kCellsX; ++i) {
      triangle(grid(i, j), grid(i + 1, j), grid(i + 1, j + 1));
      triangle(grid(i, j), grid(i + 1, j + 1), grid(i, j + 1));
    }
  // Runner: beams from the middle of the edge x = 0 out to x = -30 mm.
  int previous = grid(0, kCellsY / 2);
  for (int k = 1; k <= kRunnerBeams; ++k) {
    mesh.nodes.push_back({static_cast<float>(-kRunnerLength * k / kRunnerBeams),
                          static_cast<float>(kWidth / 2), 0.0f});
    int node = static_cast<int>(mesh.nodes.size()) - 1;
    kv::Element e;
    e.type = kv::kBeam;
    e.category = kv::kColdRunner;
    e.property = 0;
    e.node_count = 2;
    e.nodes[0] = previous;
    e.nodes[1] = node;
    e.diameter = static_cast<float>(kRunnerDiameter);
    mesh.elements.push_back(e);
    previous = node;
  }
  return previous;
}

// Plate and runner volume in m^3 (the shot the screw must hold).
double ShotVolume() {
  return kLength * kWidth * kThickness +
         kv::kPi * kRunnerDiameter * kRunnerDiameter / 4 * kRunnerLength;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_plate OUTPUT_DIR DATABASE_DIR\n");
    return 1;
  }
  const std::string out = std::string(argv[1]) + "/plate.";
  const std::string db = argv[2];
  std::string error;

  std::vector<kv::MaterialRecord> materials;
  if (kv::LoadMaterials(materials, kv::DatabasePath(db, "materials.mdb"), error) != 1 ||
      materials.empty()) {
    std::fprintf(stderr, "make_plate: no material database: %s\n", error.c_str());
    return 1;
  }
  std::vector<kv::ScrewRecord> screws;
  if (kv::LoadScrews(screws, kv::DatabasePath(db, "screws.mdb"), error) != 1 || screws.empty()) {
    std::fprintf(stderr, "make_plate: no screw database: %s\n", error.c_str());
    return 1;
  }

  kv::MeshModel mesh;
  int inlet = BuildPlate(mesh);

  // The settings as the dialogs would leave them: default parameters and
  // process conditions, the first polymer (polystyrene), the proposed screw with
  // the proposed injection profile and the stroke the shot needs.
  kv::AnalysisSettings settings;
  kv::SetStandardPhaseTimes(settings.process);
  settings.material = materials[0];
  settings.node_boundaries.push_back({0, kv::kInletNode, inlet});
  kv::InjectionUnit unit = kv::DefaultInjectionUnit();
  // The Screw database dialog proposes the first machine that holds the shot.
  int screw = kv::PreselectScrew(screws, ShotVolume(), 0);
  kv::ApplyScrew(unit, screws[static_cast<size_t>(screw)]);
  unit.melt_temperature = 230;
  // The stroke field shows the required stroke in whole millimetres.
  double stroke_mm = kv::RequiredStroke(ShotVolume(), unit.screw_diameter) * 1000;
  unit.stroke = static_cast<float>(static_cast<int>(stroke_mm + 0.5));
  settings.injection_units.push_back(unit);

  bool ok = kv::WriteMeshM2D(mesh, out + "m2D", 0, "") == 1 &&
            kv::WriteParameterFile(settings.parameters, out + "par") == 1 &&
            kv::WriteProcessFile(settings.process, out + "prc") == 1 &&
            kv::WriteBoundaryFile(settings.node_boundaries, settings.face_boundaries,
                                  out + "bcd") == 1 &&
            kv::WriteInjectionFile(settings.injection_units, out + "inj") == 1 &&
            kv::WriteMaterialFile(settings.material, out + "mtl") == 1;
  if (!ok) {
    std::fprintf(stderr, "make_plate: cannot write the job files in %s\n", argv[1]);
    return 1;
  }
  return 0;
}
