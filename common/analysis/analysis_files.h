#pragma once
// Writers of the job's analysis files: "par" (PRMT), "prc" (PROC), "bcd"
// (BOUND), "inj" (INJE) and "mtl" (MTRL), in the tcode grammar of
// tcode_format.h, line for line as the filling solver reads them.
//
// Each writer takes the full path of the file to write and the title (the
// pre-processor always passes an empty one), and returns 1, or 0 when the file
// cannot be created (nothing is left behind then).

#include <functional>
#include <string>
#include <vector>

#include "common/analysis/analysis_settings.h"

namespace kv {

// The path of a job file: `model_path` with its last three characters (the
// extension) replaced by `extension` (three letters, e.g. "par"). A path
// shorter than four characters, or without a point before its extension,
// gets ".<extension>" appended instead.
std::string AnalysisFilePath(const std::string& model_path, const char* extension);

// "par": layers, design outputs, convergence criterion ("%e", three exponent
// digits), maximum iterations, inertia flag.
int WriteParameterFile(const SolverParameters& parameters, const std::string& path,
                       const std::string& title = "");

// "prc": clamp force, the three phase times (s), ambient, mold-wall and
// ejection temperatures (K), parting-plane normal, gravity (m/s^2).
int WriteProcessFile(const ProcessConditions& process, const std::string& path,
                     const std::string& title = "");

// "bcd": potential inlet nodes (type 2) and inlet nodes (type 3) of
// `node_boundaries`, inlet faces (type 4) and outlet faces (type 10) of
// `face_boundaries`; numbers written 1-based (index + 1). Records of other
// types are not written.
int WriteBoundaryFile(const std::vector<BoundaryRecord>& node_boundaries,
                      const std::vector<BoundaryRecord>& face_boundaries,
                      const std::string& path, const std::string& title = "");

// "inj": one value line (or six pair lines) per injection unit for every
// record; melt temperature written in K (entered C + 273.15), stroke in m
// (entered mm / 1000), the rest as held.
int WriteInjectionFile(const std::vector<InjectionUnit>& units, const std::string& path,
                       const std::string& title = "");

// "mtl": the polymer's densities, Tait coefficients ("%e"), specific heat,
// conductivity, no-flow temperature, Cross-WLF constants and trade name, then
// the coolant, air and mold values of `material`.
int WriteMaterialFile(const JobMaterial& material, const std::string& path,
                      const std::string& title = "");

// The same with the fixed coolant (water), air and mold (steel) values that
// the pre-processor always writes.
int WriteMaterialFile(const MaterialRecord& polymer, const std::string& path,
                      const std::string& title = "");

// Writes one analysis file next to the current model, as every setup dialog
// does on OK: the last three characters of `model_path` (its extension) are
// replaced in place by `extension`, the Output pane gets "Writing file: %s",
// `write` runs with that path, and the pane gets "Done.".
//   model_path: the current model path; keeps the extension written last.
//   write: one of the writers above, bound to its record.
//   returns 1 written; 0 no model path (nothing written; the caller shows
//   "Data was not stored."); -1 the file could not be created (the pane gets
//   "Unable to write file: %s" instead of "Done.").
int StoreAnalysisFile(std::string& model_path, const char* extension,
                      const std::function<int(const std::string& path)>& write);

}  // namespace kv
