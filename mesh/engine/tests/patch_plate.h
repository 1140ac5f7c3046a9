#pragma once
// A triangulated square plate cut into patches whose shared edges carry
// duplicated nodes, as meshes stitched from pieces arrive from outside
// formats. Used by the repair tests and the merge benchmark.

#include "common/mesh/mesh_model.h"

namespace kv::test {

// Plate of cells x cells square cells of side `size` / cells (m) in z = 0,
// two triangles per cell, cut into patches x patches patches. Each patch has
// nodes of its own, so nodes on a shared patch edge (and corner) appear two
// (or four) times; the copies of patch (pi, pj) are shifted by
// (pi + pj) * offset in x (m), 0 for exact duplicates. Unique positions:
// (cells + 1)^2. Triangles have category Part surface and thickness 0.002 m.
inline MeshModel PatchPlate(int cells, int patches, float size, float offset = 0) {
  MeshModel m;
  const float h = size / float(cells);
  for (int pi = 0; pi < patches; ++pi)
    for (int pj = 0; pj < patches; ++pj) {
      const int i0 = cells * pi / patches, i1 = cells * (pi + 1) / patches;
      const int j0 = cells * pj / patches, j1 = cells * (pj + 1) / patches;
      const int base = static_cast<int>(m.nodes.size());
      const int row = j1 - j0 + 1;
      for (int i = i0; i <= i1; ++i)
        for (int j = j0; j <= j1; ++j) m.nodes.push_back({i * h + (pi + pj) * offset, j * h, 0});
      for (int i = i0; i < i1; ++i)
        for (int j = j0; j < j1; ++j) {
          const int a = base + (i - i0) * row + (j - j0);
          const int b = a + row, c = b + 1, d = a + 1;
          for (int t = 0; t < 2; ++t) {
            Element e;
            e.type = kTriangle;
            e.category = kPartSurface;
            e.thickness = 0.002f;
            e.node_count = 3;
            e.nodes[0] = a;
            e.nodes[1] = t ? c : b;
            e.nodes[2] = t ? d : c;
            m.elements.push_back(e);
          }
        }
    }
  return m;
}

}  // namespace kv::test
