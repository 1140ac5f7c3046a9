#pragma once
// Editing the mesh model from the interactive commands: adding nodes and
// elements, deleting and duplicating elements, and the point transforms of
// Transform > Scale, Move, Rotate and Reflect. Also the circle through three
// points used by Measure > Radius and Create > Node by centre, and the length
// unit scaling of imported meshes. Indices are 0-based, coordinates metres.

#include <string>
#include <vector>

#include "common/mesh/mesh_model.h"

namespace kv {

// Appends a node at (x, y, z) (m). Returns its index, or -1 (nothing added)
// when a coordinate is not finite or beyond the range of the node table.
int AddNode(MeshModel& model, double x, double y, double z);

// Appends an element of `type` (1 beam, 2 triangle, 3 quadrangle,
// 4 tetrahedron, 6 prism, 7 hexahedron) on `nodes` (0-based, as many as the
// type has), with property `property` (-1 none; its category, thickness and
// diameter are taken when it exists). A beam without a property gets the
// diameter 0.002 m. The derived data is not rebuilt (see RebuildAfterMerge).
//   returns the new element index; -1 when the type is not one of the above
//   or a node is outside the node table (nothing is added then).
int CreateElement(MeshModel& model, int type, const int* nodes, int property);

// Removes the elements whose indices are in `elements` (any order, repeats
// and out-of-range indices ignored); the others keep their order. Paired
// indices pointing at removed elements become -1, the others are renumbered.
// Returns the number removed. The derived data is not rebuilt.
int DeleteElements(MeshModel& model, const std::vector<int>& elements);

// Appends a copy of every element of `elements` on copies of their nodes
// (each node copied once). Returns the indices of the new elements in the
// order of `elements`; `new_nodes` gets the indices of the copied nodes.
std::vector<int> DuplicateElements(MeshModel& model, const std::vector<int>& elements,
                                   std::vector<int>* new_nodes = nullptr);

// The distinct nodes of `elements` (sorted ascending), with `extra` nodes
// added; indices outside the tables are left out.
std::vector<int> NodesOfElements(const MeshModel& model, const std::vector<int>& elements,
                                 const std::vector<int>& extra = {});

// The transforms below compute every new point first and change nothing
// (returning false) when one of them is not finite or beyond the range of
// the node table; true when the nodes were moved.

// p := point + scale * (p - point) per axis, for every node of `nodes`.
bool ScaleNodes(MeshModel& model, const std::vector<int>& nodes, const double point[3],
                const double scale[3]);

// p := p + offset for every node of `nodes`.
bool TranslateNodes(MeshModel& model, const std::vector<int>& nodes, const double offset[3]);

// Rotates the nodes about `pivot`: in the y-z plane by r[0] degrees, then in
// the z-x plane by r[1], then in the x-y plane by r[2].
bool RotateNodes(MeshModel& model, const std::vector<int>& nodes, const double pivot[3],
                const double r[3]);

// Mirrors the nodes through the plane through `point`: plane 2 (YZ) negates
// x, 3 (ZX) negates y, every other value (1, XY) negates z.
bool MirrorNodes(MeshModel& model, const std::vector<int>& nodes, const double point[3], int plane);

// Reverses the orientation of every triangle (type 2) in `elements` by
// swapping its first two nodes. Returns the number reversed.
int ReverseTriangles(MeshModel& model, const std::vector<int>& elements);

// Circle through the points a, b, c: with u = 2(b - a), v = 2(c - a), the
// centre a + s u/2 + t v/2 solves the 2 x 2 system of the plane of the points.
//   returns false when the determinant is exactly 0 (collinear or repeated
//   points); otherwise `centre` and `radius` (distance a to centre).
bool CircleThroughPoints(const double a[3], const double b[3], const double c[3], double centre[3],
                         double* radius);

// Multiplies every coordinate, thickness and diameter of the model, and the
// thickness and diameter of every property, by `factor` (a length unit to
// metres: 0.001 for millimetres). Derived data is not rebuilt.
void ScaleModelLength(MeshModel& model, double factor);

// The largest extent of the model's nodes along x, y or z (m); 0 without nodes.
double ModelLargestExtent(const MeshModel& model);

// Metres per unit of a mesh file's length unit: "m" 1, "mm" 0.001, "cm" 0.01,
// "in" 0.0254; 0 for any other name.
double LengthUnitFactor(const std::string& name);

// Above this extent (m) a model read in metres is probably in millimetres.
inline constexpr double kLargeModelExtent = 10.0;

// The Output line suggesting millimetres for a model read in metres whose
// largest extent exceeds kLargeModelExtent; empty otherwise.
std::string MillimetreHint(const MeshModel& model);

}  // namespace kv
