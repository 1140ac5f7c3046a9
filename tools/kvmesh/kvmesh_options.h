#pragma once
// kvmesh's command line: INPUT [OUTPUT] and options, each option a row of a
// table (kvmesh_option_table.cpp) that says how many arguments it takes, how
// it stores them, and what it does to the mesh once it is read.

#include <iosfwd>
#include <string>
#include <vector>

#include "common/mesh/mesh_model.h"

namespace kv {

struct KvmeshOptions {
  std::string input;           // mesh to read
  std::string output;          // mesh to write, empty: none
  std::string input_format;    // --format NAME, empty: by extension
  std::string output_format;   // --output-format NAME, empty: by extension
  bool help = false;           // --help
  std::string results;         // --results FILE, empty: none
  bool fix = false;            // --fix DISTANCE ASPECT THICKNESS
  double fix_distance = 0;     // m, merge distance
  double fix_aspect = 0;       // contraction threshold of the aspect measure
  double fix_thickness = 0;    // m, minimum thickness
  bool stats = false;          // --stats
  double length_unit = 1;      // --units: metres per length unit of INPUT
  std::string vtu;             // --vtu BASE: results for ParaView, empty: none
  // Options added by later rows store their settings here.
};

struct KvmeshOption {
  const char* name;        // "--format"
  const char* arguments;   // argument names for the usage text, "" for none
  int argument_count;
  const char* help;        // one line for the usage text
  // Stores the option's arguments; returns 1, or 0 with `error` saying why.
  int (*store)(KvmeshOptions& options, const std::vector<std::string>& arguments, std::string& error);
  // Runs after the mesh is read and before it is written, in table order;
  // prints its report on `out`. Returns 1, or 0 with `error` (the run then
  // stops with a non-zero status and nothing is written). Null: nothing to run.
  int (*run)(MeshModel& model, const KvmeshOptions& options, std::ostream& out, std::string& error);
};

// All option rows, in the order of the usage text.
const std::vector<KvmeshOption>& KvmeshOptionTable();

// Parses the arguments after the program name.
//   options: filled from the arguments.
//   given: the rows of the options given, in table order, each once.
//   returns 1, or 0 with `error` naming the fault (unknown option, missing
//   argument, no input, more than two file names). With --help the file
//   names may be missing.
int ParseKvmeshArguments(const std::vector<std::string>& arguments, KvmeshOptions& options,
                         std::vector<const KvmeshOption*>& given, std::string& error);

// The usage text: synopsis, options and the formats with their extensions.
std::string KvmeshUsage();

}  // namespace kv
