#pragma once
// Readers of the outside mesh formats that File > Import Mesh offers.
//
// Every reader has the same shape:
//   model: the mesh in memory. Depending on the format the file's mesh
//          replaces it, is appended to it, or replaces nodes and elements
//          while the property table is kept (see each reader).
//   path:  the file to read.
//   error: on failure, "file:line: reason".
//   returns 1 when read; -1 when the file cannot be opened; 0 when the file
//   is damaged or holds what the format's reader does not support (a record
//   cut short, a count beyond the content, a node number outside the nodes
//   read, an unknown element kind). On -1 and 0 the model is unchanged.
// Derived data (centroids, faces, pairing, sizes, tetra thickness) is not
// built by the readers: ImportMeshFile runs the rebuild after them. The face
// table is emptied by every successful read.
// Coordinates are stored in metres as read unless a reader says it scales.

#include <string>

#include "common/mesh/mesh_model.h"

namespace kv {

// MoldFlow: `path` is the ".mfl" header ("<count> nodes", "<count> elements"
// lines); the nodes come from the file with the last three characters of the
// path replaced by "nda" (id, x, y, z per node), the elements from "ela" (id
// and three node numbers: triangles with property index 1, thickness 0).
// Replaces the mesh. The node and element counts of the header must be met.
int ReadMoldflowMesh(MeshModel& model, const std::string& path, std::string& error);

// I-deas universal file: datasets 164 (units: coordinates and sizes divided
// by the length factor), 2411 (nodes), 2412 (elements: descriptors 21 line;
// 41, 51, 74, 91 triangle; 94 quadrilateral; 111 tetrahedron; 115
// hexahedron) and 2448 (property tables: 21 Part runner, 90 Part surface, 110
// Part volume); other datasets are skipped. Appends to the mesh: node labels
// go through a node id map, new property records follow the existing ones.
int ReadIdeasMesh(MeshModel& model, const std::string& path, std::string& error);

// Patran neutral file: packets 1 (node), 2 (element: bar, triangle,
// tetrahedron), 4 (property), 25 and 26 (skipped), 99 (end). Appends to the
// mesh: node ids through a node id map; property id p lands at the existing
// property count + p - 1, and elements refer to it there.
int ReadPatranMesh(MeshModel& model, const std::string& path, std::string& error);

// Abaqus input: "*NODE" and "*ELEMENT, TYPE=C3D4|C3D6|C3D8" sections; node
// numbers n are taken as position n (index n - 1). A C3D6 whose third and
// sixth nodes are one node becomes a pyramid. Replaces the mesh.
int ReadAbaqusMesh(MeshModel& model, const std::string& path, std::string& error);

// Ansys command file: "N" lines are nodes (numbers ignored, taken in file
// order), "E" lines hexahedra on node positions n - 1. Replaces the mesh.
int ReadAnsysMesh(MeshModel& model, const std::string& path, std::string& error);

// LS-Dyna keyword file: "*NODE" and "*ELEMENT_SOLID" sections (hexahedra on
// node positions n - 1), "*END" ends. Replaces the mesh.
int ReadLsDynaMesh(MeshModel& model, const std::string& path, std::string& error);

// GiD mesh: header "MESH ... ElemType Triangle|Tetrahedra ...", then the
// "Coordinates" and "Elements" sections (node positions n - 1). Replaces
// nodes and elements, keeps the property table.
int ReadGidMesh(MeshModel& model, const std::string& path, std::string& error);

// Netgen neutral file: nodes, then volume elements (sub-domain and four node
// positions; first and third node swapped). Replaces nodes and elements,
// keeps the property table. The surface elements after them are not read.
int ReadNetgenMesh(MeshModel& model, const std::string& path, std::string& error);

// Gmsh mesh, version 2 ASCII: "$Nodes" (through a node id map) and
// "$Elements" (types 1 line, 2 triangle, 3 quadrilateral, 4 tetrahedron, 5
// hexahedron, 6 prism, 7 pyramid; 15 points are dropped). Lines become Part
// runners of diameter 0.002 m (property 0), triangles and quadrilaterals Part
// surfaces of thickness 0.002 m (property 1), solids Part volume (property 2).
// Replaces the mesh. Binary files and versions other than 2 are refused.
int ReadGmshMesh(MeshModel& model, const std::string& path, std::string& error);

// VRML: the "point" and "coordIndex" lists of the first face set; each
// coordinate is divided by 10; triangles of thickness 0 with property index 1.
// Every entry must be followed by a comma: an entry without one ends its list
// and is lost. Replaces the mesh.
int ReadVrmlMesh(MeshModel& model, const std::string& path, std::string& error);

// Voxel file: node and element counts, x, y, z per node, then per element its
// node count (3 triangle, 6 prism, 8 hexahedron) and 0-based node indices.
// Replaces nodes and elements, keeps the property table.
int ReadVoxelMesh(MeshModel& model, const std::string& path, std::string& error);

}  // namespace kv
