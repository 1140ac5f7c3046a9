#pragma once
// Meshes generated for the solver tests: plates of triangles and straight
// runners, with the categories, thicknesses and diameters set directly.

#include <cmath>

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

// A disk of `radius` in the plane z = 0 around a centre node 0: `rings` rings
// of `sectors` nodes each at equal radial spacing (ring r, sector s has index
// 1 + (r - 1) sectors + s), a fan of triangles around the centre and two
// triangles per cell between rings.
inline MeshModel Disk(double radius, int rings, int sectors, float thickness) {
  MeshModel mesh;
  mesh.nodes.push_back({0.0f, 0.0f, 0.0f});
  for (int r = 1; r <= rings; ++r) {
    for (int s = 0; s < sectors; ++s) {
      const double angle = 2 * 3.14159265358979323846 * s / sectors;
      const double rr = radius * r / rings;
      mesh.nodes.push_back({static_cast<float>(rr * std::cos(angle)), static_cast<float>(rr * std::sin(angle)), 0.0f});
    }
  }
  auto id = [sectors](int r, int s) { return r == 0 ? 0 : 1 + (r - 1) * sectors + (s % sectors); };
  auto add = [&mesh, thickness](int a, int b, int c) {
    Element e;
    e.type = kTriangle;
    e.category = kPartSurface;
    e.property = 0;
    e.node_count = 3;
    e.nodes[0] = a;
    e.nodes[1] = b;
    e.nodes[2] = c;
    e.thickness = thickness;
    mesh.elements.push_back(e);
  };
  for (int s = 0; s < sectors; ++s) add(0, id(1, s), id(1, s + 1));
  for (int r = 1; r < rings; ++r) {
    for (int s = 0; s < sectors; ++s) {
      add(id(r, s), id(r + 1, s), id(r + 1, s + 1));
      add(id(r, s), id(r + 1, s + 1), id(r, s + 1));
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
