#include "common/geometry/categories.h"

namespace kv {

bool IsFlowCategory(int category) {
  switch (category) {
    case kConnector: case kColdRunner: case kHotRunner: case kPartRunner:
    case kPartSurface: case kPartDualSurface: case kPartVolume:
      return true;
    default:
      return false;
  }
}

bool IsRunnerCategory(int category) {
  return category == kConnector || category == kColdRunner || category == kHotRunner ||
         category == kPartRunner;
}

bool IsShellCategory(int category) { return category == kPartSurface || category == kPartDualSurface; }

}  // namespace kv
