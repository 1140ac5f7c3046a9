// DXF drawings: beams as eight-sided tubes, triangles as 3D faces.
#include <cmath>

#include "common/geometry/constants.h"
#include "common/geometry/vec3.h"
#include "common/text/number_format.h"
#include "mesh/exchange/export_support.h"
#include "mesh/exchange/mesh_writers.h"

namespace kv {
namespace {

constexpr int kTubeSides = 8;

// The colour group of a beam by its category; empty for none.
std::string BeamColourGroup(int category) {
  switch (category) {
    case kPartRunner: return "62\n56\n";
    case kColdRunner: return "62\n90\n";
    case kHotRunner: return "62\n10\n";
    case kCoolingChannel: return "62\n170\n";
    default: return "";
  }
}

// The point group `code` (10, 11, 12, 13): x, y, z under code, code+10, code+20.
std::string PointGroup(int code, Vec3 p) {
  return Format("%d\n%f\n%d\n%f\n%d\n%f\n", code, p.x, code + 10, p.y, code + 20, p.z);
}

std::string Face3d(const std::string& colour, Vec3 a, Vec3 b, Vec3 c, Vec3 d) {
  return "0\n3DFACE\n8\n0\n" + colour + PointGroup(10, a) + PointGroup(11, b) + PointGroup(12, c) +
         PointGroup(13, d);
}

// Two unit vectors u, v normal to the unit axis d and to each other.
void NormalPlane(Vec3 d, Vec3& u, Vec3& v) {
  // Cross the axis with the coordinate axis it is least aligned with.
  Vec3 helper{1, 0, 0};
  if (std::fabs(d.y) < std::fabs(d.x) && std::fabs(d.y) <= std::fabs(d.z)) helper = {0, 1, 0};
  else if (std::fabs(d.z) < std::fabs(d.x) && std::fabs(d.z) < std::fabs(d.y)) helper = {0, 0, 1};
  u = Cross(d, helper);
  const double lu = Norm(u);
  if (lu == 0) {
    u = {0, 1, 0};
    v = {0, 0, 1};
    return;
  }
  u = (1.0 / lu) * u;
  v = Cross(d, u);
}

// A beam as a tube of eight flat sides of radius r around the segment a-b:
// side k spans the circle points at angles 2*pi*k/8 and 2*pi*(k+1)/8 in the
// plane normal to the segment, at both ends.
void WriteTube(OutputFile& out, Vec3 a, Vec3 b, double r, const std::string& colour) {
  Vec3 axis = b - a;
  const double length = Norm(axis);
  Vec3 d = length > 0 ? (1.0 / length) * axis : Vec3{1, 0, 0};
  Vec3 u, v;
  NormalPlane(d, u, v);
  auto circle = [&](int k) {
    const double angle = 2 * kPi * k / kTubeSides;
    return r * std::cos(angle) * u + r * std::sin(angle) * v;
  };
  for (int k = 0; k < kTubeSides; ++k) {
    const Vec3 c0 = circle(k), c1 = circle(k + 1);
    out.Write("0\nLINE\n8\n0\n" + colour + PointGroup(10, a + c0) + PointGroup(11, b + c0));
    out.Write(Face3d(colour, a + c0, a + c1, b + c1, b + c0));
  }
}

}  // namespace

int WriteDxfMesh(const MeshModel& model, const std::string& path, const std::string& title) {
  OutputFile out(path);
  if (!out.IsOpen()) return 0;
  out.Write("999\n" + title + "\n");
  out.Write("0\nSECTION\n2\nHEADER\n9\n$INSUNITS\n70\n6\n0\nENDSEC\n");
  out.Write("0\nSECTION\n2\nENTITIES\n");
  for (const Element& element : model.elements) {
    if (element.category == kConnector || !ElementNodesValid(model, element)) continue;
    if (element.type == kBeam) {
      WriteTube(out, ToVec3(model.nodes[element.nodes[0]]), ToVec3(model.nodes[element.nodes[1]]),
                0.5 * element.diameter, BeamColourGroup(element.category));
    } else if (element.type == kTriangle) {
      const Vec3 a = ToVec3(model.nodes[element.nodes[0]]);
      const Vec3 b = ToVec3(model.nodes[element.nodes[1]]);
      const Vec3 c = ToVec3(model.nodes[element.nodes[2]]);
      out.Write(Face3d(element.category == kPartSurface ? "62\n56\n" : "", a, b, c, c));
    }
  }
  out.Write("0\nENDSEC\n0\nEOF\n");
  return out.Close() ? 1 : 0;
}

}  // namespace kv
