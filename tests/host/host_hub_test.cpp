#include "host_test_support.h"

#include "lib/host_hub.h"
#include "lib/project_document.h"

#include <gtest/gtest.h>

namespace avrtazu {
namespace {

class HostHubTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(document.load(folder.write("p/blink.aps", test::sampleProject()), &error))
            << error;
    }

    std::string projectValue(const wchar_t* section, const wchar_t* key) {
        Bstr value = L"stale";
        EXPECT_EQ(hub.GetProjectValue(section, key, &value), S_OK);
        return toNarrow(value);
    }

    void* sharedObject(const wchar_t* name, std::string_view interfaceId, HRESULT result = S_OK) {
        void* object = nullptr;
        EXPECT_EQ(hub.GetSharedObject(name, std::string(interfaceId), &object), result);
        return object;
    }

    test::TempFolder folder;
    ProjectDocument document;
    HostHub hub{&document};
};

TEST_F(HostHubTest, HandsOutTheDocumentOnlyWhenAskedForIt) {
    EXPECT_EQ(sharedObject(L"XMLPROJECT", kXmlDomDocumentInterfaceId), &document.xml());
    EXPECT_EQ(sharedObject(L"XMLPROJECT", "{2933bf81-7b36-11d2-b20e-00c04f983e60}"),
              &document.xml());
    EXPECT_EQ(sharedObject(L"XMLSETUP", kXmlDomDocumentInterfaceId, E_INVALIDARG), nullptr);
    EXPECT_EQ(sharedObject(L"XMLPROJECT", kPluginHubInterfaceId, E_NOINTERFACE), nullptr);
}

TEST_F(HostHubTest, ProjectValuesAreTheTextOfSectionAndKey) {
    EXPECT_EQ(projectValue(L"MANAGEMENT", L"ProjectName"), "blink");
    EXPECT_EQ(projectValue(L"AVRTAZUPLUGIN", L"LASTCONFIG"), "default");
    EXPECT_EQ(projectValue(L"MANAGEMENT", L"Missing"), "");
    // Only direct children of the root are sections.
    EXPECT_EQ(projectValue(L"AVRStudio", L"MANAGEMENT"), "");
}

TEST_F(HostHubTest, EventsReachOnlyTheirOwnHandlerAndNothingReachesADetachedHost) {
    std::vector<std::string> seen;
    const auto record = [&](long event, const std::string& text) {
        seen.push_back(std::to_string(event) + " " + text);
    };
    hub.setEventHandler(kEventObjectFile, record);
    EXPECT_EQ(hub.SendEvent(kEventObjectFile, L"Z:\\p\\blink.cof"), S_OK);
    EXPECT_EQ(hub.SendEvent(AVREVENT_OBJECTFILE_DIRTY, L"no handler"), S_OK);
    hub.setEventHandler(AVREVENT_OBJECTFILE_DIRTY, record);
    hub.SendEvent(AVREVENT_OBJECTFILE_DIRTY, L"");
    hub.setEventHandler(kEventObjectFile, nullptr);
    hub.SendEvent(kEventObjectFile, L"removed");
    EXPECT_EQ(seen, (std::vector<std::string>{"51 Z:\\p\\blink.cof", "58 "}));

    hub.setEventHandler(kEventObjectFile, record);
    hub.setLogHandler([&](long, const std::string&, const std::string&,
                          const std::string& message) { seen.push_back(message); });
    hub.detach();
    hub.Log(2, L"p", L"", L"late");
    hub.SendEvent(kEventObjectFile, L"late");
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(sharedObject(L"XMLPROJECT", kXmlDomDocumentInterfaceId, E_FAIL), nullptr);
    EXPECT_EQ(projectValue(L"MANAGEMENT", L"ProjectName"), "");
}

TEST_F(HostHubTest, SourceFilesAreSplitAtCommas) {
    hub.SetSourceFiles(L"Z:\\p\\uart.h,Z:\\p\\main.c,,Z:\\p\\uart.c");
    EXPECT_EQ(hub.sourceFiles(),
              (std::vector<std::string>{"Z:\\p\\uart.h", "Z:\\p\\main.c", "Z:\\p\\uart.c"}));
    hub.SetSourceFiles(L"");
    EXPECT_TRUE(hub.sourceFiles().empty());
}

} // namespace
} // namespace avrtazu
