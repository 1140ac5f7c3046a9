#pragma once
// Names of a job's files: the job name (the path of the job's files without
// extension, as given to fluxar), a point and a three-letter extension; the
// log is the job name followed by ".f2D.log".

#include <string>

namespace kv {

// `job` + "." + `extension`, e.g. JobFileName("/tmp/plate", "par") == "/tmp/plate.par".
std::string JobFileName(const std::string& job, const char* extension);

// `job` + ".f2D.log".
std::string JobLogName(const std::string& job);

}  // namespace kv
