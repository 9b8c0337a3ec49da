// Real-size declarations: the units convert to millimetres, anything
// malformed or out of range declares nothing, and every catalogue model
// declares its size.
#include <gtest/gtest.h>

#include <filesystem>

#include "model/RealSize.h"
#include "tests/support/TestSupport.h"

using boxora::ParseRealSize;
using boxora::RealSizeMm;

TEST(RealSize, UnitsBecomeMillimetresAndBadDeclarationsDeclareNothing) {
    EXPECT_EQ(ParseRealSize("# a DVD case\n\n 135 x 190 x 14 mm\n"), (RealSizeMm{135, 190, 14}));
    EXPECT_EQ(ParseRealSize("1.5 X 2 \xC3\x97 0.5 cm\r\n"), (RealSizeMm{15, 20, 5}));
    const auto inches = ParseRealSize("10 x 5 x 1 in");
    ASSERT_TRUE(inches);
    EXPECT_FLOAT_EQ((*inches)[0], 254.0f);
    for (const char* bad :
         {"", "# only a comment", "12 x 12 mm", "10 x 10 x 0 mm", "1e39 x 5 x 5 mm", "10 x 10 x 10 furlongs",
          "10 x 10 x 10", "-1 x 5 x 5 mm", "nan x 5 x 5 mm", "10 x 10 x 10 mm extra"})
        EXPECT_FALSE(ParseRealSize(bad)) << bad;
}

TEST(RealSize, EveryCatalogueModelDeclaresItsSize) {
    const std::filesystem::path objects = testsupport::DataDir().parent_path().parent_path() / "data" / "Objects";
    int models = 0;
    for (const auto& entry : std::filesystem::directory_iterator(objects)) {
        if (entry.path().extension() != ".3ds") continue;
        ++models;
        EXPECT_TRUE(boxora::ReadRealSizeBeside(entry.path().string())) << entry.path();
    }
    EXPECT_GT(models, 0);
}
