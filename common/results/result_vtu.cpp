#include "common/results/result_vtu.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>

#include "common/files/file_replacement.h"
#include "common/text/number_format.h"

namespace kv {
namespace {

int VtkCellType(int element_type) {
  switch (element_type) {
    case kBeam: return 3;
    case kTriangle: return 5;
    case kQuadrilateral: return 9;
    case kTetrahedron: return 10;
    case kPyramid: return 14;
    case kPrism: return 13;
    case kHexahedron: return 12;
  }
  return 0;
}

// True when the element is written: a known type whose nodes lie in the mesh.
bool CellWritten(const Element& e, size_t node_count) {
  if (VtkCellType(e.type) == 0 || e.node_count != ElementTypeNodeCount(e.type)) return false;
  for (int k = 0; k < e.node_count; ++k)
    if (e.nodes[k] < 0 || static_cast<size_t>(e.nodes[k]) >= node_count) return false;
  return true;
}

std::string XmlEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// Base64 of a UInt32 byte count followed by the bytes: VTK's uncompressed binary array.
std::string Base64Block(const void* data, size_t bytes) {
  std::vector<uint8_t> raw(4 + bytes);
  const uint32_t n = static_cast<uint32_t>(bytes);
  for (int i = 0; i < 4; ++i) raw[static_cast<size_t>(i)] = static_cast<uint8_t>(n >> (8 * i));
  if (bytes) std::memcpy(raw.data() + 4, data, bytes);
  static const char* kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((raw.size() + 2) / 3 * 4);
  for (size_t i = 0; i < raw.size(); i += 3) {
    const uint32_t b0 = raw[i], b1 = i + 1 < raw.size() ? raw[i + 1] : 0, b2 = i + 2 < raw.size() ? raw[i + 2] : 0;
    const uint32_t w = b0 << 16 | b1 << 8 | b2;
    out += kAlphabet[(w >> 18) & 63];
    out += kAlphabet[(w >> 12) & 63];
    out += i + 1 < raw.size() ? kAlphabet[(w >> 6) & 63] : '=';
    out += i + 2 < raw.size() ? kAlphabet[w & 63] : '=';
  }
  return out;
}

template <typename T>
std::string DataArray(const char* type, const std::string& name, int components, const std::vector<T>& values) {
  std::string out = std::string("        <DataArray type=\"") + type + "\"";
  if (!name.empty()) out += " Name=\"" + XmlEscape(name) + "\"";
  if (components > 1) out += " NumberOfComponents=\"" + std::to_string(components) + "\"";
  out += " format=\"binary\">" + Base64Block(values.data(), values.size() * sizeof(T)) + "</DataArray>\n";
  return out;
}

bool HasTime(const ResultEntry& e) { return e.label_kind == 1 || e.label_kind == 2; }

// The array name of an entry's series.
std::string SeriesName(const ResultEntry& e) {
  std::string name = e.unit.empty() ? e.name : e.name + " [" + e.unit + "]";
  if (e.label_kind == 2) name += Format(" h=%.4f", e.variable_value[1]);
  return name;
}

int Components(const ResultEntry& e) {
  if (e.location == kTwoSidedResult) return 2;
  if (e.location == kElementVectorResult) return 3;
  return 1;
}

bool Exported(const ResultEntry& e) {
  return e.location == kNodalResult || e.location == kElementResult || e.location == kTwoSidedResult ||
         e.location == kElementVectorResult;
}

// One array of a series at `time`: the latest entry at or before it.
struct Series {
  std::string name;
  int location = 0;
  int components = 1;
  const ResultEntry* entry = nullptr;
  double entry_time = -std::numeric_limits<double>::infinity();
};

std::vector<Series> SeriesAt(const ResultSet& set, double time) {
  std::vector<Series> series;
  std::map<std::string, size_t> index;
  for (const ResultEntry& e : set.entries) {
    if (!Exported(e)) continue;
    const std::string name = SeriesName(e);
    auto [it, added] = index.emplace(name + (e.location == kNodalResult ? "#p" : "#c"), series.size());
    if (added) {
      Series s;
      s.name = name;
      s.location = e.location;
      s.components = Components(e);
      series.push_back(s);
    }
    Series& s = series[it->second];
    const double t = HasTime(e) ? static_cast<double>(e.variable_value[0]) : -std::numeric_limits<double>::infinity();
    // Entries without a time hold in every frame; timed ones from their time on.
    if ((t <= time + 1e-12 || !HasTime(e)) && (!s.entry || t >= s.entry_time)) {
      s.entry = &e;
      s.entry_time = t;
    }
  }
  return series;
}

// The values of a series over `count` entities (nodes, or the written cells).
std::vector<float> SeriesValues(const Series& s, const std::vector<size_t>& entities) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  std::vector<float> values(entities.size() * static_cast<size_t>(s.components), nan);
  if (!s.entry) return values;
  for (size_t i = 0; i < entities.size(); ++i) {
    const size_t item = entities[i];
    if (item >= s.entry->items.size() || s.entry->items[item].defined != 1) continue;
    for (int c = 0; c < s.components; ++c)
      values[i * static_cast<size_t>(s.components) + static_cast<size_t>(c)] = s.entry->items[item].values[c];
  }
  return values;
}

bool WriteText(const std::string& path, const std::string& text) {
  FileReplacement out(path);
  if (!out.file()) return false;
  if (std::fwrite(text.data(), 1, text.size(), out.file()) != text.size()) return false;
  return out.Commit();
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::vector<double> ResultFrameTimes(const ResultSet& set) {
  std::vector<double> times;
  for (const ResultEntry& e : set.entries)
    if (Exported(e) && HasTime(e)) times.push_back(e.variable_value[0]);
  std::sort(times.begin(), times.end());
  times.erase(std::unique(times.begin(), times.end()), times.end());
  if (times.empty()) times.push_back(0.0);
  return times;
}

std::string ResultVtuText(const MeshModel& mesh, const ResultSet& set, double time) {
  std::vector<float> points;
  points.reserve(mesh.nodes.size() * 3);
  for (const Node& n : mesh.nodes) points.insert(points.end(), {n.x, n.y, n.z});
  std::vector<int32_t> connectivity, offsets;
  std::vector<uint8_t> types;
  std::vector<size_t> cells;
  for (size_t i = 0; i < mesh.elements.size(); ++i) {
    const Element& e = mesh.elements[i];
    if (!CellWritten(e, mesh.nodes.size())) continue;
    connectivity.insert(connectivity.end(), e.nodes, e.nodes + e.node_count);
    offsets.push_back(static_cast<int32_t>(connectivity.size()));
    types.push_back(static_cast<uint8_t>(VtkCellType(e.type)));
    cells.push_back(i);
  }
  std::vector<size_t> nodes(mesh.nodes.size());
  for (size_t i = 0; i < nodes.size(); ++i) nodes[i] = i;

  std::string point_data, cell_data;
  for (const Series& s : SeriesAt(set, time)) {
    if (s.location == kNodalResult) point_data += DataArray("Float32", s.name, s.components, SeriesValues(s, nodes));
    else cell_data += DataArray("Float32", s.name, s.components, SeriesValues(s, cells));
  }

  std::string out = "<?xml version=\"1.0\"?>\n"
                    "<VTKFile type=\"UnstructuredGrid\" version=\"0.1\" byte_order=\"LittleEndian\" "
                    "header_type=\"UInt32\">\n"
                    "  <UnstructuredGrid>\n";
  out += "    <Piece NumberOfPoints=\"" + std::to_string(mesh.nodes.size()) + "\" NumberOfCells=\"" +
         std::to_string(cells.size()) + "\">\n";
  out += "      <PointData>\n" + point_data + "      </PointData>\n";
  out += "      <CellData>\n" + cell_data + "      </CellData>\n";
  out += "      <Points>\n" + DataArray("Float32", "", 3, points) + "      </Points>\n";
  out += "      <Cells>\n" + DataArray("Int32", "connectivity", 1, connectivity) +
         DataArray("Int32", "offsets", 1, offsets) + DataArray("UInt8", "types", 1, types) + "      </Cells>\n";
  out += "    </Piece>\n  </UnstructuredGrid>\n</VTKFile>\n";
  return out;
}

int ExportResultsVtu(const MeshModel& mesh, const ResultSet& set, const std::string& base,
                     std::vector<std::string>& written, std::string& message) {
  std::string stem = base;
  if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".pvd") == 0) stem.resize(stem.size() - 4);
  written.clear();
  std::string pvd = "<?xml version=\"1.0\"?>\n"
                    "<VTKFile type=\"Collection\" version=\"0.1\" byte_order=\"LittleEndian\">\n"
                    "  <Collection>\n";
  const std::vector<double> times = ResultFrameTimes(set);
  for (size_t f = 0; f < times.size(); ++f) {
    const std::string path = stem + Format("_%04zu.vtu", f);
    if (!WriteText(path, ResultVtuText(mesh, set, times[f]))) {
      message = path + ": cannot be written";
      return 0;
    }
    written.push_back(path);
    pvd += "    <DataSet timestep=\"" + Format("%.9g", times[f]) + "\" group=\"\" part=\"0\" file=\"" +
           XmlEscape(BaseName(path)) + "\"/>\n";
  }
  pvd += "  </Collection>\n</VTKFile>\n";
  if (!WriteText(stem + ".pvd", pvd)) {
    message = stem + ".pvd: cannot be written";
    return 0;
  }
  written.push_back(stem + ".pvd");
  return 1;
}

}  // namespace kv
