#include "services/dependency_scan.h"

#include "platform/short_name_alias.h"
#include "services/scratch_drive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

// The compiler saw a header through the blank-free alias of its folder; the tree shows it
// where the user keeps it.
TEST(DependencyAliasTest, HeadersFoundThroughAnAliasAreNamedByTheirRealPath) {
    test::ScratchDrive drive{'C'};
    const char* old = std::getenv("XDG_CACHE_HOME");
    const std::string saved = old != nullptr ? old : "";
    ::setenv("XDG_CACHE_HOME", drive.linuxPath("cache").c_str(), 1);
    drive.write("my inc/board.h", "#define LEDS 1\n");
    const std::string alias = *ShortNameAlias::aliasOf(drive.linuxPath("my inc"));
    std::string windowsAlias = "C:" + alias.substr(drive.root().size());
    std::replace(windowsAlias.begin(), windowsAlias.end(), '/', '\\');

    std::vector<SourceFile> headers;
    DependencyScan::collectHeaders("main.o: main.c " + windowsAlias + "\\board.h\n",
                                   "C:\\demo\\default\\", headers);
    ASSERT_EQ(headers.size(), 1u);
    EXPECT_EQ(headers[0].fullName(), "C:\\my inc\\board.h");
    old != nullptr ? ::setenv("XDG_CACHE_HOME", saved.c_str(), 1) : ::unsetenv("XDG_CACHE_HOME");
}

} // namespace
} // namespace avrtazu
