#include "host_test_support.h"

#include "lib/project_document.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QString>
#include <QStringEncoder>

#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class ProjectDocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(document.load(path, &error)) << error;
    }

    std::size_t filesInFolder() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(folder.file("p")), {}));
    }

    test::TempFolder folder;
    std::string path = folder.write("p/blink.aps", test::sampleProject());
    ProjectDocument document;
};

// What the saved bytes hold is in the command line's transcript; here: how they are written.
TEST_F(ProjectDocumentTest, SavingKeepsThePermissionsAndRewritesOnlyAChangedFile) {
    document.setValue("AVRTAZUPLUGIN", "LASTCONFIG", "release");
    ::chmod(path.c_str(), 0640);
    std::string error;
    ASSERT_TRUE(document.save(&error)) << error;
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(filesInFolder(), 1u) << "no temporary file is left behind";

    ASSERT_TRUE(document.load(path, &error)) << error;
    EXPECT_EQ(document.value("AVRTAZUPLUGIN", "LASTCONFIG"), "release");
    ASSERT_TRUE(document.save(&error)) << error;
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, status.st_ino);
}

// A write that the system cuts short (here: a file size limit) must not touch the old file.
TEST_F(ProjectDocumentTest, AFailedSaveLeavesTheOldFileWhole) {
    document.setValue("AVRTAZUPLUGIN", "LASTCONFIG", std::string(4096, 'x'));
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    const bool saved = document.save(&error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(error.rfind("cannot save " + path + ": ", 0), 0u) << error;
    EXPECT_EQ(test::readFile(path), test::sampleProject());
    EXPECT_EQ(filesInFolder(), 1u);
}

// Text as UTF-16 with a byte order mark, little or big end first.
std::string utf16(const std::string& utf8, bool bigEnd) {
    QStringEncoder encode(bigEnd ? QStringConverter::Utf16BE : QStringConverter::Utf16LE,
                          QStringConverter::Flag::WriteBom);
    return QByteArray(encode(QString::fromStdString(utf8))).toStdString();
}

// Each document is read and written back whole, another tool reading what was saved, or is
// refused with its reason and left as it was.
TEST(ProjectDocumentClassesTest, AreKeptWholeOrRefusedUntouched) {
    const auto document = [](const std::string& encoding, const std::string& name) {
        return "<?xml version=\"1.0\" encoding=\"" + encoding +
               "\"?>\n<AVRStudio><MANAGEMENT><ProjectName>" + name +
               "</ProjectName></MANAGEMENT></AVRStudio>\n";
    };
    const std::string pe = "p\xC3\xA9";
    const std::string deep = QByteArray("<b>").repeated(50000).toStdString() +
                             QByteArray("</b>").repeated(50000).toStdString();
    const struct {
        std::string bytes, change;
        const char* refused;
    } cases[] = {
        {utf16(document("UTF-16", pe), false), "r\xC3\xA9", ""},
        {utf16(document("UTF-16", pe), true), "\xE2\x82\xAC", ""},
        {document("ISO-8859-1", "p\xE9"), "r\xC3\xA9", ""},
        {document("ISO-8859-1", "p\xE9"), "\xE2\x82\xAC", ""},
        {document("UTF-16", pe), "x", ""},
        {document("windows-1252", "p\xE9"), "", "encoding \"windows-1252\""},
        {document("UTF-8", "p\xE9"), "", "not well-formed UTF-8 at line 2, column 38"},
        {document("UTF-8", pe + deep), "", "nested deeper than 256 levels"},
        {document("UTF-8", pe), "caf\xE9.c", "the name \"caf\\xE9.c\" is not valid UTF-8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change + c.refused);
        const test::TempFolder folder;
        const std::string path = folder.write("p.aps", c.bytes);
        auto loaded = std::make_unique<ProjectDocument>();
        std::string error;
        if (loaded->load(path, &error)) {
            loaded->setValue("AVRTAZUPLUGIN", "LASTCONFIG", c.change);
            loaded->save(&error);
        }
        loaded.reset();
        EXPECT_THAT(error, HasSubstr(c.refused));
        if (*c.refused != 0) {
            EXPECT_EQ(test::readFile(path), c.bytes);
            continue;
        }
        ProjectDocument again;
        ASSERT_TRUE(again.load(path, &error)) << error;
        EXPECT_EQ(again.projectName(), pe);
        EXPECT_EQ(again.value("AVRTAZUPLUGIN", "LASTCONFIG"), c.change);
        EXPECT_EQ(std::system(("xmllint --noout " + path).c_str()), 0);
    }
}

// A link is written through; a crashed save's temporary goes; a second holder waits.
TEST(ProjectDocumentClassesTest, TheFileIsHeldAndWrittenWhereItLives) {
    using namespace std::chrono_literals;
    const test::TempFolder folder;
    const std::string real = folder.write("real/blink.aps", test::sampleProject());
    const std::string leftover = folder.write("real/.blink.aps.ab12cd34.tmp", "half");
    const std::string link = folder.file("blink.aps");
    fs::create_symlink(real, link);
    auto first = std::make_unique<ProjectDocument>();
    std::string error;
    ASSERT_TRUE(first->load(link, &error)) << error;
    EXPECT_FALSE(fs::exists(leftover));
    ProjectDocument second;
    EXPECT_FALSE(second.load(real, &error));
    EXPECT_THAT(error, HasSubstr("another avrtazu or avrtazu-studio has it open"));
    first->setValue("AVRTAZUPLUGIN", "LASTCONFIG", "release");
    ASSERT_TRUE(first->save(&error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    std::thread closer([&] {
        std::this_thread::sleep_for(200ms);
        first.reset();
    });
    int waited = 0;
    EXPECT_TRUE(second.load(real, &error, {5s, [&] { ++waited; }})) << error;
    closer.join();
    EXPECT_EQ(waited, 1);
    EXPECT_EQ(second.value("AVRTAZUPLUGIN", "LASTCONFIG"), "release");
}

// Two adds at once both land, each written once; a name that is not UTF-8 is refused.
TEST(ProjectDocumentClassesTest, EachCommandWritesTheFileOnce) {
    const test::TempFolder folder;
    folder.write("blink.aps", test::readFile(AVRTAZU_EXAMPLE_DIR "/blink.aps"));
    folder.write("a.c", "") + folder.write("b.c", "") + folder.write("caf\xE9.c", "");
    const int watch = ::inotify_init1(IN_NONBLOCK);
    // Each rename comes in two events, so that two saves are not merged into one.
    ::inotify_add_watch(watch, folder.path().c_str(), IN_MOVED_FROM | IN_MOVED_TO);
    const std::string add = "cd " + folder.path() +
                            " && env -u TAZU_REGISTRY -u TAZU_DRIVES " AVRTAZU_EXECUTABLE
                            " add blink.aps ";
    EXPECT_EQ(std::system(("(" + add + "a.c & p=$!; " + add +
                           "b.c; s=$?; wait $p; exit $((s + $?)))" + " >/dev/null 2>&1")
                              .c_str()),
              0);
    const int bad = std::system((add + "caf\xE9.c 2>" + folder.file("err")).c_str());
    EXPECT_EQ(WEXITSTATUS(bad), 2);
    EXPECT_THAT(test::readFile(folder.file("err")), HasSubstr("caf\\xE9.c is not valid UTF-8"));
    alignas(inotify_event) char events[4096];
    const long got = ::read(watch, events, sizeof events);
    int saves = 0;
    for (char* e = events; e < events + got;
         e += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(e)->len) {
        saves += std::string(reinterpret_cast<inotify_event*>(e)->name) == "blink.aps";
    }
    ::close(watch);
    EXPECT_EQ(saves, 2);
    EXPECT_THAT(test::readFile(folder.file("blink.aps")), HasSubstr(">a.c<"));
    EXPECT_THAT(test::readFile(folder.file("blink.aps")), HasSubstr(">b.c<"));
}

} // namespace
} // namespace avrtazu
