// Our files checked by outside programs: gmsh opens our Gmsh, I-deas and STL
// files, admesh reads our STL files, ezdxf audits our DXF files. Every file is
// written by kvmesh, as a user would; a case skips itself when its tool is
// not installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "mesh/exchange/mesh_readers.h"
#include "mesh/exchange/tests/test_files.h"

namespace kv {
namespace {

using test::DataPath;
using test::ReadFile;
using test::ScratchPath;

// Runs a shell command with its output in `output`; returns its exit status.
int RunCommand(const std::string& command, std::string* output = nullptr) {
  const std::string log = ScratchPath("command.log");
  const int status = std::system((command + " > '" + log + "' 2>&1").c_str());
  if (output) *output = ReadFile(log);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool HaveProgram(const std::string& name) { return RunCommand("command -v " + name) == 0; }

// The Python that has ezdxf (Debian's), or "" when there is none.
std::string PythonWithEzdxf() {
  for (const char* python : {"/usr/bin/python3", "python3"})
    if (RunCommand(std::string(python) + " -c 'import ezdxf'") == 0) return python;
  return "";
}

std::string Kvmesh() { return std::string(KV_BIN_DIR) + "/kvmesh"; }

// Converts `input` (read as format `in`) to `output` (written as format `out`).
void Convert(const std::string& input, const std::string& in, const std::string& output, const std::string& out) {
  std::string log;
  ASSERT_EQ(RunCommand("'" + Kvmesh() + "' '" + input + "' '" + output + "' --format " + in + " --output-format " + out,
                &log),
            0)
      << log;
}

// A plate of triangles with a runner of two line elements on its edge.
std::string PlateWithRunner() {
  std::string text = ReadFile(DataPath("plate.msh"));
  const size_t at = text.find("$Elements\n22\n");
  text.replace(at, 13, "$Elements\n24\n101 1 2 0 1 1 5\n102 1 2 0 1 5 6\n");
  return test::WriteScratch("plate_runner.msh", text);
}

TEST(OutsideTools, GmshOpensOurFiles) {
  if (!HaveProgram("gmsh")) GTEST_SKIP() << "gmsh is not installed";
  struct Case {
    const char* file;
    const char* format;
    size_t elements;  // as gmsh writes them back
  };
  // The box: 84 skin triangles and 100 tetrahedra; 168 boundary faces; the
  // STL files hold every face record (84 + 4 x 100).
  const Case cases[] = {
      {"out.msh", "gmsh", 184}, {"out_surface.msh", "gmshsurf", 352}, {"out.unv", "unv", 184},
      {"out.stl", "stl", 484},  {"out_ascii.stl", "stlascii", 484},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string ours = ScratchPath(c.file);
    Convert(DataPath("box.msh"), "gmsh", ours, c.format);
    const std::string back = ScratchPath(std::string("gmsh_") + c.file + ".msh");
    std::string log;
    ASSERT_EQ(RunCommand("gmsh '" + ours + "' -0 -format msh22 -o '" + back + "'", &log), 0) << log;
    EXPECT_EQ(log.find("Error"), std::string::npos) << log;
    MeshModel model;
    std::string error;
    ASSERT_EQ(ReadGmshMesh(model, back, error), 1) << error;
    EXPECT_EQ(model.nodes.size(), 45u);
    EXPECT_EQ(model.elements.size(), c.elements);
  }
  // Line elements too.
  const std::string ours = ScratchPath("runner.unv");
  Convert(PlateWithRunner(), "gmsh", ours, "unv");
  const std::string back = ScratchPath("gmsh_runner.msh");
  std::string log;
  ASSERT_EQ(RunCommand("gmsh '" + ours + "' -0 -format msh22 -o '" + back + "'", &log), 0) << log;
  MeshModel model;
  std::string error;
  ASSERT_EQ(ReadGmshMesh(model, back, error), 1) << error;
  EXPECT_EQ(model.elements.size(), 24u);
}

TEST(OutsideTools, AdmeshReadsOurStl) {
  if (!HaveProgram("admesh")) GTEST_SKIP() << "admesh is not installed";
  for (auto [file, format, type] : {std::tuple{"skin.stl", "stl", "Binary STL file"},
                                    std::tuple{"skin_ascii.stl", "stlascii", "ASCII STL file"}}) {
    SCOPED_TRACE(file);
    const std::string ours = ScratchPath(file);
    Convert(DataPath("plate.msh"), "gmsh", ours, format);
    std::string log;
    ASSERT_EQ(RunCommand("admesh '" + ours + "'", &log), 0) << log;
    EXPECT_NE(log.find(type), std::string::npos) << log;
    EXPECT_NE(log.find("Number of facets                 :    22 "), std::string::npos) << log;
    EXPECT_NE(log.find("Degenerate facets     :     0"), std::string::npos) << log;
    EXPECT_EQ(log.find("rror"), std::string::npos) << log;
  }
}

TEST(OutsideTools, EzdxfAuditsOurDxf) {
  const std::string python = PythonWithEzdxf();
  if (python.empty()) GTEST_SKIP() << "python3-ezdxf is not installed";
  const std::string ours = ScratchPath("runner.dxf");
  Convert(PlateWithRunner(), "gmsh", ours, "dxf");
  const std::string script = test::WriteScratch("audit.py",
      "import sys, ezdxf\n"
      "doc = ezdxf.readfile(sys.argv[1])\n"
      "auditor = doc.audit()\n"
      "for e in auditor.errors: print('error:', e.message)\n"
      "msp = doc.modelspace()\n"
      "print('entities', len(msp), 'lines', len(msp.query('LINE')), 'faces', len(msp.query('3DFACE')))\n"
      "sys.exit(1 if auditor.has_errors else 0)\n");
  std::string log;
  ASSERT_EQ(RunCommand(python + " '" + script + "' '" + ours + "'", &log), 0) << log;
  // Two runner segments as tubes of eight sides (a line and a face each) and 22 triangles.
  EXPECT_NE(log.find("entities 54 lines 16 faces 38"), std::string::npos) << log;
}

}  // namespace
}  // namespace kv
