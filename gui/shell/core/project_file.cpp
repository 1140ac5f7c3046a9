#include "gui/shell/core/project_file.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

#include "common/files/file_replacement.h"

namespace kv {
namespace {

// Field widths of the layout, bytes.
constexpr size_t kProductField = 80, kVersionField = 4, kReleaseField = 5, kMakerField = 80, kReservedField = 4;
constexpr size_t kNameField = 256;
constexpr size_t kLongLabelField = 100, kShortLabelField = 85, kResultNameField = 60, kResultUnitField = 20;

// Record sizes, bytes: what a count must find room for in the rest of the file.
constexpr size_t kPropertyBytes = kNameField + 5 * 4;
constexpr size_t kNodeBytes = 3 * 4;
constexpr size_t kFaceBytes = 19 * 4;
constexpr size_t kElementBytes = 28 * 4;
constexpr size_t kBoundaryBytes = 3 * 4;
constexpr size_t kInjectionUnitBytes = 35 * 4;
constexpr size_t kHighlightBytes = 6 * 4;
constexpr size_t kItemBytes = 9 * 4;
constexpr size_t kEntryMinimumBytes =
    kLongLabelField + kShortLabelField + 3 * (kResultNameField + kResultUnitField) + 7 * 4 + 4 + 4 + 6 * 4;

constexpr int kMaterialReals = 32;
constexpr int kFaceNodeSlots = 8;

// ---- writing -------------------------------------------------------------

class ByteWriter {
 public:
  explicit ByteWriter(std::vector<uint8_t>& out) : out_(out) {}
  void Int(int32_t v) { Word(static_cast<uint32_t>(v)); }
  void Real(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    Word(bits);
  }
  // `text` cut so that a terminating zero fits, zero-filled to `width`.
  void Text(const std::string& text, size_t width) {
    const size_t n = std::min(text.size(), width - 1);
    out_.insert(out_.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n));
    out_.insert(out_.end(), width - n, 0);
  }
  void Raw(const void* bytes, size_t n) {
    const uint8_t* b = static_cast<const uint8_t*>(bytes);
    out_.insert(out_.end(), b, b + n);
  }

 private:
  void Word(uint32_t w) {
    for (int i = 0; i < 4; ++i) out_.push_back(static_cast<uint8_t>(w >> (8 * i)));
  }
  std::vector<uint8_t>& out_;
};

int32_t Bits(float v) {
  int32_t bits;
  std::memcpy(&bits, &v, 4);
  return bits;
}

void WriteMaterial(ByteWriter& w, const MaterialRecord& m) {
  w.Text(m.name, kNameField);
  const float reals[kMaterialReals] = {
      m.leading_spare, m.melt_density, m.solid_density, m.b1m, m.b1s, m.b2m, m.b2s, m.b3m, m.b3s, m.b4m, m.b4s,
      m.b5, m.b6, m.b7, m.b8, m.b9, m.ejection_temperature, m.melt_temperature_min, m.melt_temperature_max,
      m.mold_temperature_min, m.mold_temperature_max, m.no_flow_temperature, m.specific_heat, m.conductivity,
      m.conductivity_spare, m.a1, m.a2, m.d1, m.d2, m.d3, m.n, m.tau_star};
  for (float r : reals) w.Real(r);
}

void WriteInjectionUnit(ByteWriter& w, const InjectionUnit& u) {
  const float head[] = {u.fill_pack_ratio, u.switch_volume, u.switch_position, u.switch_pressure, u.stroke,
                        u.max_pressure,    u.max_rate,      u.max_stroke,      u.melt_temperature,
                        u.pressure_ratio,  u.screw_diameter};
  for (float r : head) w.Real(r);
  for (const auto& p : u.profile) w.Real(p[0]), w.Real(p[1]);
  for (const auto& t : u.valve_timer) w.Real(t[0]), w.Real(t[1]);
}

void WriteEntry(ByteWriter& w, const ResultEntry& e) {
  w.Text(e.long_label, kLongLabelField);
  w.Text(e.short_label, kShortLabelField);
  for (int i = 0; i < 2; ++i) {
    w.Text(e.variable_name[i], kResultNameField);
    w.Text(e.variable_unit[i], kResultUnitField);
  }
  w.Text(e.name, kResultNameField);
  w.Text(e.unit, kResultUnitField);
  for (int v : {e.frame, e.label_kind, e.unit_state, e.location, e.quantity_code, e.invert_colours,
                static_cast<int>(e.highlights.size())})
    w.Int(v);
  for (const HighlightRecord& h : e.highlights)
    for (float r : h.values) w.Real(r);
  w.Int(static_cast<int32_t>(e.items.size()));
  for (const ResultItem& item : e.items) {
    for (float r : item.values) w.Real(r);
    w.Int(item.defined);
  }
  w.Int(e.component_count);
  w.Real(e.variable_value[0]);
  w.Real(e.variable_value[1]);
  // Four reals carrying the first sixteen bytes of the quantity name.
  char head[16] = {};
  std::memcpy(head, e.name.data(), std::min<size_t>(e.name.size(), sizeof head));
  w.Raw(head, sizeof head);
}

// ---- reading -------------------------------------------------------------

class ByteReader {
 public:
  explicit ByteReader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  size_t remaining() const { return bytes_.size() - at_; }
  size_t offset() const { return at_; }

  // Marks the file refused; only the first reason is kept.
  void Fail(const std::string& why) {
    if (error_.empty()) error_ = why + " (at byte " + std::to_string(at_) + ")";
  }

  int32_t Int(const char* what) {
    uint32_t w = 0;
    if (!Take(4, what)) return 0;
    for (int i = 0; i < 4; ++i) w |= static_cast<uint32_t>(bytes_[at_ - 4 + static_cast<size_t>(i)]) << (8 * i);
    return static_cast<int32_t>(w);
  }
  float Real(const char* what) {
    const int32_t bits = Int(what);
    float v;
    std::memcpy(&v, &bits, 4);
    if (ok() && !std::isfinite(v)) {
      Fail(std::string(what) + ": not a finite number");
      return 0.0f;
    }
    return v;
  }
  // A fixed-width text field: the bytes before the first zero.
  std::string Text(size_t width, const char* what) {
    if (!Take(width, what)) return std::string();
    const char* p = reinterpret_cast<const char*>(bytes_.data() + at_ - width);
    return std::string(p, strnlen(p, width - 1));
  }
  void Skip(size_t n, const char* what) { Take(n, what); }
  // A count of records of `record_bytes` each: refused when negative or when
  // the rest of the file cannot hold that many records.
  int Count(size_t record_bytes, const char* what) {
    const int32_t n = Int(what);
    if (!ok()) return 0;
    if (n < 0 || static_cast<uint64_t>(n) * record_bytes > remaining()) {
      Fail(std::string(what) + " " + std::to_string(n) + " does not fit the file");
      return 0;
    }
    return n;
  }
  // An index that must lie in [low, count).
  void CheckIndex(int value, int low, size_t count, const char* what) {
    if (ok() && (value < low || value >= static_cast<int64_t>(count)))
      Fail(std::string(what) + " " + std::to_string(value) + " outside its table");
  }

 private:
  bool Take(size_t n, const char* what) {
    if (!ok()) return false;
    if (n > remaining()) {
      Fail(std::string("file ends in ") + what);
      return false;
    }
    at_ += n;
    return true;
  }
  const std::vector<uint8_t>& bytes_;
  size_t at_ = 0;
  std::string error_;
};

void ReadProperties(ByteReader& r, std::vector<ElementProperty>& properties) {
  properties.resize(static_cast<size_t>(r.Count(kPropertyBytes, "property count")));
  for (ElementProperty& p : properties) {
    p.name = r.Text(kNameField, "property name");
    p.category = r.Int("property category");
    p.identifier = r.Int("property identifier");
    p.thickness = r.Real("property thickness");
    p.diameter = r.Real("property diameter");
    p.shape_factor = r.Real("property shape factor");
  }
}

void ReadNodes(ByteReader& r, std::vector<Node>& nodes) {
  nodes.resize(static_cast<size_t>(r.Count(kNodeBytes, "node count")));
  for (Node& n : nodes) {
    n.x = r.Real("node x");
    n.y = r.Real("node y");
    n.z = r.Real("node z");
  }
}

void ReadFaces(ByteReader& r, std::vector<FaceRecord>& faces, size_t node_count) {
  faces.resize(static_cast<size_t>(r.Count(kFaceBytes, "face count")));
  for (FaceRecord& f : faces) {
    for (float& c : f.centroid) c = r.Real("face centroid");
    f.element = r.Int("face owner");
    f.node_count = r.Int("face node count");
    if (r.ok() && (f.node_count < 0 || f.node_count > 4)) r.Fail("face node count " + std::to_string(f.node_count));
    int32_t slots[kFaceNodeSlots];
    for (int32_t& s : slots) s = r.Int("face node slot");
    for (int i = 0; i < 4; ++i) f.nodes[i] = slots[i];
    for (int i = 0; r.ok() && i < f.node_count; ++i) r.CheckIndex(f.nodes[i], 0, node_count, "face node");
    for (float& c : f.normal) c = r.Real("face normal");
    f.partner = r.Int("face partner");
    f.region = r.Int("face region");
    f.shape = r.Int("face shape");
    f.area = 0.0f;  // not saved; the statistics recompute it
  }
  for (const FaceRecord& f : faces) r.CheckIndex(f.partner, -1, faces.size(), "face partner");
}

void ReadElements(ByteReader& r, std::vector<Element>& elements, const MeshModel& mesh) {
  elements.resize(static_cast<size_t>(r.Count(kElementBytes, "element count")));
  for (Element& e : elements) {
    for (float& c : e.centroid) c = r.Real("element centroid");
    e.diameter = r.Real("element diameter");
    e.category = r.Int("element category");
    e.facet_count = r.Int("element facet count");
    e.node_count = r.Int("element node count");
    for (int& n : e.nodes) n = r.Int("element node slot");
    e.property = r.Int("element property");
    e.shape_factor = r.Real("element shape factor");
    e.thickness = r.Real("element thickness");
    e.type = r.Int("element type");
    e.visible = r.Int("element visible flag");
    for (int& f : e.facets) f = r.Int("element facet slot");
    if (!r.ok()) return;
    if (e.type < kBeam || e.type > kHexahedron) r.Fail("element type " + std::to_string(e.type));
    if (e.node_count < 0 || e.node_count > kMaxElementNodes) r.Fail("element node count " + std::to_string(e.node_count));
    if (e.facet_count < 0 || e.facet_count > kMaxElementFacets)
      r.Fail("element facet count " + std::to_string(e.facet_count));
    for (int i = 0; r.ok() && i < e.node_count; ++i) r.CheckIndex(e.nodes[i], 0, mesh.nodes.size(), "element node");
    for (int i = 0; r.ok() && i < e.facet_count; ++i) r.CheckIndex(e.facets[i], 0, mesh.faces.size(), "element facet");
    r.CheckIndex(e.property, -1, mesh.properties.size(), "element property");
  }
}

void ReadMaterial(ByteReader& r, MaterialRecord& m) {
  m.name = r.Text(kNameField, "material name");
  float* const reals[kMaterialReals] = {
      &m.leading_spare, &m.melt_density, &m.solid_density, &m.b1m, &m.b1s, &m.b2m, &m.b2s, &m.b3m, &m.b3s, &m.b4m,
      &m.b4s, &m.b5, &m.b6, &m.b7, &m.b8, &m.b9, &m.ejection_temperature, &m.melt_temperature_min,
      &m.melt_temperature_max, &m.mold_temperature_min, &m.mold_temperature_max, &m.no_flow_temperature,
      &m.specific_heat, &m.conductivity, &m.conductivity_spare, &m.a1, &m.a2, &m.d1, &m.d2, &m.d3, &m.n,
      &m.tau_star};
  for (float* p : reals) *p = r.Real("material record");
}

void ReadProcess(ByteReader& r, ProcessConditions& p) {
  float* const reals[] = {&p.filling_time, &p.packing_time, &p.cooling_time, &p.ambient_temperature,
                          &p.mold_temperature, &p.ejection_temperature, &p.clamp_force,
                          &p.gravity[0], &p.gravity[1], &p.gravity[2],
                          &p.parting_normal[0], &p.parting_normal[1], &p.parting_normal[2]};
  for (float* v : reals) *v = r.Real("process conditions");
}

void ReadBoundaries(ByteReader& r, std::vector<BoundaryRecord>& list, const char* what) {
  list.resize(static_cast<size_t>(r.Count(kBoundaryBytes, what)));
  for (BoundaryRecord& b : list) {
    b.identifier = r.Int(what);
    b.entity = r.Int(what);
    b.type = r.Int(what);
  }
}

void ReadInjectionUnits(ByteReader& r, std::vector<InjectionUnit>& units) {
  units.resize(static_cast<size_t>(r.Count(kInjectionUnitBytes, "injection unit count")));
  for (InjectionUnit& u : units) {
    float* const head[] = {&u.fill_pack_ratio, &u.switch_volume, &u.switch_position, &u.switch_pressure,
                           &u.stroke,          &u.max_pressure,  &u.max_rate,        &u.max_stroke,
                           &u.melt_temperature, &u.pressure_ratio, &u.screw_diameter};
    for (float* v : head) *v = r.Real("injection unit");
    for (auto& p : u.profile) p[0] = r.Real("injection profile"), p[1] = r.Real("injection profile");
    for (auto& t : u.valve_timer) t[0] = r.Real("valve gate timer"), t[1] = r.Real("valve gate timer");
  }
}

void ReadEntry(ByteReader& r, ResultEntry& e) {
  e.long_label = r.Text(kLongLabelField, "result label");
  e.short_label = r.Text(kShortLabelField, "result label");
  for (int i = 0; i < 2; ++i) {
    e.variable_name[i] = r.Text(kResultNameField, "result variable name");
    e.variable_unit[i] = r.Text(kResultUnitField, "result variable unit");
  }
  e.name = r.Text(kResultNameField, "result name");
  e.unit = r.Text(kResultUnitField, "result unit");
  int* const ints[] = {&e.frame, &e.label_kind, &e.unit_state, &e.location, &e.quantity_code, &e.invert_colours};
  for (int* v : ints) *v = r.Int("result entry");
  e.highlights.resize(static_cast<size_t>(r.Count(kHighlightBytes, "highlight count")));
  for (HighlightRecord& h : e.highlights)
    for (float& v : h.values) v = r.Real("highlight record");
  e.items.resize(static_cast<size_t>(r.Count(kItemBytes, "result item count")));
  for (ResultItem& item : e.items) {
    for (float& v : item.values) v = r.Real("result item");
    item.defined = r.Int("result item");
  }
  e.component_count = r.Int("result component count");
  e.variable_value[0] = r.Real("result variable value");
  e.variable_value[1] = r.Real("result variable value");
  r.Skip(16, "result entry");  // the head of the name again; the name field above holds it
}

bool HeaderIsOurs(ByteReader& r) {
  const std::string product = r.Text(kProductField, "header");
  r.Skip(kVersionField + kReleaseField + kMakerField + kReservedField, "header");
  if (r.ok() && product.compare(0, 8, "KAVITRON") != 0) r.Fail("not a KAVITRON project");
  return r.ok();
}

}  // namespace

std::vector<uint8_t> EncodeProject(const ProjectTables& t) {
  std::vector<uint8_t> out;
  ByteWriter w(out);
  const MeshModel& mesh = *t.mesh;
  const AnalysisSettings& a = *t.analysis;
  const ResultSet& results = *t.results;

  w.Text("KAVITRON", kProductField);
  w.Raw("2012", kVersionField);
  w.Text("beta", kReleaseField);
  w.Text("Norvale Solutions", kMakerField);
  w.Int(0);

  w.Int(static_cast<int32_t>(mesh.properties.size()));
  for (const ElementProperty& p : mesh.properties) {
    w.Text(p.name, kNameField);
    w.Int(p.category);
    w.Int(p.identifier);
    w.Real(p.thickness);
    w.Real(p.diameter);
    w.Real(p.shape_factor);
  }
  w.Int(static_cast<int32_t>(mesh.nodes.size()));
  for (const Node& n : mesh.nodes) w.Real(n.x), w.Real(n.y), w.Real(n.z);
  w.Int(static_cast<int32_t>(mesh.faces.size()));
  for (const FaceRecord& f : mesh.faces) {
    for (float c : f.centroid) w.Real(c);
    w.Int(f.element);
    w.Int(f.node_count);
    // Eight node slots: the four nodes, then the record's following fields
    // (owner and centroid) as bit patterns.
    for (int n : f.nodes) w.Int(n);
    w.Int(f.element);
    for (float c : f.centroid) w.Int(Bits(c));
    for (float c : f.normal) w.Real(c);
    w.Int(f.partner);
    w.Int(f.region);
    w.Int(f.shape);
  }
  w.Int(static_cast<int32_t>(mesh.elements.size()));
  for (const Element& e : mesh.elements) {
    for (float c : e.centroid) w.Real(c);
    w.Real(e.diameter);
    w.Int(e.category);
    w.Int(e.facet_count);
    w.Int(e.node_count);
    for (int n : e.nodes) w.Int(n);
    w.Int(e.property);
    w.Real(e.shape_factor);
    w.Real(e.thickness);
    w.Int(e.type);
    w.Int(e.visible);
    for (int f : e.facets) w.Int(f);
  }

  w.Int(a.parameters.layers);
  w.Int(a.parameters.design_outputs);
  w.Int(a.parameters.max_iterations);
  w.Real(a.parameters.convergence);
  w.Int(a.parameters.inertia);
  WriteMaterial(w, a.material);
  const ProcessConditions& p = a.process;
  for (float v : {p.filling_time, p.packing_time, p.cooling_time, p.ambient_temperature, p.mold_temperature,
                  p.ejection_temperature, p.clamp_force, p.gravity[0], p.gravity[1], p.gravity[2],
                  p.parting_normal[0], p.parting_normal[1], p.parting_normal[2]})
    w.Real(v);
  for (const std::vector<BoundaryRecord>* list : {&a.node_boundaries, &a.face_boundaries}) {
    w.Int(static_cast<int32_t>(list->size()));
    for (const BoundaryRecord& b : *list) w.Int(b.identifier), w.Int(b.entity), w.Int(b.type);
  }
  w.Int(static_cast<int32_t>(a.injection_units.size()));
  for (const InjectionUnit& u : a.injection_units) WriteInjectionUnit(w, u);

  w.Int(results.current);
  w.Int(static_cast<int32_t>(results.entries.size()));
  for (const ResultEntry& e : results.entries) WriteEntry(w, e);
  return out;
}

int DecodeProject(const ProjectTables& tables, const std::vector<uint8_t>& bytes, std::string& message) {
  ByteReader r(bytes);
  MeshModel mesh;
  AnalysisSettings analysis;
  ResultSet results;
  if (HeaderIsOurs(r)) {
    ReadProperties(r, mesh.properties);
    ReadNodes(r, mesh.nodes);
    ReadFaces(r, mesh.faces, mesh.nodes.size());
    ReadElements(r, mesh.elements, mesh);
    for (const FaceRecord& f : mesh.faces) r.CheckIndex(f.element, -1, mesh.elements.size(), "face owner");

    analysis.parameters.layers = r.Int("solver parameters");
    analysis.parameters.design_outputs = r.Int("solver parameters");
    analysis.parameters.max_iterations = r.Int("solver parameters");
    analysis.parameters.convergence = r.Real("solver parameters");
    analysis.parameters.inertia = r.Int("solver parameters");
    ReadMaterial(r, analysis.material);
    ReadProcess(r, analysis.process);
    ReadBoundaries(r, analysis.node_boundaries, "node boundary list");
    ReadBoundaries(r, analysis.face_boundaries, "face boundary list");
    ReadInjectionUnits(r, analysis.injection_units);

    results.current = r.Int("current result entry");
    results.entries.resize(static_cast<size_t>(r.Count(kEntryMinimumBytes, "result entry count")));
    for (ResultEntry& e : results.entries) {
      if (!r.ok()) break;
      ReadEntry(r, e);
    }
    r.CheckIndex(results.current, -1, results.entries.size(), "current result entry");
    if (r.ok() && r.remaining() != 0) r.Fail(std::to_string(r.remaining()) + " bytes after the result set");
  }
  if (!r.ok()) {
    message = r.error();
    return 0;
  }
  // The whole file is sound: the new tables replace the old ones. The
  // material selection of the database is not part of a project.
  analysis.current_material = -1;
  mesh.total_volume = 0;
  std::swap(*tables.mesh, mesh);
  std::swap(*tables.analysis, analysis);
  std::swap(*tables.results, results);
  return 1;
}

int ReadProject(const ProjectTables& tables, const std::string& path, std::string& message) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    message = path + ": cannot be opened";
    return 0;
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    message = path + ": read error";
    return 0;
  }
  if (DecodeProject(tables, bytes, message) != 1) {
    message = path + ": " + message;
    return 0;
  }
  return 1;
}

int WriteProject(const ProjectTables& tables, const std::string& path) {
  const std::vector<uint8_t> bytes = EncodeProject(tables);
  FileReplacement out(path);
  if (!out.file()) return 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), out.file()) != bytes.size()) return 0;
  return out.Commit() ? 1 : 0;
}

}  // namespace kv
