#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "common/mesh/native_mesh_file.h"
#include "common/tests/mesh_test_util.h"
#include "tools/kvmesh/kvmesh_options.h"
#include "tools/kvmesh/kvmesh_run.h"
#include "tools/kvmesh/mesh_formats.h"

namespace kv {
namespace {

using test::ReadText;
using test::ScratchPath;
using test::WriteText;

TEST(KvmeshArguments, FilesAndOptions) {
  KvmeshOptions o;
  std::vector<const KvmeshOption*> given;
  std::string error;
  ASSERT_EQ(ParseKvmeshArguments({"--output-format", "fem", "in.x", "--format", "m2D", "out.y"}, o, given, error), 1)
      << error;
  EXPECT_EQ(o.input, "in.x");
  EXPECT_EQ(o.output, "out.y");
  EXPECT_EQ(o.input_format, "m2D");
  EXPECT_EQ(o.output_format, "fem");
  ASSERT_EQ(given.size(), 2u);
  EXPECT_STREQ(given[0]->name, "--format");  // table order, not command-line order
  EXPECT_STREQ(given[1]->name, "--output-format");

  ASSERT_EQ(ParseKvmeshArguments({"in.m2D"}, o, given, error), 1);
  EXPECT_EQ(o.output, "");
  ASSERT_EQ(ParseKvmeshArguments({"--help"}, o, given, error), 1);
  EXPECT_TRUE(o.help);

  EXPECT_EQ(ParseKvmeshArguments({}, o, given, error), 0);
  EXPECT_EQ(error, "no INPUT mesh given");
  EXPECT_EQ(ParseKvmeshArguments({"a", "b", "c"}, o, given, error), 0);
  EXPECT_EQ(error, "more than INPUT and OUTPUT given ('c')");
  EXPECT_EQ(ParseKvmeshArguments({"a", "--format"}, o, given, error), 0);
  EXPECT_EQ(error, "--format needs 1 argument (NAME)");
  EXPECT_EQ(ParseKvmeshArguments({"a", "--frobnicate"}, o, given, error), 0);
  EXPECT_EQ(error, "unknown option '--frobnicate'");
}

int ReadNothing(MeshModel&, const std::string&, std::string&) { return 1; }
int WriteNothing(const MeshModel&, const std::string&, std::string&) { return 1; }

TEST(KvmeshFormats, ChoosesByExtensionOrName) {
  std::string error;
  const MeshFormat* f = ChooseMeshFormat("dir.v1/part.M2D", "", true, error);
  ASSERT_NE(f, nullptr) << error;
  EXPECT_STREQ(f->name, "m2D");
  f = ChooseMeshFormat("part.fem", "", false, error);
  ASSERT_NE(f, nullptr) << error;
  EXPECT_STREQ(f->name, "fem");
  f = ChooseMeshFormat("part.txt", "M3D", true, error);
  ASSERT_NE(f, nullptr) << error;
  EXPECT_STREQ(f->name, "m3D");

  EXPECT_EQ(ChooseMeshFormat("part.xyz", "", true, error), nullptr);
  EXPECT_EQ(error, "part.xyz: no format with extension '.xyz' can be read");
  EXPECT_EQ(ChooseMeshFormat("dir.d/part", "", true, error), nullptr);
  EXPECT_EQ(error, "dir.d/part: no extension to tell the format; name it with --format");
  EXPECT_EQ(ChooseMeshFormat("part.m2D", "nastran9", true, error), nullptr);
  EXPECT_EQ(error, "unknown format 'nastran9'");

  // Rows sharing an extension need --format; a read-only row is not chosen
  // for writing.
  const std::vector<MeshFormat> rows = {{"a", ".dat .txt", "A", ReadNothing, WriteNothing},
                                        {"b", ".DAT", "B", ReadNothing, nullptr}};
  EXPECT_EQ(ChooseMeshFormat(rows, "x.dat", "", true, error), nullptr);
  EXPECT_EQ(error, "x.dat: extension '.dat' belongs to several formats (a, b); choose one with --format");
  f = ChooseMeshFormat(rows, "x.dat", "", false, error);
  ASSERT_NE(f, nullptr) << error;
  EXPECT_STREQ(f->name, "a");
  EXPECT_EQ(ChooseMeshFormat(rows, "x.dat", "b", false, error), nullptr);
  EXPECT_EQ(error, "format 'b' cannot be written");
}

TEST(KvmeshRun, ConvertsAndReportsCounts) {
  MeshModel m = test::SmallModel();
  std::string in = ScratchPath("in.m3D"), out = ScratchPath("out.m2D");
  ASSERT_EQ(WriteMeshM3D(m, in, 0, ""), 1);
  std::ostringstream o, e;
  ASSERT_EQ(RunKvmesh({in, out}, o, e), 0) << e.str();
  EXPECT_EQ(o.str(), "Reading file: " + in +
                         "\nNumber of nodes:      4\nNumber of elements:   3\nNumber of properties: 3\n"
                         "Writing file: " + out + "\nDone.\n");
  EXPECT_EQ(e.str(), "");
  MeshModel back;
  std::string error;
  ASSERT_EQ(ReadMeshNative(back, out, error), 1) << error;
  EXPECT_EQ(back.elements.size(), 4u);  // the quad became two triangles
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(out).parent_path() / ".partial-out.m2D"));

  std::ostringstream help, none;
  EXPECT_EQ(RunKvmesh({"--help"}, help, none), 0);
  EXPECT_NE(help.str().find("fem      .fem         read, write"), std::string::npos) << help.str();
}

// A damaged input, or an output that cannot be written, ends with status 1
// and a reason; an existing output file is left as it was.
TEST(KvmeshRun, FailuresKeepTheUsersFiles) {
  std::string in = ScratchPath("in.m2D"), out = ScratchPath("out.fem");
  WriteText(in, "SUMR 0 0 0 1 0\nNODE 1 0 0.0 zero 0\n");
  WriteText(out, "precious");
  std::ostringstream o, e;
  EXPECT_EQ(RunKvmesh({in, out}, o, e), 1);
  EXPECT_EQ(e.str(), "kvmesh: " + in + ":2: NODE record: 'zero' is not a valid y coordinate\n");
  EXPECT_EQ(ReadText(out), "precious");

  std::ostringstream o2, e2;
  EXPECT_EQ(RunKvmesh({ScratchPath("missing.m2D")}, o2, e2), 1);
  EXPECT_NE(e2.str().find("missing.m2D: cannot open the file"), std::string::npos) << e2.str();

  ASSERT_EQ(WriteMeshM2D(test::SmallModel(), in, 0, ""), 1);
  std::string unwritable = ScratchPath("no/such/dir/out.fem");
  std::ostringstream o3, e3;
  EXPECT_EQ(RunKvmesh({in, unwritable}, o3, e3), 1);
  EXPECT_EQ(e3.str(), "kvmesh: " + unwritable + ": cannot create or write the file\n");

  std::ostringstream o4, e4;
  EXPECT_EQ(RunKvmesh({in, ScratchPath("out.xyz")}, o4, e4), 2);
  EXPECT_EQ(o4.str(), "");  // nothing read when the output cannot be written
}

// The built program: .m2D -> .fem -> .m2D keeps what .fem carries (no
// pairing), and a damaged file gives a non-zero status.
TEST(KvmeshProgram, ConvertsThroughFemAndBack) {
  MeshModel m = test::SmallModel();
  m.properties[2] = test::MakeProperty(kPartDualSurface, 0.001f);
  m.elements[2] = test::AsRead(m, m.elements[2]);
  std::string in = ScratchPath("in.m2D"), fem = ScratchPath("mid.fem"), back = ScratchPath("back.m2D");
  std::string log = ScratchPath("log.txt");
  ASSERT_EQ(WriteMeshM2D(m, in, 0, ""), 1);
  const std::string kvmesh = std::string(KV_BIN_DIR) + "/kvmesh";
  auto run = [&](const std::string& arguments) {
    int status = std::system((kvmesh + " " + arguments + " >" + log + " 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  ASSERT_EQ(run(in + " " + fem), 0) << ReadText(log);
  EXPECT_NE(ReadText(log).find("Number of elements:   4\n"), std::string::npos) << ReadText(log);
  ASSERT_EQ(run(fem + " " + back), 0) << ReadText(log);

  MeshModel first, last;
  std::string error;
  ASSERT_EQ(ReadMeshNative(first, in, error), 1) << error;
  ASSERT_EQ(ReadMeshNative(last, back, error), 1) << error;
  for (Element& e : first.elements) e.paired = -1;
  first.properties[2].category = kPartSurface;  // .fem names the dual surface "Part surface"
  first.properties[2].name = "Part surface";
  for (Element& e : first.elements) e = test::AsRead(first, e);
  test::ExpectSameMesh(last, first);

  WriteText(in, "SUMR 0 0 0 2 0\nNODE 1 0 0 0 0\n");
  EXPECT_EQ(run(in + " " + fem), 1);
  EXPECT_NE(ReadText(log).find("announces 2 nodes, the file holds 1"), std::string::npos) << ReadText(log);
  EXPECT_EQ(run(""), 2);
  EXPECT_NE(ReadText(log).find("kvmesh: no INPUT mesh given"), std::string::npos) << ReadText(log);
}

}  // namespace
}  // namespace kv
