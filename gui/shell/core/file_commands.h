#pragma once
// What the File commands decide without a display: the picture filters, the
// job title and the progress lines. The mesh filters belong to the exchange
// module (mesh/exchange/mesh_exchange.h).

#include <string>
#include <vector>

namespace kv {

// Filter texts of the Save Image dialog, in order; index i + 1 is the filter number.
const std::vector<std::string>& SaveImageFilters();    // PNG, BMP

// The job title: the path without its last four characters (dot and
// extension), then its file name part. "/a/b/plate.m2D" -> "plate".
std::string JobTitleFromPath(const std::string& path);

// "Reading file: %s", "Writing file: %s", "Elapsed time: %.2f seconds.".
std::string ReadingLine(const std::string& path);
std::string WritingLine(const std::string& path);
std::string ElapsedLine(double seconds);

}  // namespace kv
