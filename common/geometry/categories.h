#pragma once
// Element categories grouped by the way melt flows through them.

#include "common/mesh/mesh_model.h"

namespace kv {

// True for the categories that carry melt: connector, runners, part runner,
// part surface, dual surface and part volume.
bool IsFlowCategory(int category);

// True for the one-dimensional flow categories (connector, cold and hot
// runner, part runner).
bool IsRunnerCategory(int category);

// True for the two shell flow categories, part surface and dual surface,
// whose elements are triangles with a thickness.
bool IsShellCategory(int category);

}  // namespace kv
