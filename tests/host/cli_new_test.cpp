#include "avrtazu_run.h"
#include "host_test_support.h"

#include "cli/cli_options.h"
#include "cli/cli_session.h"

#include <QStandardPaths>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;
using test::avrtazu;
using test::readFile;
using ::testing::HasSubstr;
using ::testing::Not;

std::string parsedNew(const std::vector<std::string>& arguments) {
    std::string error;
    const std::optional<CliOptions> options = CliOptions::parse(arguments, &error);
    if (!options) {
        return "error: " + error;
    }
    return CliOptions::commandWord(options->command) + " [" + options->project + "] [" +
           options->name + "] part=" + options->part + (options->files.empty() ? "" : " files");
}

TEST(CliNewOptionsTest, ParsesNewOrSaysWhatIsWrong) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"new", "d", "blink"}, "new [d] [blink] part="},
        {{"new", "d", "blink", "--part", "ATtiny2313"}, "new [d] [blink] part=ATtiny2313"},
        {{"--part=atmega128", "new", "a/b", "blink"}, "new [a/b] [blink] part=atmega128"},
        {{"new", "d", "blink.aps"}, "new [d] [blink] part="},
        {{"new"}, "error: 'new' needs a folder (DIR) and a NAME"},
        {{"new", "d"}, "error: 'new' needs a folder (DIR) and a NAME, and nothing after them"},
        {{"new", "d", "a", "b"},
         "error: 'new' needs a folder (DIR) and a NAME, and nothing after them"},
        {{"new", "d", "x/blink"},
         "error: 'x/blink' cannot name a project: use a file name without a folder"},
        {{"new", "d", ".."}, "error: '..' cannot name a project: use a file name without a folder"},
        {{"new", "d", "blink", "--part"}, "error: option --part needs a DEVICE"},
        {{"build", "b.aps", "--part", "ATtiny13"}, "error: option --part belongs to 'new'"},
    };
    for (const auto& [arguments, expected] : cases) {
        EXPECT_EQ(parsedNew(arguments), expected) << arguments.size();
    }
    EXPECT_THAT(CliOptions::usage(), HasSubstr("new DIR NAME [--part DEVICE]"));
}

// A plug-in that answers the new-project event as the script says.
struct NewScript {
    bool failSetUp = false;
    std::vector<std::string> calls{};
    std::string debuggerPart{};
};

class NewProjectPlugin : public IGuiPlugin {
public:
    explicit NewProjectPlugin(std::shared_ptr<NewScript> script) : m_script(std::move(script)) {}

    HRESULT GetSetup(Bstr* setup) override {
        *setup = L"<AVRSTUDIO_PLUGIN/>";
        return S_OK;
    }
    HRESULT Init(IGuiWorks* host) override {
        m_script->calls.push_back("Init");
        PlugInUtility::instance().setHost(host);
        return S_OK;
    }
    HRESULT HandleEvent(long event, const Bstr&) override {
        m_script->calls.push_back("Event " + std::to_string(event));
        if (event == 56) {
            Bstr part;
            PlugInUtility::instance().hub()->GetPartName(&part);
            m_script->debuggerPart = toNarrow(part);
            if (m_script->failSetUp) {
                PlugInUtility::instance().logError("\"Return Stack Size\" not a valid number!");
            }
        } else if (event == 12) {
            void* object = nullptr;
            PlugInUtility::instance().hub()->GetSharedObject(
                L"XMLPROJECT", std::string(kXmlDomDocumentInterfaceId), &object);
            static_cast<pugi::xml_document*>(object)
                ->document_element()
                .append_child("AVRTAZUPLUGIN")
                .append_child("PART")
                .text()
                .set(m_script->debuggerPart.c_str());
        }
        return S_OK;
    }
    HRESULT ExecuteCommand(long command) override {
        m_script->calls.push_back("Command " + std::to_string(command));
        return S_OK;
    }
    HRESULT SaveFile(const Bstr&, long* ok) override {
        *ok = 1;
        return S_OK;
    }
    HRESULT Close() override {
        m_script->calls.push_back("Close");
        return S_OK;
    }

private:
    std::shared_ptr<NewScript> m_script;
};

class CliNewSessionTest : public ::testing::Test {
protected:
    CliNewSessionTest() {
        PlugInUtility::resetForTesting();
        PlugInUtility::setToolchainLocator(nullptr);
        ObjectRegistry::instance().registerClass<IGuiPlugin>(
            plugin_registration::kClassId, plugin_registration::kGuiPluginInterfaceId,
            std::function<std::shared_ptr<IGuiPlugin>()>(
                [s = script] { return std::make_shared<NewProjectPlugin>(s); }));
        fs::create_directories(folder.file("bin"));
    }
    ~CliNewSessionTest() override {
        PlugInUtility::resetForTesting();
        PlugInUtility::setToolchainLocator(&ToolchainLocator::locate);
        registerPluginClass();
        ObjectRegistry::instance().unregisterClass(kPluginHubClassId);
    }

    int run(std::vector<std::string> arguments) {
        PlugInUtility::resetForTesting();
        err.str("");
        std::ostringstream out;
        return CliSession::main(arguments, out, err, false, folder.file("bin"));
    }

    std::shared_ptr<NewScript> script = std::make_shared<NewScript>();
    test::TempFolder folder;
    std::ostringstream err;
};

TEST_F(CliNewSessionTest, CreatesTheProjectThroughTheNewProjectEvent) {
    const std::string dir = folder.file("made/here");
    ASSERT_EQ(run({"new", dir, "blink", "--part", "ATtiny2313"}), 0) << err.str();
    EXPECT_EQ(script->calls, (std::vector<std::string>{"Init", "Event 56", "Event 12", "Close"}));
    EXPECT_EQ(script->debuggerPart, "ATtiny2313");
    const std::string file = readFile(dir + "/blink.aps");
    EXPECT_THAT(file, HasSubstr("<ProjectName>blink</ProjectName>"));
    EXPECT_THAT(file, HasSubstr("<PART>ATtiny2313</PART>"));
}

TEST_F(CliNewSessionTest, ASetUpThatFailsLeavesNothingBehind) {
    script->failSetUp = true;
    const std::string dir = folder.file("made");
    EXPECT_EQ(run({"new", dir + "/deeper", "blink"}), 1);
    EXPECT_THAT(err.str(), HasSubstr("error: tazu plug-in: \"Return Stack Size\" not a valid "
                                     "number!"));
    EXPECT_THAT(err.str(), HasSubstr(dir + "/deeper/blink.aps was not created"));
    EXPECT_FALSE(fs::exists(dir)) << "the folders new made are gone again";

    // A folder that was there before stays.
    fs::create_directories(dir);
    EXPECT_EQ(run({"new", dir, "blink"}), 1);
    EXPECT_TRUE(fs::is_directory(dir));
    EXPECT_FALSE(fs::exists(dir + "/blink.aps"));
}

TEST_F(CliNewSessionTest, AnExistingProjectOrFileIsNeverReplaced) {
    const std::string aps = folder.write("p/blink.aps", test::sampleProject());
    EXPECT_EQ(run({"new", folder.file("p"), "blink"}), 2);
    EXPECT_THAT(err.str(), HasSubstr("already exists; nothing was changed"));
    EXPECT_EQ(readFile(aps), test::sampleProject());

    // A file where the project's folder should be.
    const std::string plain = folder.write("plain", "text");
    EXPECT_EQ(run({"new", plain, "blink"}), 2);
    EXPECT_THAT(err.str(), HasSubstr(plain + " is not a folder; nothing was changed"));
    EXPECT_EQ(readFile(plain), "text");
    EXPECT_TRUE(script->calls.empty());
}

// A project made by new for a device gets the device's memory layout, and builds firmware.
TEST(CliNewEndToEndTest, NewAddBuildMakesFirmwareForTheDevice) {
    if (QStandardPaths::findExecutable("avr-gcc").isEmpty()) {
        GTEST_SKIP() << "avr-gcc is not installed (scripts/setup installs it)";
    }
    const struct {
        const char* device;
        const char* part;
        const char* programMemory;
        const char* textAddress;
    } cases[] = {
        {"ATtiny2313", "ATtiny2313", "2048", "0x13"},
        {"atmega128", "ATMega128 (Please see NOTES)", "0x20000", "0x46"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.device);
        test::TempFolder work;
        work.write("main.c", "#include <avr/io.h>\nint main(void) {\n    DDRB = 0xFF;\n"
                             "    for (;;) {\n        PORTB ^= 0xFF;\n    }\n}\n");
        test::AvrtazuRun r = avrtazu(work.path(), {"new", "fw", "blink", "--part", c.device});
        ASSERT_EQ(r.status, 0) << r.out << r.err;
        EXPECT_THAT(r.err, HasSubstr("dialog \"blink project options\": accepted as shown"));
        EXPECT_THAT(r.err, Not(HasSubstr("message:")));
        const std::string aps = readFile(work.file("fw/blink.aps"));
        EXPECT_THAT(aps, HasSubstr(std::string("<PART>") + c.part + "</PART>"));
        EXPECT_THAT(aps, HasSubstr(std::string("<PROGRAMMEMORY>") + c.programMemory));
        EXPECT_THAT(aps, HasSubstr(std::string("<TEXTADDRESSWORD>") + c.textAddress));

        r = avrtazu(work.path(), {"add", "fw/blink.aps", "main.c"});
        ASSERT_EQ(r.status, 0) << r.out << r.err;
        r = avrtazu(work.path(), {"build", "fw/blink.aps"});
        ASSERT_EQ(r.status, 0) << r.out << r.err;
        EXPECT_THAT(r.out, HasSubstr("Build succeeded with 0 Warnings..."));
        EXPECT_TRUE(fs::exists(work.file("fw/default/blink.hex")));
        EXPECT_TRUE(fs::exists(work.file("fw/default/blink.cof")));
    }
}

TEST(CliNewEndToEndTest, AnUnknownDeviceIsToldAndTheProjectIsCustom) {
    test::TempFolder work;
    const test::AvrtazuRun r = avrtazu(work.path(), {"new", ".", "odd", "--part", "ATxmega128A1"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_THAT(r.err, HasSubstr("message: \"atxmega128a1\" not supported by TAZU-AVR.\n"));
    EXPECT_THAT(readFile(work.file("odd.aps")), HasSubstr("<PART>Custom</PART>"));
}

} // namespace
} // namespace avrtazu
