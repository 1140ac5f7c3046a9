#pragma once
// Meshes generated for the solver tests: plates of triangles and straight
// runners, with the categories, thicknesses and diameters set directly.

#include "common/mesh/mesh_model.h"

namespace kv::test {

// A rectangular plate [0, length] x [0, width] in the plane z = 0 of nx by ny
// cells, each split into two triangles; node (i, j) has index j (nx + 1) + i.
inline MeshModel Plate(double length, double width, int nx, int ny, float thickness,
                       int category = kPartSurface) {
  MeshModel mesh;
  for (int j = 0; j <= ny; ++j) {
    for (int i = 0; i <= nx; ++i) {
      mesh.nodes.push_back({static_cast<float>(length * i / nx), static_cast<float>(width * j / ny), 0.0f});
    }
  }
  auto id = [nx](int i, int j) { return j * (nx + 1) + i; };
  for (int j = 0; j < ny; ++j) {
    for (int i = 0; i < nx; ++i) {
      const int quads[2][3] = {{id(i, j), id(i + 1, j), id(i + 1, j + 1)},
                               {id(i, j), id(i + 1, j + 1), id(i, j + 1)}};
      for (const auto& q : quads) {
        Element e;
        e.type = kTriangle;
        e.category = category;
        e.property = 0;
        e.node_count = 3;
        for (int v = 0; v < 3; ++v) e.nodes[v] = q[v];
        e.thickness = thickness;
        mesh.elements.push_back(e);
      }
    }
  }
  return mesh;
}

// Appends a straight runner of `segments` beam elements from node `from` (an
// existing node index, or -1 to start a new node at `start`, which may be null
// otherwise) along `direction`
// (unit vector) over `length`. Returns the index of the last node.
inline int AddRunner(MeshModel& mesh, int from, const float start[3], const float direction[3],
                     double length, int segments, float diameter, int category = kColdRunner) {
  int previous = from;
  float origin[3] = {0, 0, 0};
  if (previous < 0) {
    for (int k = 0; k < 3; ++k) origin[k] = start[k];
    mesh.nodes.push_back({origin[0], origin[1], origin[2]});
    previous = static_cast<int>(mesh.nodes.size()) - 1;
  } else {
    origin[0] = mesh.nodes[from].x;
    origin[1] = mesh.nodes[from].y;
    origin[2] = mesh.nodes[from].z;
  }
  for (int s = 1; s <= segments; ++s) {
    const double t = length * s / segments;
    mesh.nodes.push_back({static_cast<float>(origin[0] + direction[0] * t),
                          static_cast<float>(origin[1] + direction[1] * t),
                          static_cast<float>(origin[2] + direction[2] * t)});
    Element e;
    e.type = kBeam;
    e.category = category;
    e.property = 0;
    e.node_count = 2;
    e.nodes[0] = previous;
    e.nodes[1] = static_cast<int>(mesh.nodes.size()) - 1;
    e.diameter = diameter;
    mesh.elements.push_back(e);
    previous = e.nodes[1];
  }
  return previous;
}

}  // namespace kv::test
