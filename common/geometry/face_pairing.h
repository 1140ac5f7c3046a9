#pragma once
// Pairing of coincident face records through the point octree over the face
// centroids. Faces left with partner -1 are the boundary of the mesh.
//
// The pre-processor pairs faces whose centroids coincide (so that repairs can
// find faces that overlap without sharing nodes); the solver pairs faces that
// have the same three nodes. Both use one search.

#include "common/mesh/mesh_model.h"

namespace kv {

// Within each octree leaf, each face i still unpaired takes the first later
// face j of the leaf that is still unpaired, has the same node count, belongs
// to an element of the same type, and whose centroid lies closer than 1e-6 m;
// i and j become each other's partner. Partners already set are kept. Faces
// whose owner is outside the element table are never paired.
//   returns 1 (also when there are fewer than two faces), or 0 when a face
//   centroid is not a finite number; no partner is changed then.
int PairCoincidentFaces(MeshModel& model);

// Resets every partner to -1, then marks faces with the same three nodes as
// each other's partners (within each leaf, the first later face still free).
//   returns 1, or 0 when the octree cannot be built (a centroid that is not a
//   finite number); every partner is -1 then.
int PairFacesWithSameNodes(MeshModel& model);

}  // namespace kv
