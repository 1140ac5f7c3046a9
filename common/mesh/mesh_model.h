#pragma once
// The mesh model shared by the solver and the pre-processor: nodes, elements of
// seven types, element property records and the derived face records.
//
// Indices in memory are 0-based; numbers in files and on screen are 1-based.
// Coordinates, thicknesses and diameters are 32-bit floats in metres.
// Records carry every field that the project file stores, so that saving a
// project needs nothing added later.

#include <string>
#include <vector>

namespace kv {

// Element type codes as stored in files and in the project file.
enum ElementType : int {
  kBeam = 1,         // "1D", 2 nodes, takes the property's diameter
  kTriangle = 2,     // "TRI", 3 nodes, takes the thickness
  kQuadrilateral = 3,// "QUAD", 4 nodes, takes the thickness
  kTetrahedron = 4,  // "TETRA", 4 nodes
  kPyramid = 5,      // "PYRAMID", 5 nodes (base 1-4, apex 5)
  kPrism = 6,        // "PRISM", 6 nodes (ends 1-3 and 4-6)
  kHexahedron = 7,   // "HEXA", 8 nodes
};

// Property category codes. 6 to 8 do not occur in mesh files.
enum Category : int {
  kConnector = 0,
  kColdRunner = 1,
  kHotRunner = 2,
  kCoolingChannel = 3,
  kCoolingSurface = 4,
  kMoldSurface = 5,
  kPartRunner = 9,
  kPartSurface = 10,
  kPartDualSurface = 11,
  kPartVolume = 12,
};

inline constexpr int kMaxElementNodes = 8;
inline constexpr int kMaxElementFacets = 8;
inline constexpr size_t kPropertyNameFileLimit = 80;   // name as read from a mesh file
inline constexpr size_t kPropertyNameLimit = 256;      // name field of the project file

struct Node {
  float x = 0, y = 0, z = 0;  // m
};

struct Element {
  int type = 0;                        // ElementType
  int category = 0;                    // Category, copied from the property when read
  int property = -1;                   // 0-based property index, -1 none
  int paired = -1;                     // 0-based index of the element paired across the part, -1 none
  int node_count = 0;
  int nodes[kMaxElementNodes] = {};    // 0-based node indices; slots beyond node_count are kept as read
  float thickness = 0;                 // m, shell elements
  float diameter = 0;                  // m, beam elements
  float shape_factor = 0;

  // Derived data (centroids, faces, sizes), rebuilt after reads and repairs.
  float centroid[3] = {};              // m
  int facet_count = 0;
  int facets[kMaxElementFacets] = {};  // face record indices
  int visible = 1;
  float normal[3] = {};                // unit normal of a triangle
  float area = 0;                      // m^2, triangles
  float length = 0;                    // m, beams
  float lateral_area = 0;              // m^2, beams
  float volume = 0;                    // m^3
  float orientation[2] = {};           // display orientation values of a triangle
  int boundary_face = -1;              // face used for a tetrahedron's provisional thickness
  float projected_area = 0;            // m^2, on the parting plane (filling solver)
  float local[3] = {};                 // m, triangle in its own plane: x2, y3, x3 (node 1 at
                                       // the origin, node 2 at (x2, 0), node 3 at (x3, y3))
};

struct ElementProperty {
  int identifier = 0;                  // number shown to the user (index + 1 for read meshes)
  int category = 0;                    // Category
  std::string name;                    // the category's stored name, e.g. "Cold runner"
  float thickness = 0;                 // m
  float diameter = 0;                  // m
  float shape_factor = 0;              // the third real of the record, 0 when read
};

// A derived face of a triangle or tetrahedron.
struct FaceRecord {
  int shape = 2;                       // 2: triangle
  int node_count = 3;
  int nodes[4] = {};                   // node indices
  int element = -1;                    // owning element index
  float centroid[3] = {};              // m
  int partner = -1;                    // coincident face index, -1 none
  float normal[3] = {};                // unit normal
  float area = 0;                      // m^2
  int region = 0;                      // surface region number (surface-mesh export)
};

struct MeshModel {
  std::vector<Node> nodes;
  std::vector<Element> elements;
  std::vector<ElementProperty> properties;
  std::vector<FaceRecord> faces;
  double total_volume = 0;             // m^3, kept by the statistics
};

// Node count of an element type (0 for an unknown code).
int ElementTypeNodeCount(int type);

// File keyword of an element type ("1D", "TRI", ...), empty for an unknown code.
const char* ElementTypeKeyword(int type);

// Element type of a file keyword, 0 when the token is none.
int ElementTypeFromKeyword(const std::string& keyword);

// Stored name of a category ("Cold runner"); empty for codes that have none.
const char* CategoryName(int category);

// Name a writer emits for a category ("Cold solid runner").
const char* CategoryFileName(int category);

// Classifies a property name read from a file: a name matches a category when
// its first characters equal one of the accepted names over that name's full
// length; the table is scanned in order and the last match wins. No match
// gives category 0 and `matched` false (the stored name is then empty).
//   fem_names: the .fem reader's narrower table, without "Cooling surface",
//              "Mold surface" and "Part dual surface".
int ClassifyPropertyName(const std::string& name, bool fem_names, bool* matched = nullptr);

}  // namespace kv
