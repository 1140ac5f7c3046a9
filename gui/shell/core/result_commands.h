#pragma once
// The display-free part of the project and result File commands: Open, Save
// and Save As of the project file, Read Results and Results > Save Plot, with
// the command frame's progress lines and timing and the flags they change.
// The frame adds the dialogs, questions, message boxes and the redraw.

#include <string>

#include "common/mesh/mesh_model.h"
#include "common/results/result_set.h"
#include "gui/shell/core/project_file.h"
#include "gui/shell/core/shell_state.h"

namespace kv {

// Texts of the message boxes of the project commands.
inline constexpr const char* kOpenFailedText = "Unable to open file.";
inline constexpr const char* kSaveFailedText = "Unable to save file.";

// Filter texts of the Open/Save As, Read Results, Save Animation and Save
// Plot dialogs, in order (index i + 1 is the filter number).
const std::vector<std::string>& ProjectFilters();      // "Norvale Files (*.sim)"
const std::vector<std::string>& ResultFileFilters();   // f2D, a2D, f3D
const std::vector<std::string>& AnimationFilters();    // "AVI Files (*.avi)"
const std::vector<std::string>& SavePlotFilters();     // "Result Files (*.dat)"
const std::vector<std::string>& ExportResultsFilters(); // "ParaView Files (*.pvd)"

// File > Open without its dialog: "Reading file: %s", ReadProject, the
// reason of a refusal, "Elapsed time: %.2f seconds.". On success the model
// and project paths are `path`, the display units are applied to the result
// set, the statistics are computed quietly, Read Results is enabled and the
// data-modified flag cleared. On failure every table is as it was.
// Returns 1 on success, 0 on failure.
int OpenProjectCommand(const ProjectTables& tables, ShellState& state, const std::string& path);

// File > Save / Save As without the dialog and question: "Writing file: %s",
// WriteProject (through a scratch file, so an earlier file survives a
// failure), the elapsed time. On success the project path is `path` and the
// data-modified flag is cleared. Returns 1 on success, 0 on failure.
int SaveProjectCommand(const ProjectTables& tables, ShellState& state, const std::string& path);

// File > Read Results without its dialog: "Reading file: %s", the result
// reader (appending to `set`), its error, the elapsed time; on success the
// model path and job title follow `path` and the display units are applied.
// Returns the reader's code (1 success; 0 damaged, -1 not opened; the set is
// unchanged on failure).
int ReadResultsCommand(ResultSet& set, const MeshModel& mesh, ShellState& state, const std::string& path);

// Results > Save Plot without its dialog: "Exporting to file: %s", the
// current entry as a nodal-data block written through a scratch file, the
// elapsed time. Returns 1, 0 when there is no current nodal entry, -1 when
// the file cannot be written.
int SavePlotCommand(const ResultSet& set, const std::string& path);

// File > Export Results without its dialog: "Writing file: %s" per file,
// the result set as VTK XML files, one per time frame, and their ".pvd"
// collection (common/results/result_vtu.h), the elapsed time. Returns 1, 0
// when there are no results, -1 when a file cannot be written.
int ExportResultsCommand(const ResultSet& set, const MeshModel& mesh, const std::string& path);

}  // namespace kv
