#pragma once
// Geometry the filling solver derives from the mesh: the face table and its
// coincident faces, element lengths, areas, projected areas, volumes, local
// plane coordinates, node control volumes, the node-to-element lists, the
// connectors between the two surfaces of a dual-surface mesh, and the volume
// sums by category.
//
// Lengths in m, areas in m^2, volumes in m^3. Indices 0-based.

#include <string>
#include <vector>

#include "common/geometry/face_pairing.h"
#include "common/geometry/face_table.h"
#include "common/mesh/mesh_model.h"
#include "solver/state/prepared_mesh.h"

namespace kv {

// Volumes by category (m^3): hot runner (2), cold runner (1), part (9, 10, 11,
// 12) and the injection volume (cold runner + part).
struct CategoryVolumes {
  double hot_runner = 0;
  double cold_runner = 0;
  double part = 0;
  double injection = 0;
};

}  // namespace kv

namespace kv {

// The face table and its pairing are common/geometry's BuildFaceRecords and
// PairFacesWithSameNodes, run before the element geometry below.

// Element geometry and node control volumes (see the .cpp for the formulas):
// length, centroid, normal, area, volume, local coordinates and projected area
// on the plane of normal `parting_normal` of every element, the thickness of
// tetrahedra from their boundary faces (face partners must be set), the node
// control volumes, the node-to-element lists and the four totals.
void ComputeElementGeometry(MeshModel& mesh, const float parting_normal[3], MeshPreparation& prep);

// Appends a connector (type 1, category connector, diameter 0) from each node
// of every dual-surface triangle with a dual partner to the nearest node of the
// partner when it lies closer than 1.5 x twice the largest dual-surface
// thickness. Returns the number of connectors added.
int AddDualSurfaceConnectors(MeshModel& mesh);

// Volume sums by category.
CategoryVolumes SumCategoryVolumes(const MeshModel& mesh);

// Checks that the mesh can be filled: finite coordinates, node references in
// range, positive thickness of every part-surface and part-volume-free shell,
// positive diameter of every runner. Returns an empty text, or the message
// naming the first fault ("Element 12 has no thickness." ...).
std::string CheckSolverMesh(const MeshModel& mesh);

// The count lines the solver prints once the face table is built (nodes,
// faces, elements, before the connectors are added).
std::vector<std::string> MeshCountLines(const MeshModel& mesh);

// The mesh property table with the four totals, and "Done.".
std::vector<std::string> MeshTotalLines(const MeshPreparation& prep);

}  // namespace kv
