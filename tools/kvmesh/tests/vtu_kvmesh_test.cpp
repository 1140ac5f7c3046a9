// kvmesh MESH --results FILE --vtu BASE: the results for ParaView, read back by
// an outside reader (Debian's python3-meshio): point, cell and array counts
// and values per frame, and the .pvd collection with every frame's time.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "common/mesh/native_mesh_file.h"
#include "common/results/result_reader.h"
#include "common/results/result_vtu.h"
#include "common/tests/mesh_test_util.h"

namespace kv {
namespace {

using test::ReadText;
using test::ScratchPath;
using test::WriteText;

// Runs a shell command; returns its exit status and its standard output.
int RunShell(const std::string& command, std::string& out) {
  out.clear();
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return -1;
  std::array<char, 512> buffer;
  while (fgets(buffer.data(), buffer.size(), pipe)) out += buffer.data();
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The outside reader: for every data set of the .pvd, in order, one line
// "time points cells point-arrays cell-arrays" and then "NAME min max" per
// array (NaN left out of the range, "nan nan" when all are NaN).
const char* kReader = R"PY(
import sys, os, math, xml.etree.ElementTree as ET
import meshio
pvd = sys.argv[1]
for ds in ET.parse(pvd).getroot().iter('DataSet'):
    m = meshio.read(os.path.join(os.path.dirname(pvd), ds.get('file')))
    cells = sum(len(c.data) for c in m.cells)
    print('%s %d %d %d %d' % (ds.get('timestep'), len(m.points), cells, len(m.point_data), len(m.cell_data)))
    arrays = list(m.point_data.items()) + [(k, [x for block in v for x in block]) for k, v in m.cell_data.items()]
    for name, values in sorted(arrays, key=lambda a: a[0]):
        flat = [float(x) for x in __import__('numpy').ravel(values)]
        good = [x for x in flat if not math.isnan(x)]
        print('%s|%.6g|%.6g' % (name, min(good) if good else float('nan'), max(good) if good else float('nan')))
)PY";

std::string ReadBack(const std::string& pvd) {
  const std::string script = ScratchPath("reader.py");
  WriteText(script, kReader);
  std::string out;
  EXPECT_EQ(RunShell("/usr/bin/python3 " + script + " " + pvd + " 2>&1", out), 0) << out;
  return out;
}

TEST(ResultVtu, SeriesTakeTheirLatestEntryAndUndefinedItemsAreNaN) {
  // Two triangles and a beam; pressure at 1 s and 2 s, temperature from 2 s,
  // a thickness without time, an element vector at 1 s.
  MeshModel mesh;
  mesh.nodes = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 1, 0}};
  auto element = [&](int type, std::initializer_list<int> nodes) {
    Element e;
    e.type = type;
    e.node_count = static_cast<int>(nodes.size());
    int k = 0;
    for (int n : nodes) e.nodes[k++] = n;
    mesh.elements.push_back(e);
  };
  element(kTriangle, {0, 1, 2});
  element(kTriangle, {1, 3, 2});
  element(kBeam, {3, 4});
  element(kTriangle, {0, 1, 9});  // a node outside the mesh: not written
  auto entry = [](const char* name, const char* unit, int location, float time, size_t items) {
    ResultEntry e;
    e.name = name;
    e.unit = unit;
    e.location = location;
    e.label_kind = time < 0 ? 0 : 1;
    e.variable_value[0] = time;
    e.items.resize(items);
    return e;
  };
  ResultSet set;
  set.entries.push_back(entry("Pressure", "Pa", kNodalResult, 1.0f, 5));
  set.entries.push_back(entry("Pressure", "Pa", kNodalResult, 2.0f, 5));
  set.entries.push_back(entry("Temperature", "K", kNodalResult, 2.0f, 5));
  set.entries.push_back(entry("Thickness", "m", kElementResult, -1.0f, 4));
  set.entries.push_back(entry("Velocity", "m/s", kElementVectorResult, 1.0f, 4));
  set.entries.push_back(entry("Clamp force", "N", kGlobalResult, 1.5f, 1));  // not exported
  for (int n = 0; n < 5; ++n) {
    set.entries[0].items[static_cast<size_t>(n)] = {{10.0f + n}, 1};
    set.entries[1].items[static_cast<size_t>(n)] = {{20.0f + n}, n != 4};
    set.entries[2].items[static_cast<size_t>(n)] = {{300.0f}, 1};
  }
  set.entries[3].items[0] = {{0.002f}, 1};
  set.entries[3].items[2] = {{0.004f}, 1};
  set.entries[4].items[1] = {{3, -4, 0, 5}, 1};
  EXPECT_EQ(ResultFrameTimes(set), (std::vector<double>{1.0, 2.0}));

  const std::string base = ScratchPath("small");
  std::vector<std::string> written;
  std::string message;
  ASSERT_EQ(ExportResultsVtu(mesh, set, base + ".pvd", written, message), 1) << message;
  ASSERT_EQ(written.size(), 3u);
  EXPECT_EQ(written[2], base + ".pvd");
  EXPECT_EQ(ReadBack(base + ".pvd"),
            "1 5 3 2 2\n"
            "Pressure [Pa]|10|14\n"
            "Temperature [K]|nan|nan\n"
            "Thickness [m]|0.002|0.004\n"
            "Velocity [m/s]|-4|3\n"
            "2 5 3 2 2\n"
            "Pressure [Pa]|20|23\n"
            "Temperature [K]|300|300\n"
            "Thickness [m]|0.002|0.004\n"
            "Velocity [m/s]|-4|3\n");
  // A directory that cannot take the files: refused with the file's name.
  EXPECT_EQ(ExportResultsVtu(mesh, set, "/proc/kv-results", written, message), 0);
  EXPECT_NE(message.find("/proc/kv-results_0000.vtu"), std::string::npos);
}

TEST(KvmeshVtu, ExampleRunForParaView) {
  // The example job, run by the solver in a scratch directory.
  const std::filesystem::path dir = std::filesystem::path(ScratchPath("reader.py")).parent_path() / "job";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  for (const auto& f : std::filesystem::directory_iterator(std::string(KV_SOURCE_DIR) + "/examples/plate"))
    std::filesystem::copy_file(f.path(), dir / f.path().filename(), std::filesystem::copy_options::overwrite_existing);
  std::string out;
  RunShell("cd '" + dir.string() + "' && '" + KV_BIN_DIR + "/fluxar' plate 2>&1", out);
  const std::string mesh = (dir / "plate.m2D").string(), results = (dir / "plate.f2D").string();
  ASSERT_TRUE(std::filesystem::exists(results)) << out;
  const std::string base = (dir / "fill").string();
  ASSERT_EQ(RunShell(std::string(KV_BIN_DIR) + "/kvmesh " + mesh + " --results " + results + " --vtu " + base + " 2>&1",
                out),
            0)
      << out;
  EXPECT_NE(out.find("Writing file: " + base + ".pvd"), std::string::npos) << out;

  // What the files must hold, from the same mesh and results read here.
  MeshModel model;
  std::string error;
  ASSERT_EQ(ReadMeshNative(model, mesh, error), 1) << error;
  ResultSet set;
  BuildPropertyResults(set, model);
  ASSERT_EQ(ReadResults(set, model, results, error), 1) << error;
  const std::vector<double> times = ResultFrameTimes(set);
  ASSERT_GT(times.size(), 1u);
  std::istringstream lines(ReadBack(base + ".pvd"));
  std::string line;
  size_t frames = 0;
  while (std::getline(lines, line)) {
    if (line.find('|') != std::string::npos) {
      // The last frame's pressure spans the last pressure entry's range.
      if (frames == times.size() && line.rfind("Pressure [Pa]|", 0) == 0) {
        float lo = 0, hi = 0;
        for (const ResultEntry& e : set.entries)
          if (e.name == "Pressure" && e.location == kNodalResult) DefinedItemRange(e, lo, hi);
        const double read_hi = std::stod(line.substr(line.rfind('|') + 1));
        EXPECT_NEAR(read_hi, hi, 1e-5 * hi);
      }
      continue;
    }
    std::istringstream fields(line);
    double time = 0;
    size_t points = 0, cells = 0, point_arrays = 0, cell_arrays = 0;
    ASSERT_TRUE(fields >> time >> points >> cells >> point_arrays >> cell_arrays) << line;
    ASSERT_LT(frames, times.size());
    EXPECT_NEAR(time, times[frames], 1e-8);
    EXPECT_EQ(points, model.nodes.size());
    EXPECT_EQ(cells, model.elements.size());
    EXPECT_EQ(point_arrays, 5u);  // pressure, bulk temperature, shear rate, wall shear stress, melt front
    EXPECT_EQ(cell_arrays, 5u);   // thickness, diameter, molten core, velocity, time to cool
    ++frames;
  }
  EXPECT_EQ(frames, times.size());
  // Without --results the option is refused.
  EXPECT_NE(RunShell(std::string(KV_BIN_DIR) + "/kvmesh " + mesh + " --vtu " + base + " 2>&1", out), 0);
  EXPECT_NE(out.find("--vtu needs --results"), std::string::npos) << out;
}

}  // namespace
}  // namespace kv
