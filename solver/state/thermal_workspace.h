#pragma once
// Work arrays of the thermal update, kept from pass to pass in the solver
// state: what the mesh fixes for a whole run (column half-gaps, control
// volumes, the median-dual faces of the in-plane transport) is worked out at
// the first update, and the per-pass tables keep their storage, so that a pass
// neither recomputes the geometry nor allocates.

#include <cstdint>
#include <vector>

namespace kv {

struct ThermalWorkspace {
  // The run the fixed part belongs to: the mesh's address and the counts.
  // A state allocated anew starts with an empty workspace.
  const void* mesh = nullptr;
  int node_count = -1;
  int element_count = -1;
  int layers = -1;

  // Fixed for the run.
  std::vector<double> half_gap;        // node -> column half-gap b (m)
  std::vector<int8_t> cylinder;        // node -> 1 for a runner column
  std::vector<double> volume;          // node -> m^3, share of its non-connector flow elements
  std::vector<double> slab_weight;     // layer shares of a slab column's capacity
  std::vector<double> cylinder_weight; // and of a cylinder's
  std::vector<int> flow_elements;      // non-connector flow elements with nodes, ascending
  std::vector<double> face_normal;     // element -> 3 x (nx, ny): median-dual faces of a triangle

  // Per pass.
  std::vector<int> reached;            // reached nodes, ascending
  std::vector<int> columns;            // reached nodes with a positive half-gap, ascending
  struct Link {
    int element, from, to;
  };
  std::vector<Link> links;             // flows between two nodes of a filled element
  std::vector<double> flux;            // links x points, m^3/s from `from` to `to`
  std::vector<double> node_power;      // nodes x points, W of viscous heating
  std::vector<int> heated;             // reached elements with viscous heating, ascending
  std::vector<double> power;           // heated x points, W each of its nodes takes
  std::vector<int> inflow_start;       // node -> first inflow entry, node_count + 1 entries
  std::vector<int> next_entry;
  std::vector<int> upstream;           // inflow entry -> upstream node
  std::vector<int> entry_link;         // inflow entry -> 2 x link, + 1 at the link's `from` end
  std::vector<double> rate;            // entries x points, 1/s
  std::vector<double> taken, sent;     // nodes x points, m^3/s along the links
  std::vector<double> fresh;           // nodes x points, 1/s of melt at the melt temperature
  std::vector<double> handoff;         // nodes x points, m^3/s handed on into the front
  struct Receiver {
    int from, to;
    double share;  // of the handoff of `from`
  };
  std::vector<Receiver> receivers;
  std::vector<double> fastest;         // reached node -> its fastest layer intake, 1/s
  std::vector<int8_t> near_front;      // node -> 1 while it shares a flow element with a front node
  std::vector<float> start;            // node profiles at the start of a transport step
  std::vector<double> arrivals;        // node -> heat handed on into it, m^3/s x K
  std::vector<int> eighths;            // column -> wetted eighths of the step
  std::vector<int> depth_step;         // column -> mold depth step of its class
  std::vector<int> next_depth_step;    // column -> mold depth step of the coming transport step
  std::vector<int> column_class;       // column -> class of its rows, -1 before the first step
  std::vector<double> arrived;         // column -> K the handed-on melt adds this step
  std::vector<double> scratch;         // chunk -> 3 x points: a column's values, rows and sources
};

}  // namespace kv
