#include "services/dependency_scan.h"

#include "platform/drive_map.h"
#include "platform/short_name_alias.h"
#include "scoped_variable.h"
#include "services/scratch_drive.h"

#include <gtest/gtest.h>

namespace avrtazu {
namespace {

// The compiler saw the header through the blank-free alias of its folder; the tree shows it
// where the user keeps it.
TEST(DependencyAliasTest, HeadersFoundThroughAnAliasAreNamedByTheirRealPath) {
    test::ScratchDrive drive{'C'};
    const test::ScopedVariable cache("XDG_CACHE_HOME", drive.linuxPath("cache"));
    drive.write("my inc/board.h", "#define LEDS 1\n");
    const std::string alias =
        DriveMap::toWindows(*ShortNameAlias::aliasOf(drive.linuxPath("my inc")));

    std::vector<SourceFile> headers;
    DependencyScan::collectHeaders("main.o: main.c " + alias + "\\board.h\n", "C:\\x\\", headers);
    ASSERT_EQ(headers.size(), 1u);
    EXPECT_EQ(headers[0].fullName(), "C:\\my inc\\board.h");
}

} // namespace
} // namespace avrtazu
