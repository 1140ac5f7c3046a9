// Import of a Gmsh mesh of about a million triangles: times our read and each
// step of the rebuild that follows it, and gmsh itself reading the same file
// and writing it again, and prints the ratio.
//
//   bench_import [CELLS] [--keep]
// CELLS: cells per side of the square plate (default 708: 2 x 708^2 =
// 1,002,528 triangles on 709^2 = 502,681 nodes). The file is written to the
// temporary directory and removed afterwards unless --keep.
// Target: our import (read plus rebuild) takes no longer than gmsh's read.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/geometry/element_geometry.h"
#include "common/geometry/face_pairing.h"
#include "common/geometry/face_table.h"
#include "common/mesh/mesh_model.h"
#include "mesh/engine/element_sizes.h"
#include "mesh/exchange/mesh_readers.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// A flat square plate of 0.1 m in the Gmsh 2 ASCII layout, each square cell
// split into two triangles; nodes numbered row by row from 1.
bool WritePlate(const std::string& path, int cells) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return false;
  const int side = cells + 1;
  const double step = 0.1 / cells;  // m
  std::fprintf(f, "$MeshFormat\n2.2 0 8\n$EndMeshFormat\n$Nodes\n%d\n", side * side);
  for (int j = 0; j < side; ++j)
    for (int i = 0; i < side; ++i) std::fprintf(f, "%d %.10g %.10g 0\n", j * side + i + 1, i * step, j * step);
  std::fprintf(f, "$EndNodes\n$Elements\n%d\n", 2 * cells * cells);
  int number = 0;
  for (int j = 0; j < cells; ++j) {
    for (int i = 0; i < cells; ++i) {
      const int a = j * side + i + 1, b = a + 1, c = a + side + 1, d = a + side;
      std::fprintf(f, "%d 2 2 1 1 %d %d %d\n", ++number, a, b, c);
      std::fprintf(f, "%d 2 2 1 1 %d %d %d\n", ++number, a, c, d);
    }
  }
  std::fprintf(f, "$EndElements\n");
  return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  int cells = 708;
  bool keep = false;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--keep") keep = true;
    else cells = std::atoi(argv[i]);
  }
  if (cells < 1) {
    std::fprintf(stderr, "usage: bench_import [CELLS] [--keep]\n");
    return 2;
  }
  const std::string path = (std::filesystem::temp_directory_path() / "kv_bench_import.msh").string();
  if (!WritePlate(path, cells)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return 1;
  }
  std::printf("file: %s (%.1f MB), %d triangles\n", path.c_str(),
              std::filesystem::file_size(path) / 1e6, 2 * cells * cells);

  // Ours: the read, then each rebuild step in the order of an import.
  kv::MeshModel model;
  std::string error;
  auto start = Clock::now();
  if (kv::ReadGmshMesh(model, path, error) != 1) {
    std::fprintf(stderr, "read failed: %s\n", error.c_str());
    return 1;
  }
  const double read = Seconds(start);
  start = Clock::now();
  kv::ComputeCentroids(model);
  const double centroids = Seconds(start);
  start = Clock::now();
  kv::BuildFaceRecords(model);
  const double faces = Seconds(start);
  start = Clock::now();
  kv::PairCoincidentFaces(model);
  const double pairing = Seconds(start);
  start = Clock::now();
  kv::ComputeElementSizes(model);
  const double sizes = Seconds(start);
  start = Clock::now();
  kv::EstimateTetraThickness(model);
  const double thickness = Seconds(start);
  const double ours = read + centroids + faces + pairing + sizes + thickness;
  std::printf("ours: %zu nodes, %zu elements, %zu faces\n", model.nodes.size(), model.elements.size(),
              model.faces.size());
  std::printf("  read                  %8.3f s\n", read);
  std::printf("  ComputeCentroids      %8.3f s\n", centroids);
  std::printf("  BuildFaceRecords      %8.3f s\n", faces);
  std::printf("  PairCoincidentFaces   %8.3f s\n", pairing);
  std::printf("  ComputeElementSizes   %8.3f s\n", sizes);
  std::printf("  EstimateTetraThickness%8.3f s\n", thickness);
  std::printf("  import (read+rebuild) %8.3f s\n", ours);

  // Reference: gmsh reads the file and writes it again, without meshing.
  const std::string out = path + ".out.msh";
  const std::string command = "gmsh '" + path + "' -0 -format msh22 -o '" + out + "' > /dev/null 2>&1";
  start = Clock::now();
  const int status = std::system(command.c_str());
  const double gmsh = Seconds(start);
  std::filesystem::remove(out);
  if (!keep) std::filesystem::remove(path);
  if (status != 0) {
    std::printf("gmsh: not run (status %d); no ratio\n", status);
    return 0;
  }
  std::printf("gmsh read + write       %8.3f s\n", gmsh);
  std::printf("ratio ours / gmsh       %8.2f (target <= 1)\n", ours / gmsh);
  return 0;
}
