#include "tools/kvmesh/mesh_formats.h"

#include <cctype>
#include <sstream>

namespace kv {
namespace {

bool SameWithoutCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// Extension of the last path component with its dot, or "" when none.
std::string ExtensionOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return path.substr(dot);
}

bool HasExtension(const MeshFormat& format, const std::string& extension) {
  std::istringstream list(format.extensions);
  std::string e;
  while (list >> e)
    if (SameWithoutCase(e, extension)) return true;
  return false;
}

}  // namespace

const MeshFormat* FindMeshFormat(const std::vector<MeshFormat>& formats, const std::string& name) {
  for (const MeshFormat& f : formats)
    if (SameWithoutCase(f.name, name)) return &f;
  return nullptr;
}

const MeshFormat* ChooseMeshFormat(const std::string& path, const std::string& forced, bool reading,
                                   std::string& error) {
  return ChooseMeshFormat(MeshFormats(), path, forced, reading, error);
}

const MeshFormat* ChooseMeshFormat(const std::vector<MeshFormat>& formats, const std::string& path,
                                   const std::string& forced, bool reading, std::string& error) {
  const char* job = reading ? "read" : "written";
  if (!forced.empty()) {
    const MeshFormat* f = FindMeshFormat(formats, forced);
    if (!f) {
      error = "unknown format '" + forced + "'";
      return nullptr;
    }
    if ((reading && !f->read) || (!reading && !f->write)) {
      error = "format '" + forced + "' cannot be " + job;
      return nullptr;
    }
    return f;
  }
  std::string extension = ExtensionOf(path);
  if (extension.empty()) {
    error = path + ": no extension to tell the format; name it with --format";
    return nullptr;
  }
  std::vector<const MeshFormat*> matches;
  for (const MeshFormat& f : formats)
    if (HasExtension(f, extension) && (reading ? f.read != nullptr : f.write != nullptr)) matches.push_back(&f);
  if (matches.empty()) {
    error = path + ": no format with extension '" + extension + "' can be " + job;
    return nullptr;
  }
  if (matches.size() > 1) {
    error = path + ": extension '" + extension + "' belongs to several formats (";
    for (size_t i = 0; i < matches.size(); ++i) error += (i ? ", " : "") + std::string(matches[i]->name);
    error += "); choose one with --format";
    return nullptr;
  }
  return matches.front();
}

}  // namespace kv
