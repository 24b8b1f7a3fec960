#include "persistence/xml_host_support.h"

#include "services/plugin_hub.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>

namespace avrtazu::fakes {
namespace {

using ::testing::IsEmpty;

constexpr long kError = 2;
constexpr long kDebug = 3;

std::string raw(pugi::xml_node node) {
    std::ostringstream text;
    node.print(text, "", pugi::format_raw);
    return text.str();
}

struct InsertCase {
    const char* title;
    const char* document;
    const char* parentPath;
    const char* name;
    std::optional<std::string> text;
    bool unique;
    const char* after;
    // Where the node handed back sits (its path and text).
    const char* resultPath;
    const char* resultText;
};

const InsertCase kInsertCases[] = {
    {"a new element with text is appended", "<AVRStudio><S><A/></S></AVRStudio>", "/AVRStudio/S",
     "B", "x", false, "<S><A/><B>x</B></S>", "/AVRStudio/S/B", "x"},
    {"a new element without text stays empty", "<AVRStudio><S/></AVRStudio>", "/AVRStudio/S", "B",
     std::nullopt, false, "<S><B/></S>", "/AVRStudio/S/B", ""},
    {"a new element with empty text stays empty", "<AVRStudio><S/></AVRStudio>", "/AVRStudio/S",
     "B", "", true, "<S><B/></S>", "/AVRStudio/S/B", ""},
    {"unique replaces the text of the existing element",
     "<AVRStudio><S><L>old</L><M/></S></AVRStudio>", "/AVRStudio/S", "L", "new", true,
     "<S><L>new</L><M/></S>", "/AVRStudio/S/L", "new"},
    {"unique replaces mixed content", "<AVRStudio><S><L>a<X>b</X>c</L></S></AVRStudio>",
     "/AVRStudio/S", "L", "new", true, "<S><L>new</L></S>", "/AVRStudio/S/L", "new"},
    {"unique with empty text empties the element", "<AVRStudio><S><L>old</L></S></AVRStudio>",
     "/AVRStudio/S", "L", "", true, "<S><L/></S>", "/AVRStudio/S/L", ""},
    {"an existing kind with the same text is not written again",
     "<AVRStudio><S><F>a.c</F></S></AVRStudio>", "/AVRStudio/S", "F", "a.c", false,
     "<S><F>a.c</F></S>", "/AVRStudio/S/F", "a.c"},
    {"a child of another kind with the text stands for the new one",
     "<AVRStudio><S><F>a.c</F><G>b.c</G></S></AVRStudio>", "/AVRStudio/S", "G", "a.c", false,
     "<S><F>a.c</F><G>b.c</G></S>", "/AVRStudio/S/F", "a.c"},
    {"the first kind of its name is written even when the text exists",
     "<AVRStudio><S><F>a.c</F></S></AVRStudio>", "/AVRStudio/S", "G", "a.c", false,
     "<S><F>a.c</F><G>a.c</G></S>", "/AVRStudio/S/G", "a.c"},
    {"an existing kind with another text gets a new element",
     "<AVRStudio><S><F>a.c</F></S></AVRStudio>", "/AVRStudio/S", "F", "b.c", false,
     "<S><F>a.c</F><F>b.c</F></S>", "/AVRStudio/S/F[2]", "b.c"},
    {"texts compare case-sensitively", "<AVRStudio><S><F>a.c</F></S></AVRStudio>", "/AVRStudio/S",
     "F", "A.C", false, "<S><F>a.c</F><F>A.C</F></S>", "/AVRStudio/S/F[2]", "A.C"},
    {"without text the existing element is handed back", "<AVRStudio><S><F>a.c</F></S></AVRStudio>",
     "/AVRStudio/S", "F", std::nullopt, false, "<S><F>a.c</F></S>", "/AVRStudio/S/F", "a.c"},
    // Existence is a matter of the path, not of the parent: FILE under the first OPTION counts
    // for the second one too.
    {"an element at the same path under a sibling parent",
     "<AVRStudio><O><P><K>x</K></P><P/></O></AVRStudio>", "/AVRStudio/O/P[2]", "K", std::nullopt,
     false, "<O><P><K>x</K></P><P/></O>", "/AVRStudio/O/P[1]/K", "x"},
    {"a sibling parent's element with the text does not count",
     "<AVRStudio><O><P><K>x</K></P><P/></O></AVRStudio>", "/AVRStudio/O/P[2]", "K", "x", false,
     "<O><P><K>x</K></P><P><K>x</K></P></O>", "/AVRStudio/O/P[2]/K", "x"},
};

using XmlNodeOperationsTest = HostDocumentTest;

TEST_F(XmlNodeOperationsTest, InsertNode) {
    for (const InsertCase& insert : kInsertCases) {
        SCOPED_TRACE(insert.title);
        ASSERT_TRUE(load(insert.document));
        const pugi::xml_node parent = selectNode(hub->document, insert.parentPath);
        ASSERT_TRUE(parent);
        pugi::xml_node result;
        xml().insertNode(insert.name, parent, &result, insert.text, insert.unique);
        EXPECT_EQ(raw(hub->document.document_element().first_child()), insert.after);
        EXPECT_EQ(result, selectNode(hub->document, insert.resultPath));
        EXPECT_EQ(std::string(result.child_value()), insert.resultText);
    }
    EXPECT_THAT(hub->logs, IsEmpty());
}

TEST_F(XmlNodeOperationsTest, InsertNodeFailures) {
    ASSERT_TRUE(load("<AVRStudio><S>text</S></AVRStudio>"));
    const pugi::xml_node textNode = selectNode(hub->document, "/AVRStudio/S").first_child();
    for (pugi::xml_node parent : {pugi::xml_node(), textNode}) {
        hub->logs.clear();
        try {
            xml().insertNode("B", parent, nullptr, std::string("x"), false);
            ADD_FAILURE() << "no failure raised";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "avrtazu plug-in: : Failed to insert XML node");
        }
        EXPECT_TRUE(
            hub->logged(kDebug, "Zuzozuduvuruva::insertNode()", "XML: Error appending node"));
    }
    EXPECT_EQ(raw(hub->document.document_element()), "<AVRStudio><S>text</S></AVRStudio>");
}

TEST_F(XmlNodeOperationsTest, InsertNodeAtPath) {
    pugi::xml_node created;
    EXPECT_EQ(xml().insertNodeAtPath("/AVRStudio", "X", &created, std::string("1"), true), S_OK);
    EXPECT_EQ(created, selectNode(hub->document, "/AVRStudio/X"));
    EXPECT_STREQ(created.child_value(), "1");
    EXPECT_THAT(hub->logs, IsEmpty());

    for (const char* path : {"/Missing", "/AVRStudio/Nowhere", "not a path ]["}) {
        SCOPED_TRACE(path);
        hub->logs.clear();
        pugi::xml_node untouched;
        EXPECT_EQ(xml().insertNodeAtPath(path, "Y", &untouched, std::nullopt, false), E_FAIL);
        EXPECT_FALSE(untouched);
        EXPECT_TRUE(hub->logged(kError, "", "XML: Error finding parent node"));
        EXPECT_FALSE(selectNode(hub->document, "//Y"));
    }
}

TEST_F(XmlNodeOperationsTest, InsertConfigNode) {
    pugi::xml_node configNode;
    EXPECT_EQ(xml().insertConfigNode(&configNode), E_FAIL);
    EXPECT_TRUE(
        hub->logged(kDebug, "Zuzozuduvuruva::insertConfigNode()", "XML: Error appending node"));
    EXPECT_FALSE(configNode);

    ASSERT_TRUE(load("<AVRStudio><AVRTAZUPLUGIN><CONFIGS><CONFIG/></CONFIGS>"
                     "</AVRTAZUPLUGIN></AVRStudio>"));
    EXPECT_EQ(xml().insertConfigNode(&configNode), S_OK);
    EXPECT_EQ(configNode, section().child("CONFIGS").last_child());
    EXPECT_EQ(childNames(section().child("CONFIGS")),
              (std::vector<std::string>{"CONFIG", "CONFIG"}));
}

TEST_F(XmlNodeOperationsTest, InsertConfigSubNode) {
    ASSERT_TRUE(load("<AVRStudio><C><A>1</A></C></AVRStudio>"));
    const pugi::xml_node parent = selectNode(hub->document, "/AVRStudio/C");
    pugi::xml_node node;
    // Appended even when an element of that name exists.
    EXPECT_EQ(xml().insertConfigSubNode("A", std::string("1"), parent, &node), S_OK);
    EXPECT_EQ(xml().insertConfigSubNode("B", std::nullopt, parent, nullptr), S_OK);
    EXPECT_EQ(xml().insertConfigSubNode("D", std::string(), parent, nullptr), S_OK);
    EXPECT_EQ(node, parent.child("A").next_sibling());
    EXPECT_EQ(raw(parent), "<C><A>1</A><A>1</A><B/><D/></C>");

    EXPECT_EQ(xml().insertConfigSubNode("E", std::string("x"), pugi::xml_node(), &node), E_FAIL);
    EXPECT_TRUE(
        hub->logged(kDebug, "Zuzozuduvuruva::insertConfigSubNode()", "XML: Error appending node"));
}

TEST_F(XmlNodeOperationsTest, NodePath) {
    ASSERT_TRUE(
        load("<AVRStudio><AVRTAZUPLUGIN><x:FILES xmlns:x='u'/></AVRTAZUPLUGIN></AVRStudio>"));
    EXPECT_EQ(ProjectXmlHandler::nodePath(section()), "/AVRStudio/AVRTAZUPLUGIN");
    EXPECT_EQ(ProjectXmlHandler::nodePath(section().first_child()),
              "/AVRStudio/AVRTAZUPLUGIN/FILES");
    EXPECT_EQ(ProjectXmlHandler::nodePath(hub->document), "");
}

TEST(ProjectXmlHandlerConstruction, AsksTheHubForTheProjectDocument) {
    auto hub = std::make_shared<XmlHub>();
    HubInstallation installation(hub);
    ProjectXmlHandler handler;
    EXPECT_TRUE(handler.hasDocument());
    ASSERT_EQ(hub->sharedObjectRequests.size(), 1u);
    EXPECT_EQ(hub->sharedObjectRequests[0].first, "XMLPROJECT");
    EXPECT_EQ(hub->sharedObjectRequests[0].second, std::string(kXmlDomDocumentInterfaceId));
    EXPECT_THAT(hub->logs, IsEmpty());
}

// Each operation on a handler without document: its one debug line, and nothing changed.
struct WithoutDocumentCase {
    const char* context;
    std::function<HRESULT(ProjectXmlHandler&, Project&)> run;
};

const WithoutDocumentCase kWithoutDocument[] = {
    {"ProjectXmlHandler::makeStructure()",
     [](ProjectXmlHandler& h, Project&) { return h.makeStructure(); }},
    {"ProjectXmlHandler::projectToXML()",
     [](ProjectXmlHandler& h, Project& p) { return h.projectToXML(p); }},
    {"ProjectXmlHandler::projectDataToXML()",
     [](ProjectXmlHandler& h, Project&) {
         h.projectDataToXML(Configuration("Debug"));
         return E_FAIL;
     }},
    {"ProjectXmlHandler::XMLToProject()",
     [](ProjectXmlHandler& h, Project& p) { return h.XMLToProject(p); }},
    {"ProjectXmlHandler::removeSections()",
     [](ProjectXmlHandler& h, Project&) {
         h.removeSections();
         return E_FAIL;
     }},
    {"ProjectXmlHandler::insertConfigNode()",
     [](ProjectXmlHandler& h, Project&) { return h.insertConfigNode(nullptr); }},
    {"ProjectXmlHandler::insertNodeAtPath()",
     [](ProjectXmlHandler& h, Project&) {
         return h.insertNodeAtPath("/AVRStudio", "X", nullptr, std::nullopt, false);
     }},
    {"ProjectXmlHandler::insertNode()",
     [](ProjectXmlHandler& h, Project&) {
         pugi::xml_document other;
         h.insertNode("X", other, nullptr, std::nullopt, false);
         return other.first_child() ? S_OK : E_FAIL;
     }},
};

TEST(ProjectXmlHandlerWithoutDocument, EveryOperationLogsOnceAndTouchesNothing) {
    for (const WithoutDocumentCase& operation : kWithoutDocument) {
        SCOPED_TRACE(operation.context);
        auto hub = std::make_shared<XmlHub>();
        hub->sharedObjects.clear();
        HubInstallation installation(hub);
        ProjectXmlHandler handler;
        EXPECT_FALSE(handler.hasDocument());
        EXPECT_TRUE(hub->logged(kError, "", "XML: Error getting XML object"));
        hub->logs.clear();

        Project project = richProject();
        EXPECT_EQ(operation.run(handler, project), E_FAIL);

        ASSERT_EQ(hub->logs.size(), 1u);
        EXPECT_EQ(hub->logs[0].level, kDebug);
        EXPECT_EQ(hub->logs[0].context, operation.context);
        EXPECT_EQ(hub->logs[0].message, "XML: No project document");
        EXPECT_EQ(project.name(), "blink");
        EXPECT_EQ(project.configs().size(), 5u);
        EXPECT_EQ(project.tazuLocation(), "C:\\tazu\\bin\\tazuavr.exe");
    }
}

TEST(ProjectXmlHandlerWithoutDocument, NoHubAtAll) {
    HubInstallation installation(nullptr);
    ProjectXmlHandler handler;
    EXPECT_FALSE(handler.hasDocument());
    Project project;
    EXPECT_EQ(handler.XMLToProject(project), E_FAIL);
    EXPECT_EQ(handler.makeStructure(), E_FAIL);
}

} // namespace
} // namespace avrtazu::fakes
