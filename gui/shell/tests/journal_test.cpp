// The command journal: what a session records, its replay on a fresh model,
// and the stop at a line that cannot be used.
#include "gui/shell/core/journal.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "common/mesh/native_mesh_file.h"
#include "gui/shell/tests/interpreter_test_util.h"

namespace kv {
namespace {

std::string Scratch(const std::string& name) {
  const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "kv_journal_tests";
  std::filesystem::create_directories(dir);
  return (dir / name).string();
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string MeshText(const MeshModel& model, const std::string& name) {
  const std::string path = Scratch(name);
  EXPECT_EQ(WriteMeshM2D(model, path, 0, ""), 1);
  return FileText(path);
}

TEST(Journal, CommandLinesNameMenuPaths) {
  EXPECT_EQ(JournalCommandLine(8), "Measure > Distance");
  EXPECT_EQ(JournalCommandLine(23), "Mesh > Create > Node");
  EXPECT_EQ(JournalCommandLine(28), "Mesh > Delete > Element");
  EXPECT_EQ(JournalCommandLine(1), "View > Center of Rotation");
  EXPECT_EQ(JournalCommandLine(14), "Simulation > Boundary Conditions > Inlet");
  EXPECT_EQ(JournalCommandLine(5), "Results > Query > Value (Interactive)");
  EXPECT_EQ(JournalCommandLine(30), "");
  EXPECT_EQ(JournalCommandCode("  mesh>create >NODE "), 23);
  EXPECT_EQ(JournalCommandCode("Properties > Query > Element"), 31);
  EXPECT_EQ(JournalCommandCode("Mesh > Create > Nodes"), 0);
}

// A model built by picks, typed answers and selections replays from its
// journal to the identical mesh file.
TEST(Journal, SessionReplaysToTheIdenticalModel) {
  InterpreterBench b;
  b.Start(23);  // a node by key-in, one midway between picked nodes
  b.Enter("0");
  b.Enter("2, 0, 0");
  b.Start(23);
  b.Enter("2");
  b.PickNode(1);
  b.PickNode(5);
  b.Start(24);  // a triangle on picked nodes
  b.Enter("1");
  b.PickNode(1);
  b.PickNode(5);
  b.Enter("3");
  b.RightClick();
  b.Start(20);  // a copy of the picked facets moved up
  b.PickFacetOf(0);
  b.PickFacetOf(3);
  b.Enter("");
  b.PickNode(0);
  b.PickNode(4);  // direction (1, 1, 1)
  b.Enter("0.5");
  b.Enter("yes");
  b.Enter("2");
  b.Start(28);  // delete the first triangle by selection
  b.PickFacetOf(0);
  b.Enter("");
  b.Enter("yes");
  b.RightClick();
  b.Start(8);  // a measurement changes nothing
  b.Enter("abc");  // refused, not journalled
  b.PickNode(0);
  b.PickNode(1);
  ASSERT_EQ(b.model.elements.size(), 7u);  // 3 + 1 created + 2 x 2 copies - 1 deleted

  Journal journal;
  journal.lines = b.journal;
  const std::string path = Scratch("session.kvj");
  ASSERT_EQ(WriteJournalFile(journal, path), 1);
  const std::string text = FileText(path);
  EXPECT_NE(text.find("Mesh > Create > Node\n0\n2, 0, 0\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Transform > Move\n1 4\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("abc"), std::string::npos);

  InterpreterBench fresh;
  std::string error;
  ASSERT_EQ(ReplayJournalFile(fresh.ctx, path, &error), 1) << error;
  EXPECT_EQ(MeshText(fresh.model, "replayed.m2D"), MeshText(b.model, "recorded.m2D"));
  EXPECT_EQ(fresh.Out().back(), b.Out().back());  // the distance printed again
}

TEST(Journal, ADamagedJournalStopsAtItsLine) {
  InterpreterBench b;
  std::string error;
  EXPECT_EQ(ReplayJournal(b.ctx, "# comment\nMesh > Create > Node\n0\n1, 1, 1\nMesh > Fold\n", "j.kvj", &error), 0);
  EXPECT_EQ(error, "j.kvj:5: unknown command \"Mesh > Fold\"");
  EXPECT_EQ(b.model.nodes.size(), 6u);  // the lines before it ran
  EXPECT_EQ(ReplayJournal(b.ctx, "\n12\n", "j.kvj", &error), 0);
  EXPECT_EQ(error, "j.kvj:2: no command is running for \"12\"");
  EXPECT_EQ(ReplayJournal(b.ctx, "Measure > Distance\n1\n77\n", "j.kvj", &error), 0);
  EXPECT_EQ(error, "j.kvj:3: answer \"77\" refused at \"Select node #2:\"");
  EXPECT_EQ(ReplayJournal(b.ctx, "Measure > Distance\n" + std::string(81, '1') + "\n", "j.kvj", &error), 0);
  EXPECT_EQ(error, "j.kvj:2: line longer than 80 characters");
  EXPECT_EQ(ReplayJournalFile(b.ctx, Scratch("missing.kvj"), &error), -1);
  EXPECT_NE(error.find("unable to read"), std::string::npos);
  // A journal that cannot be written leaves no file behind.
  EXPECT_EQ(WriteJournalFile(Journal{}, Scratch("no/such/dir.kvj")), 0);
}

}  // namespace
}  // namespace kv
