#include "common/mesh/mesh_model.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(MeshModel, ClassifiesPropertyNames) {
  bool matched = false;
  EXPECT_EQ(ClassifyPropertyName("Hose", false, &matched), kCoolingChannel);
  EXPECT_TRUE(matched);
  EXPECT_EQ(ClassifyPropertyName("Baffle 3", false), kCoolingChannel);
  EXPECT_EQ(ClassifyPropertyName("Cold solid runner", false), kColdRunner);
  EXPECT_EQ(ClassifyPropertyName("Part dual surface", false), kPartDualSurface);
  EXPECT_EQ(ClassifyPropertyName("Part surface", true), kPartSurface);
  // The .fem table does not know these three.
  EXPECT_EQ(ClassifyPropertyName("Part dual surface", true, &matched), kConnector);
  EXPECT_FALSE(matched);
  EXPECT_EQ(ClassifyPropertyName("Cooling surface", true, &matched), kConnector);
  EXPECT_FALSE(matched);
  EXPECT_EQ(ClassifyPropertyName("Something", false, &matched), kConnector);
  EXPECT_FALSE(matched);
  EXPECT_EQ(ClassifyPropertyName("Channe", false, &matched), kConnector);
  EXPECT_FALSE(matched);
}

TEST(MeshModel, TypeAndCategoryTables) {
  EXPECT_EQ(ElementTypeNodeCount(kHexahedron), 8);
  EXPECT_EQ(ElementTypeNodeCount(kPyramid), 5);
  EXPECT_EQ(ElementTypeNodeCount(99), 0);
  EXPECT_EQ(ElementTypeFromKeyword("PRISM"), kPrism);
  EXPECT_EQ(ElementTypeFromKeyword("1D"), kBeam);
  EXPECT_EQ(ElementTypeFromKeyword("tri"), 0);
  EXPECT_STREQ(CategoryName(kCoolingChannel), "Cooling channel");
  EXPECT_STREQ(CategoryFileName(kCoolingChannel), "Channel");
  EXPECT_STREQ(CategoryFileName(kHotRunner), "Hot solid runner");
  EXPECT_STREQ(CategoryName(7), "");
}

}  // namespace
}  // namespace kv
