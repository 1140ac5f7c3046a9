#pragma once
// What the File commands decide without a display: the filters of their file
// dialogs (the 1-based filter index keeps its meaning), the job title, the
// import filter chosen from a file's extension, and the progress lines.

#include <string>
#include <vector>

namespace kv {

// Filter texts of the dialogs, in order; index i + 1 is the filter number.
const std::vector<std::string>& ImportMeshFilters();   // 15 filters
const std::vector<std::string>& ExportMeshFilters();   // 11 filters
const std::vector<std::string>& SaveImageFilters();    // PNG, BMP

// The first pattern of a filter text ("Model 2D Files (*.m2D)" -> "m2D").
std::string FilterExtension(const std::string& filter);

// The job title: the path without its last four characters (dot and
// extension), then its file name part. "/a/b/plate.m2D" -> "plate".
std::string JobTitleFromPath(const std::string& path);

// The Import filter (1..15) whose extension the path carries, compared
// without regard to case; ".msh" is taken as Gmsh (13). 0 when none matches.
int ImportFilterForPath(const std::string& path);

// The Export filter (1..11) for a path, for batch use: ".stl" is the binary
// writer (9), ".msh" Gmsh (11). 0 when none matches.
int ExportFilterForPath(const std::string& path);

// "Reading file: %s", "Writing file: %s", "Elapsed time: %.2f seconds.".
std::string ReadingLine(const std::string& path);
std::string WritingLine(const std::string& path);
std::string ElapsedLine(double seconds);

}  // namespace kv
