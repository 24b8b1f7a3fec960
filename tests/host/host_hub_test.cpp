#include "host_test_support.h"

#include "lib/host_hub.h"
#include "lib/project_document.h"

#include <gtest/gtest.h>

namespace avrtazu {
namespace {

TEST(HostHubTest, HandsOutTheDocumentItsValuesAndEventsUntilDetached) {
    test::TempFolder folder;
    ProjectDocument document;
    std::string error;
    ASSERT_TRUE(document.load(folder.write("p/blink.aps", test::sampleProject()), &error));
    HostHub hub{&document};
    const auto shared = [&](const wchar_t* name, std::string_view id, HRESULT result = S_OK) {
        void* object = nullptr;
        EXPECT_EQ(hub.GetSharedObject(name, std::string(id), &object), result) << id;
        return object;
    };
    const auto value = [&](const wchar_t* section, const wchar_t* key) {
        Bstr text = L"stale";
        EXPECT_EQ(hub.GetProjectValue(section, key, &text), S_OK);
        return toNarrow(text);
    };
    EXPECT_EQ(shared(L"XMLPROJECT", kXmlDomDocumentInterfaceId), &document.xml());
    EXPECT_EQ(shared(L"XMLSETUP", kXmlDomDocumentInterfaceId, E_INVALIDARG), nullptr);
    EXPECT_EQ(shared(L"XMLPROJECT", kPluginHubInterfaceId, E_NOINTERFACE), nullptr);
    EXPECT_EQ(value(L"MANAGEMENT", L"ProjectName"), "blink");
    EXPECT_EQ(value(L"MANAGEMENT", L"Missing"), "");
    // Only direct children of the root are sections.
    EXPECT_EQ(value(L"AVRStudio", L"MANAGEMENT"), "");

    std::vector<std::string> seen;
    const auto record = [&](long event, const std::string& text) {
        seen.push_back(std::to_string(event) + " " + text);
    };
    hub.setEventHandler(kEventObjectFile, record);
    hub.SendEvent(kEventObjectFile, L"Z:\\p\\blink.cof");
    hub.SendEvent(AVREVENT_OBJECTFILE_DIRTY, L"no handler");
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
    EXPECT_EQ(shared(L"XMLPROJECT", kXmlDomDocumentInterfaceId, E_FAIL), nullptr);
    EXPECT_EQ(value(L"MANAGEMENT", L"ProjectName"), "");
}

} // namespace
} // namespace avrtazu
