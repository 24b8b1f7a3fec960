#include "model/configuration.h"

#include <gtest/gtest.h>

namespace avrtazu {
namespace {

TEST(ConfigurationTest, NameOnlyConstructorGivesCustomPart) {
    const Configuration config("Release");
    EXPECT_EQ(config.part(), "Custom");
    EXPECT_EQ(config.outputDir(), "Release\\");
}

} // namespace
} // namespace avrtazu
