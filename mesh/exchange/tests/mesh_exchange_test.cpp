#include "mesh/exchange/mesh_exchange.h"

#include <gtest/gtest.h>

#include "mesh/exchange/tests/test_files.h"

namespace kv {
namespace {

using test::DataPath;
using test::ReadFile;
using test::ScratchPath;

TEST(MeshExchange, FilterTablesInDialogOrder) {
  const auto& imports = ImportMeshFilters();
  ASSERT_EQ(imports.size(), 15u);
  for (size_t i = 0; i < imports.size(); ++i) EXPECT_EQ(imports[i].index, static_cast<int>(i + 1));
  EXPECT_STREQ(imports[2].text, "Stereolithography Files (*.stl)");
  EXPECT_STREQ(imports[10].text, "GiD Mesh Files (*.msh)");
  EXPECT_STREQ(imports[12].text, "Gmsh Mesh Files (*.msh)");
  const auto& exports = ExportMeshFilters();
  ASSERT_EQ(exports.size(), 11u);
  for (size_t i = 0; i < exports.size(); ++i) EXPECT_EQ(exports[i].index, static_cast<int>(i + 1));
  EXPECT_STREQ(exports[7].text, "AutoCAD Drawing Exchange Files (*.dxf)");
  EXPECT_STREQ(exports[8].pattern, "*.stl");
}

TEST(MeshExchange, ImportByFilterIndex) {
  MeshModel model;
  std::string error;
  ASSERT_EQ(ImportMeshFile(model, DataPath("box.msh"), kImportGmsh, error), 1) << error;
  EXPECT_EQ(model.nodes.size(), 45u);
  EXPECT_EQ(model.elements.size(), 184u);

  // The Stereolithography filter reads nothing and leaves the model as it is.
  ASSERT_EQ(ImportMeshFile(model, DataPath("plate.msh"), kImportStl, error), 1);
  EXPECT_EQ(model.nodes.size(), 45u);

  // Failures keep the model and say why.
  const std::string wrong = DataPath("plate.wrl");
  EXPECT_EQ(ImportMeshFile(model, wrong, kImportGmsh, error), 0);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(ImportMeshFile(model, "/nonexistent/x.msh", kImportGmsh, error), -1);
  EXPECT_NE(error.find("/nonexistent/x.msh"), std::string::npos);
  EXPECT_EQ(ImportMeshFile(model, wrong, 16, error), 0);
  EXPECT_EQ(error, "unknown import filter 16");
  EXPECT_EQ(ImportMeshFile(model, wrong, 0, error), 0);
  EXPECT_EQ(model.nodes.size(), 45u);
  EXPECT_EQ(model.elements.size(), 184u);
}

TEST(MeshExchange, NativeFiltersAndTheRebuildAfterReading) {
  MeshModel model;
  std::string error;
  ASSERT_EQ(ImportMeshFile(model, DataPath("box.msh"), kImportGmsh, error), 1) << error;
  // The rebuild made the face records: one per triangle, four per tetrahedron.
  EXPECT_EQ(model.faces.size(), 84u + 4 * 100);
  const std::string path = ScratchPath("box.m3D");
  ASSERT_EQ(ExportMeshFile(model, path, kExportM3D, false, error), 1) << error;
  MeshModel back;
  ASSERT_EQ(ImportMeshFile(back, path, kImportM3D, error), 1) << error;
  EXPECT_EQ(back.nodes.size(), 45u);
  EXPECT_EQ(back.elements.size(), 184u);
  EXPECT_EQ(back.faces.size(), 84u + 4 * 100);
}

TEST(MeshExchange, ExportByFilterIndex) {
  MeshModel model;
  std::string error;
  ASSERT_EQ(ImportMeshFile(model, DataPath("plate.msh"), kImportGmsh, error), 1) << error;
  struct Case {
    int filter;
    const char* name;
    const char* start;
  };
  const Case cases[] = {
      {kExportVestraPg1, "out.pg1", "/*>>> [ Mesh Output for VESTRA R3.0 ] <<<*/\n22 18 "},
      {kExportVestraPg3, "out.pg3", "/*>>> [ Mesh Output for VESTRA R3.0 ] <<<*/\n22 0 0 0 18 "},
      {kExportIdeas, "out.unv", "    -1\n   151\n"},
      {kExportDxf, "out.dxf", "999\n\n0\nSECTION\n"},
      {kExportStlAscii, "out.stl", "solid \n"},
      {kExportGmsh, "out.msh", "$MeshFormat\n2 0 8\n"},
  };
  for (const Case& c : cases) {
    const std::string path = ScratchPath(c.name);
    ASSERT_EQ(ExportMeshFile(model, path, c.filter, false, error), 1) << c.name << ": " << error;
    EXPECT_EQ(ReadFile(path).rfind(c.start, 0), 0u) << c.name;
  }
  // Filters 4 and 5 are the same writer.
  const std::string pg1 = ScratchPath("same.pg1"), pg2 = ScratchPath("same.pg2");
  ASSERT_EQ(ExportMeshFile(model, pg1, kExportVestraPg1, false, error), 1);
  ASSERT_EQ(ExportMeshFile(model, pg2, kExportVestraPg2, false, error), 1);
  EXPECT_EQ(ReadFile(pg1), ReadFile(pg2));
  EXPECT_EQ(ExportMeshFile(model, ScratchPath("x.msh"), 12, false, error), 0);
  EXPECT_EQ(error, "unknown export filter 12");
  EXPECT_EQ(ExportMeshFile(model, "/nonexistent/x.pg1", kExportVestraPg1, false, error), -1);
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace kv
