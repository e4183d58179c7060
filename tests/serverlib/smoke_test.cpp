#include <windows.h>
#include <gtest/gtest.h>
#include "qvcore.h"

TEST(Platform, PointersAre32Bit) { EXPECT_EQ(4u, sizeof(void *)); }
