#include "services/dependency_scan.h"

#include "model/configuration.h"
#include "model/project.h"
#include "services/fake_host_support.h"
#include "services/plug_in_utility.h"
#include "services/scratch_drive.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

using Texts = std::vector<std::string>;

Texts fullNames(const std::vector<SourceFile>& files) {
    Texts names;
    for (const SourceFile& file : files) {
        names.push_back(file.fullName());
    }
    return names;
}

TEST(DependencyWordsTest, HeadersAreTakenFromTheWords) {
    const std::string out = "C:\\work\\demo\\default\\";
    const struct {
        const char* text;
        Texts headers;
    } cases[] = {
        {"main.o: main.c ..\\inc\\io.h C:\\inc\\uart.H\n",
         {"C:\\work\\demo\\inc\\io.h", "C:\\inc\\uart.H"}},
        {"io.hpp io.h, main.c \\\n x.h\n", {out + "x.h"}},
        {"a.h\tmain.c c.h\n", {out + "c.h"}}, // a tab does not separate
        {"a.h\nb.h", {out + "a.h"}},          // the last word needs an end
        {"  a.h   b.h  \n\nb.o: a.h\n", {out + "a.h", out + "b.h"}},
    };
    for (const auto& c : cases) {
        std::vector<SourceFile> result;
        DependencyScan::collectHeaders(c.text, out, result);
        EXPECT_EQ(fullNames(result), c.headers) << c.text;
    }
}

TEST(DependencyScanTest, HeadersOfAllSourcesInOrderWithoutProjectHeaders) {
    test::ScratchDrive drive{'C'};
    auto hub = std::make_shared<fakes::RecordingHub>();
    fakes::HubInstallation installation{hub};
    Project project{"demo", "C:\\work\\demo\\"};
    project.addConfig(Configuration("default", "demo.cof"));
    project.addSrcFile(SourceFile("main.c"));
    project.addSrcFile(SourceFile("src\\uart.c"));
    const auto scan = [&] {
        return fullNames(PlugInUtility::instance().getExternalHeaderFiles(project));
    };

    EXPECT_TRUE(scan().empty()) << "no dependency folder";
    ASSERT_EQ(hub->logs.size(), 1u);
    EXPECT_EQ(hub->logs[0].level, 3);
    EXPECT_EQ(hub->logs[0].context, "PlugInUtility::getExternalHeaderFiles");
    EXPECT_EQ(hub->logs[0].message, "Dependency directory does not exist");
    hub->logs.clear();

    drive.makeFolder("work/demo/default/dep");
    EXPECT_TRUE(scan().empty()) << "no dependency files";
    drive.write("work/demo/default/dep/uart.o.d",
                "uart.o: C:\\work\\demo\\src\\uart.c ..\\uart.h common.h\r\n");
    drive.write("work/demo/default/dep/main.o.d",
                "main.o: C:\\work\\demo\\main.c ..\\main.h C:\\inc\\io.h common.h\r\n");
    drive.write("work/demo/default/dep/other.o.d", "other.o: other.h\n");
    // A project header of the same file name hides a dependency wherever it lies.
    project.addHdrFile(SourceFile("include\\main.h"));
    EXPECT_EQ(scan(), (Texts{"C:\\inc\\io.h", "C:\\work\\demo\\default\\common.h",
                             "C:\\work\\demo\\uart.h"}));
    EXPECT_TRUE(hub->logs.empty());

    // An output directory with a drive is used as it is.
    test::ScratchDrive other('D');
    other.write("out/dep/main.o.d", "main.o: main.c io.h\n");
    project.setOutputDirectory("D:\\out\\");
    EXPECT_EQ(scan(), Texts{"D:\\out\\io.h"});
}

} // namespace
} // namespace avrtazu
