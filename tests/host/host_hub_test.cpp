#include "host_test_support.h"

#include "lib/host_hub.h"
#include "lib/project_document.h"

#include "services/object_registry.h"
#include "services/plug_in_utility.h"

#include <gtest/gtest.h>

namespace avrtazu {
namespace {

using test::TempFolder;

class HostHubTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(document.load(folder.write("p/blink.aps", test::sampleProject()), &error))
            << error;
    }
    void TearDown() override {
        PlugInUtility::resetForTesting();
        ObjectRegistry::instance().unregisterClass(kPluginHubClassId);
    }

    TempFolder folder;
    ProjectDocument document;
    HostHub hub{&document};
};

struct SharedObjectCase {
    const char* name;
    const wchar_t* objectName;
    std::string_view interfaceId;
    bool withDocument;
    HRESULT expected;
};

class HostHubSharedObjectTest : public HostHubTest,
                                public ::testing::WithParamInterface<SharedObjectCase> {};

TEST_P(HostHubSharedObjectTest, HandsOutTheDocumentOnlyWhenAskedForIt) {
    const SharedObjectCase& c = GetParam();
    if (!c.withDocument) {
        hub.setDocument(nullptr);
    }
    void* object = nullptr;
    EXPECT_EQ(hub.GetSharedObject(c.objectName, std::string(c.interfaceId), &object), c.expected);
    EXPECT_EQ(object, c.expected == S_OK ? &document.xml() : nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, HostHubSharedObjectTest,
    ::testing::Values(
        SharedObjectCase{"Document", L"XMLPROJECT", kXmlDomDocumentInterfaceId, true, S_OK},
        SharedObjectCase{"LowerCaseInterfaceId", L"XMLPROJECT",
                         "{2933bf81-7b36-11d2-b20e-00c04f983e60}", true, S_OK},
        SharedObjectCase{"OtherName", L"XMLSETUP", kXmlDomDocumentInterfaceId, true, E_INVALIDARG},
        SharedObjectCase{"OtherInterface", L"XMLPROJECT", kPluginHubInterfaceId, true,
                         E_NOINTERFACE},
        SharedObjectCase{"NoDocument", L"XMLPROJECT", kXmlDomDocumentInterfaceId, false, E_FAIL}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HostHubTest, ProjectValuesAreTheTextOfSectionAndKey) {
    struct Case {
        const wchar_t* section;
        const wchar_t* key;
        std::string expected;
    };
    const Case cases[] = {
        {L"MANAGEMENT", L"ProjectName", "blink"},
        {L"AVRTAZUPLUGIN", L"LASTCONFIG", "default"},
        {L"CODE_CREATION", L"SaveFolder", document.windowsFolder()},
        {L"MANAGEMENT", L"Missing", ""},
        {L"NOSECTION", L"ProjectName", ""},
        // Only direct children of the root are sections.
        {L"AVRStudio", L"MANAGEMENT", ""},
    };
    for (const Case& c : cases) {
        Bstr value = L"stale";
        EXPECT_EQ(hub.GetProjectValue(c.section, c.key, &value), S_OK);
        EXPECT_EQ(toNarrow(value), c.expected) << toNarrow(c.section) << "/" << toNarrow(c.key);
    }
}

TEST_F(HostHubTest, EventsReachOnlyTheirOwnHandler) {
    std::vector<std::pair<long, std::string>> seen;
    hub.setEventHandler(kEventObjectFile, [&](long event, const std::string& text) {
        seen.emplace_back(event, text);
    });
    EXPECT_EQ(hub.SendEvent(kEventObjectFile, L"Z:\\p\\default\\blink.cof"), S_OK);
    EXPECT_EQ(hub.SendEvent(AVREVENT_OBJECTFILE_DIRTY, L""), S_OK);
    hub.setEventHandler(AVREVENT_OBJECTFILE_DIRTY, [&](long event, const std::string& text) {
        seen.emplace_back(event, text);
    });
    hub.SendEvent(AVREVENT_OBJECTFILE_DIRTY, L"");
    hub.setEventHandler(kEventObjectFile, nullptr);
    hub.SendEvent(kEventObjectFile, L"gone");

    const std::vector<std::pair<long, std::string>> expected{{51, "Z:\\p\\default\\blink.cof"},
                                                             {58, ""}};
    EXPECT_EQ(seen, expected);
}

TEST_F(HostHubTest, DetachingSilencesTheHost) {
    int calls = 0;
    hub.setLogHandler(
        [&](long, const std::string&, const std::string&, const std::string&) { ++calls; });
    hub.setEventHandler(kEventObjectFile, [&](long, const std::string&) { ++calls; });
    hub.detach();
    hub.Log(2, L"p", L"", L"late");
    hub.SendEvent(kEventObjectFile, L"late");
    void* object = nullptr;
    EXPECT_EQ(hub.GetSharedObject(L"XMLPROJECT", std::string(kXmlDomDocumentInterfaceId), &object),
              E_FAIL);
    EXPECT_EQ(calls, 0);
}

TEST_F(HostHubTest, SourceFilesAreSplitAtCommas) {
    hub.SetSourceFiles(L"Z:\\p\\uart.h,Z:\\p\\main.c,,Z:\\p\\uart.c");
    EXPECT_EQ(hub.sourceFiles(),
              (std::vector<std::string>{"Z:\\p\\uart.h", "Z:\\p\\main.c", "Z:\\p\\uart.c"}));
    hub.SetSourceFiles(L"");
    EXPECT_TRUE(hub.sourceFiles().empty());
}

// The plug-in's log channel finds the installed hub through the object registry.
TEST_F(HostHubTest, InstalledHubIsThePlugInsHubAndHearsItsLog) {
    auto installed = std::make_shared<HostHub>(&document);
    std::vector<std::string> lines;
    installed->setLogHandler([&](long level, const std::string& prefix, const std::string& context,
                                 const std::string& message) {
        lines.push_back(std::to_string(level) + "|" + prefix + "|" + context + "|" + message);
    });
    HostHub::install(installed);
    PlugInUtility::resetForTesting();
    PlugInUtility::setToolchainLocator(nullptr);

    PlugInUtility& utility = PlugInUtility::instance();
    EXPECT_EQ(utility.hub(), installed.get());
    utility.logError("The project file Z:\\p\\main.c does not exist.");
    utility.logDebug("Zuzozuduvuruva::changeOptions()", "detail");

    EXPECT_EQ(installed->plugins(),
              (std::vector<std::pair<std::string, long>>{{"Zuzozuduvuruva", 1}}));
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "2|tazu plug-in:||The project file Z:\\p\\main.c does not exist.",
                         "3|tazu plug-in:|Zuzozuduvuruva::changeOptions()|detail"}));
}

} // namespace
} // namespace avrtazu
