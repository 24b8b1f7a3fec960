#include "persistence/xml_host_support.h"

#include "services/plugin_hub.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>

namespace avrtazu::fakes {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StrEq;
using ::testing::ThrowsMessage;

constexpr long kError = 2;
constexpr long kDebug = 3;

std::string raw(pugi::xml_node node) {
    std::ostringstream text;
    node.print(text, "", pugi::format_raw);
    return text.str();
}

// Documents are "<AVRStudio>" + before + "</AVRStudio>"; paths start below AVRStudio.
struct InsertCase {
    const char* before;
    const char* parent;
    const char* name;
    std::optional<std::string> text;
    bool unique;
    const char* after;
    const char* result; // the element handed back
};

const std::optional<std::string> kNoText;

const InsertCase kInsertCases[] = {
    {"<S><A/></S>", "S", "B", "x", false, "<S><A/><B>x</B></S>", "S/B"},
    {"<S/>", "S", "B", kNoText, false, "<S><B/></S>", "S/B"},
    {"<S/>", "S", "B", "", true, "<S><B/></S>", "S/B"},
    // Unique: the existing element's content is replaced by the text.
    {"<S><L>old</L><M/></S>", "S", "L", "new", true, "<S><L>new</L><M/></S>", "S/L"},
    {"<S><L>a<X>b</X>c</L></S>", "S", "L", "new", true, "<S><L>new</L></S>", "S/L"},
    {"<S><L>old</L></S>", "S", "L", "", true, "<S><L/></S>", "S/L"},
    // Not unique: an existing child with the text, whatever its kind, stands for the new one.
    {"<S><F>a.c</F></S>", "S", "F", "a.c", false, "<S><F>a.c</F></S>", "S/F"},
    {"<S><F>a.c</F><G>b.c</G></S>", "S", "G", "a.c", false, "<S><F>a.c</F><G>b.c</G></S>", "S/F"},
    // ...but only once an element of the name exists.
    {"<S><F>a.c</F></S>", "S", "G", "a.c", false, "<S><F>a.c</F><G>a.c</G></S>", "S/G"},
    {"<S><F>a.c</F></S>", "S", "F", "b.c", false, "<S><F>a.c</F><F>b.c</F></S>", "S/F[2]"},
    {"<S><F>a.c</F></S>", "S", "F", kNoText, false, "<S><F>a.c</F></S>", "S/F"},
    // Existence is a matter of the path, not of the parent: K under the first P counts for the
    // second one too; its text does not.
    {"<O><P><K>x</K></P><P/></O>", "O/P[2]", "K", kNoText, false, "<O><P><K>x</K></P><P/></O>",
     "O/P[1]/K"},
    {"<O><P><K>x</K></P><P/></O>", "O/P[2]", "K", "x", false,
     "<O><P><K>x</K></P><P><K>x</K></P></O>", "O/P[2]/K"},
};

class XmlNodeOperationsTest : public HostDocumentTest {
protected:
    pugi::xml_node at(const std::string& path) {
        return selectNode(hub->document, "/AVRStudio/" + path);
    }
};

TEST_F(XmlNodeOperationsTest, InsertNode) {
    for (const InsertCase& insert : kInsertCases) {
        SCOPED_TRACE(std::string(insert.before) + " + " + insert.name);
        ASSERT_TRUE(load(std::string("<AVRStudio>") + insert.before + "</AVRStudio>"));
        const pugi::xml_node parent = at(insert.parent);
        ASSERT_TRUE(parent);
        pugi::xml_node result;
        xml().insertNode(insert.name, parent, &result, insert.text, insert.unique);
        EXPECT_EQ(raw(hub->document.document_element().first_child()), insert.after);
        EXPECT_EQ(result, at(insert.result));
    }
    EXPECT_THAT(hub->logs, IsEmpty());
}

TEST_F(XmlNodeOperationsTest, InsertNodeFailures) {
    ASSERT_TRUE(load("<AVRStudio><S>text</S></AVRStudio>"));
    for (pugi::xml_node parent : {pugi::xml_node(), at("S").first_child()}) {
        hub->logs.clear();
        EXPECT_THAT([&] { xml().insertNode("B", parent, nullptr, std::string("x"), false); },
                    ThrowsMessage<std::runtime_error>(
                        StrEq("avrtazu plug-in: : Failed to insert XML node")));
        EXPECT_TRUE(
            hub->logged(kDebug, "Zuzozuduvuruva::insertNode()", "XML: Error appending node"));
    }
    EXPECT_EQ(raw(hub->document.document_element()), "<AVRStudio><S>text</S></AVRStudio>");
}

TEST_F(XmlNodeOperationsTest, InsertNodeAtPath) {
    pugi::xml_node created;
    EXPECT_EQ(xml().insertNodeAtPath("/AVRStudio", "X", &created, std::string("1"), true), S_OK);
    EXPECT_EQ(created, at("X"));
    EXPECT_STREQ(created.child_value(), "1");
    EXPECT_THAT(hub->logs, IsEmpty());

    for (const char* path : {"/AVRStudio/Nowhere", "not a path ]["}) {
        SCOPED_TRACE(path);
        hub->logs.clear();
        pugi::xml_node untouched;
        EXPECT_EQ(xml().insertNodeAtPath(path, "Y", &untouched, kNoText, false), E_FAIL);
        EXPECT_FALSE(untouched);
        EXPECT_TRUE(hub->logged(kError, "", "XML: Error finding parent node"));
        EXPECT_FALSE(selectNode(hub->document, "//Y"));
    }
}

TEST_F(XmlNodeOperationsTest, InsertConfigNodeAndSubNode) {
    pugi::xml_node node;
    EXPECT_EQ(xml().insertConfigNode(&node), E_FAIL);
    EXPECT_TRUE(
        hub->logged(kDebug, "Zuzozuduvuruva::insertConfigNode()", "XML: Error appending node"));
    EXPECT_FALSE(node);

    ASSERT_TRUE(load("<AVRStudio><AVRTAZUPLUGIN><CONFIGS><CONFIG><A>1</A></CONFIG></CONFIGS>"
                     "</AVRTAZUPLUGIN></AVRStudio>"));
    EXPECT_EQ(xml().insertConfigNode(&node), S_OK);
    EXPECT_EQ(node, section().child("CONFIGS").last_child());
    EXPECT_THAT(childNames(section().child("CONFIGS")), ElementsAre("CONFIG", "CONFIG"));

    // A sub-node is appended even when an element of that name exists.
    const pugi::xml_node parent = config(0);
    EXPECT_EQ(xml().insertConfigSubNode("A", std::string("1"), parent, &node), S_OK);
    EXPECT_EQ(xml().insertConfigSubNode("B", kNoText, parent, nullptr), S_OK);
    EXPECT_EQ(xml().insertConfigSubNode("D", std::string(), parent, nullptr), S_OK);
    EXPECT_EQ(node, parent.child("A").next_sibling());
    EXPECT_EQ(raw(parent), "<CONFIG><A>1</A><A>1</A><B/><D/></CONFIG>");

    EXPECT_EQ(xml().insertConfigSubNode("E", std::string("x"), pugi::xml_node(), &node), E_FAIL);
    EXPECT_TRUE(
        hub->logged(kDebug, "Zuzozuduvuruva::insertConfigSubNode()", "XML: Error appending node"));
}

TEST_F(XmlNodeOperationsTest, NodePathLeavesNamespacePrefixesOut) {
    ASSERT_TRUE(
        load("<AVRStudio><AVRTAZUPLUGIN><x:FILES xmlns:x='u'/></AVRTAZUPLUGIN></AVRStudio>"));
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

TEST(ProjectXmlHandlerWithoutDocument, EveryOperationLogsOnceAndDoesNothing) {
    auto hub = std::make_shared<XmlHub>();
    hub->sharedObjects.clear();
    HubInstallation installation(hub);
    ProjectXmlHandler handler;
    EXPECT_FALSE(handler.hasDocument());
    EXPECT_TRUE(hub->logged(kError, "", "XML: Error getting XML object"));
    hub->logs.clear();

    Project project;
    pugi::xml_document other;
    EXPECT_EQ(handler.makeStructure(), E_FAIL);
    EXPECT_EQ(handler.projectToXML(project), E_FAIL);
    handler.projectDataToXML(Configuration("Debug"));
    EXPECT_EQ(handler.XMLToProject(project), E_FAIL);
    handler.removeSections();
    EXPECT_EQ(handler.insertConfigNode(nullptr), E_FAIL);
    EXPECT_EQ(handler.insertNodeAtPath("/AVRStudio", "X", nullptr, kNoText, false), E_FAIL);
    handler.insertNode("X", other, nullptr, kNoText, false);
    EXPECT_FALSE(other.first_child());

    // One debug line each, with the operation as its context.
    std::vector<std::string> contexts;
    for (const RecordingHub::LogLine& line : hub->logs) {
        EXPECT_EQ(line.level, kDebug);
        EXPECT_EQ(line.message, "XML: No project document");
        contexts.push_back(line.context);
    }
    EXPECT_THAT(
        contexts,
        ElementsAre("ProjectXmlHandler::makeStructure()", "ProjectXmlHandler::projectToXML()",
                    "ProjectXmlHandler::projectDataToXML()", "ProjectXmlHandler::XMLToProject()",
                    "ProjectXmlHandler::removeSections()", "ProjectXmlHandler::insertConfigNode()",
                    "ProjectXmlHandler::insertNodeAtPath()", "ProjectXmlHandler::insertNode()"));

    // Without a hub there is no document either.
    HubInstallation noHub(nullptr);
    EXPECT_FALSE(ProjectXmlHandler().hasDocument());
}

} // namespace
} // namespace avrtazu::fakes
