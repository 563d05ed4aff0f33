#include <gtest/gtest.h>

#include "engine/number/lf.h"

using namespace tallix;

TEST(Smoke, Basic) {
    set_precision(15);
    EXPECT_EQ((lf("2") / lf("3")).to_string(), "0.666666666666667");
    EXPECT_EQ(lf("1234567").to_string(), "1'234'567");
}
