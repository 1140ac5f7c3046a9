#pragma once
// Writers of the outside mesh formats that File > Export Mesh offers.
//
// Every writer takes the model, the path of the file to create (replaced when
// it exists) and a title (callers pass ""), and leaves the model unchanged.
// Node numbers in the files are node index + 1; coordinates are the nodes'
// floats (metres) widened to double. Elements or faces that name nodes
// outside the node table are left out rather than written as garbage.
// Returns 1 when written; 0 when the file cannot be created or a write
// fails (the VESTRA writers return -1 then).

#include <string>

#include "common/mesh/mesh_model.h"

namespace kv {

// VESTRA shell mesh (".pg1", ".pg2"): the triangles, labelled with their
// element index + 1, and the nodes in centimetres.
int WriteVestraShellMesh(const MeshModel& model, const std::string& path, const std::string& title);

// VESTRA solid mesh (".pg3"): the tetrahedra and the nodes in centimetres.
int WriteVestraSolidMesh(const MeshModel& model, const std::string& path, const std::string& title);

// I-deas universal file: header, units (metres), nodes (2411) and elements
// (2412: lines, triangles, tetrahedra, hexahedra; labels element index + 1).
// Connector elements, quadrilaterals, pyramids and prisms are not written.
int WriteIdeasMesh(const MeshModel& model, const std::string& path, const std::string& title);

// DXF drawing: every line element as an eight-sided tube of radius half its
// diameter (a LINE along each side edge and a 3DFACE per side), every
// triangle as a 3DFACE; colours by category. Connectors are not written.
int WriteDxfMesh(const MeshModel& model, const std::string& path, const std::string& title);

// Binary STL from the face records: a triangular face gives one facet, a
// quadrilateral face two (nodes 1 2 3 and 1 3 4); 84 + 50 bytes per facet.
int WriteStlBinaryMesh(const MeshModel& model, const std::string& path, const std::string& title);

// ASCII STL of the same facets ("solid <title>" ... "endsolid <title>").
int WriteStlAsciiMesh(const MeshModel& model, const std::string& path, const std::string& title);

// Gmsh mesh, version 2 ASCII. With `surface_mesh`, the boundary faces
// (partner -1) come first as elements tagged with their surface region
// (FaceRecord::region, see LabelSurfaceRegions); then every element that is
// not a Connector, numbered after the surface lines by its index + 1.
int WriteGmshMesh(const MeshModel& model, const std::string& path, bool surface_mesh,
                  const std::string& title);

// Labels the surface regions of the Gmsh surface option: the surface facets
// of the drawing tables (visible elements, faces without partner), split at
// the 50-degree outline edges into connected patches numbered 1, 2, 3, ...
// in the order of their first facet; each facet's face record gets its
// patch number in `region`. Faces that are no facet keep region 0.
// Returns the number of regions.
int LabelSurfaceRegions(MeshModel& model);

}  // namespace kv
