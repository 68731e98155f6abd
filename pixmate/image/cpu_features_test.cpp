#include "pixmate/image/cpu_features.h"

#include <gtest/gtest.h>

TEST(CpuFeatures, Probed) { EXPECT_TRUE(pixmate::CpuFeaturesProbed()); }
