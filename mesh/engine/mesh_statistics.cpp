#include "mesh/engine/mesh_statistics.h"

#include "common/geometry/constants.h"
#include "common/geometry/element_geometry.h"
#include "common/output/pane_output.h"
#include "common/text/number_format.h"

namespace kv {
namespace {

// Volume an element adds to the total (m^3); 0 when its nodes are not valid.
double ElementVolume(const MeshModel& model, const Element& e) {
  Node p[kMaxElementNodes];
  if (e.node_count != ElementTypeNodeCount(e.type) || !GatherElementNodes(model, e, p)) return 0;
  switch (e.type) {
    case kBeam:  // pi D^2 / 4 * L
      return kBeamPi * double(e.diameter) * e.diameter / 4.0 * PointDistance(p[0], p[1]);
    case kTriangle:  // A * t
      return TriangleArea(p[0], p[1], p[2]) * e.thickness;
    case kQuadrilateral:  // (A(1 2 3) + A(1 3 4)) * t
      return (TriangleArea(p[0], p[1], p[2]) + TriangleArea(p[0], p[2], p[3])) * e.thickness;
    default:
      return SolidElementVolume(model, e);
  }
}

}  // namespace

double PrintStatistics(MeshModel& model, bool verbose) {
  if (verbose) {
    AppendOutput(Format("Number of nodes: %d", static_cast<int>(model.nodes.size())));
    AppendOutput(Format("Number of faces: %d", static_cast<int>(model.faces.size())));
    AppendOutput(Format("Number of elements: %d", static_cast<int>(model.elements.size())));
  }
  int counts[8] = {0, 0, 0, 0, 0, 0, 0, 0};  // by type code 1..7
  double total = 0;
  bool zero_volume = false;
  for (const Element& e : model.elements) {
    if (e.type >= kBeam && e.type <= kHexahedron) ++counts[e.type];
    // The volume as stored in the model's 32-bit fields decides "exactly 0".
    const float volume = float(ElementVolume(model, e));
    total += volume;
    if (volume == 0.0f && e.category != kConnector && e.category != kPartDualSurface) zero_volume = true;
  }
  if (verbose) {
    AppendOutput(Format("Number of beams: %d", counts[kBeam]));
    AppendOutput(Format("Number of triangles: %d", counts[kTriangle]));
    AppendOutput(Format("Number of quadrangles: %d", counts[kQuadrilateral]));
    AppendOutput(Format("Number of tetrahedra: %d", counts[kTetrahedron]));
    AppendOutput(Format("Number of pyramids: %d", counts[kPyramid]));
    AppendOutput(Format("Number of prisms: %d", counts[kPrism]));
    AppendOutput(Format("Number of hexahedra: %d", counts[kHexahedron]));
    AppendOutput("Total volume: " + FormatExponent(total, "%.4e") + " m^3");
  }
  if (zero_volume) AppendOutput("Warning: element(s) with zero volume!");
  model.total_volume = total;
  return total;
}

void PrintSelectedFacetCount(const std::vector<int>& selected_facets) {
  AppendOutput(Format("Number of selected facets: %d", static_cast<int>(selected_facets.size())));
}

}  // namespace kv
