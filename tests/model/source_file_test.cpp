#include "model/source_file.h"

#include "platform/drive_map.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

namespace avrtazu {
namespace {

std::string converted(std::string path) {
    SourceFile::convertPathToWindowsStyle(path);
    return path;
}

TEST(SourceFileTest, ConversionToWindowsStyle) {
    struct Case {
        const char* given;
        const char* expected;
    } cases[] = {
        {"/cygdrive/c/work", "c:\\work"},
        {"/cygdrive/d/avr/x.c", "d:\\avr\\x.c"},
        {"/d/avr/x.c", "d:\\avr\\x.c"},
        {"/c/work", "c:\\work"},
        {"/c", "c:"},
        {"/work/x.c", "w:ork\\x.c"}, // any lower-case letter after the slash is a drive
        {"/C/work", "C\\work"},      // an upper-case one is not
        {"/", ""},
        {"x/cygdrive/c/a", "e\\c\\a"}, // the first nine characters go, wherever the marker is
        {"C:/proj/src/main.c", "C:\\proj\\src\\main.c"},
        {"C:\\dir\\sub\\..\\file", "C:\\dir\\file"},
        {"C:\\a\\..\\b", "C:\\b"},
        {"C:\\a\\b\\..\\..\\c", "C:\\c"},
        {"C:/a/b/../c/./d", "C:\\a\\c\\.\\d"},
        {"../x", "..\\x"},
        {"..\\a\\..\\b", "..\\a\\..\\b"},
        {"a\\..\\b", "a\\..\\b"},       // no directory in front to fold into
        {"C:\\dir\\..", "C:\\dir\\.."}, // dots at the very end stay
        {"C:\\dir\\..\\..", "C:\\.."},
        {"\\\\server\\share\\a\\..\\b", "\\\\server\\share\\b"},
        {"C:\\\\double\\\\x.c", "C:\\\\double\\\\x.c"},
        {"C:\\Mixed Case\\File.C", "C:\\Mixed Case\\File.C"},
        {"Q:\\PROGRA~1\\tazu", "Q:\\PROGRA~1\\tazu"}, // a name that cannot be expanded stays
        {"main.c", "main.c"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(converted(c.given), c.expected) << c.given;
    }
}

// Termination and the shape of every result, over every short text of the characters that
// drive the conversion and over longer random texts built from its markers.
void expectWellFormed(const std::string& given) {
    const std::string once = converted(given);
    ASSERT_EQ(once.find('/'), std::string::npos) << given;
    ASSERT_LE(once.size(), given.size()) << given;
    ASSERT_EQ(converted(once), once) << given;
}

TEST(SourceFileTest, ConversionEndsForEveryShortText) {
    const std::string alphabet = "a\\/.:";
    std::vector<std::string> texts = {""};
    for (std::size_t length = 1; length <= 7; ++length) {
        std::vector<std::string> longer;
        longer.reserve(texts.size() * alphabet.size());
        for (const auto& text : texts) {
            for (char c : alphabet) {
                longer.push_back(text + c);
            }
        }
        for (const auto& text : longer) {
            expectWellFormed(text);
        }
        texts = std::move(longer);
    }
}

TEST(SourceFileTest, ConversionEndsForRandomPaths) {
    const std::vector<std::string> pieces = {"..", "\\", "/",  "a",    "bc",  "/cygdrive",
                                             "C:", ".",  "~1", "..\\", "/c/", "\\\\"};
    std::mt19937 random(20240601u);
    std::uniform_int_distribution<std::size_t> piece(0, pieces.size() - 1);
    std::uniform_int_distribution<int> count(0, 24);
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        for (int n = count(random); n > 0; --n) {
            text += pieces[piece(random)];
        }
        expectWellFormed(text);
    }
}

TEST(SourceFileTest, SplitsFullNameIntoPathAndName) {
    struct Case {
        const char* fullName;
        const char* path;
        const char* name;
    } cases[] = {
        {"C:/proj/src/main.c", "C:\\proj\\src\\", "main.c"},
        {"main.c", "", "main.c"},
        {"/cygdrive/c/proj/../main.c", "c:\\", "main.c"},
        {"C:\\proj\\", "C:\\proj\\", ""},
        {"src\\main.c", "src\\", "main.c"},
    };
    for (const auto& c : cases) {
        const SourceFile file(c.fullName);
        EXPECT_EQ(file.path(), c.path) << c.fullName;
        EXPECT_EQ(file.name(), c.name) << c.fullName;
        EXPECT_EQ(file.fullName(), std::string(c.path) + c.name) << c.fullName;
    }
}

TEST(SourceFileTest, SettersIgnoreEmptyTextAndEndPathsWithBackslash) {
    SourceFile file("main.c", "C:\\proj");
    EXPECT_EQ(file.path(), "C:\\proj\\");
    file.setPath("");
    file.setName("");
    file.setFullName("");
    EXPECT_EQ(file.fullName(), "C:\\proj\\main.c");

    file.setPath("/c/proj/src/");
    EXPECT_EQ(file.path(), "c:\\proj\\src\\");
    file.setPath("src");
    EXPECT_EQ(file.fullName(), "src\\main.c");
    EXPECT_EQ(file.fullNameAsUnixpath(), "src/main.c");

    file.setName("a/b.c"); // names are taken as they come
    EXPECT_EQ(file.name(), "a/b.c");
    file.convertPathToWindowsStyle();
    EXPECT_EQ(file.path(), "src\\a\\");
    EXPECT_EQ(file.name(), "b.c");

    const SourceFile empty;
    EXPECT_EQ(empty.fullName(), "");
}

TEST(SourceFileTest, ExtensionAndStem) {
    struct Case {
        const char* name;
        const char* extension;
        const char* stem;
    } cases[] = {
        {"main.c", "c", "main"},
        {"Makefile", "", ""},
        {"archive.tar.gz", "gz", "archive.tar"},
        {".hidden", "hidden", ""},
        {"trailing.", "", "trailing"},
    };
    for (const auto& c : cases) {
        const SourceFile file(std::string("dir.v2\\") + c.name);
        EXPECT_EQ(file.extension(), c.extension) << c.name;
        EXPECT_EQ(file.stem(), c.stem) << c.name;
    }
    // On a bare text a dot in a directory counts when the name has none.
    EXPECT_EQ(SourceFile::extension("dir.v2\\Makefile"), "v2\\Makefile");
    EXPECT_EQ(SourceFile::extension("C:\\proj\\main.c"), "c");
    EXPECT_EQ(SourceFile::extension("Makefile"), "");
    EXPECT_EQ(SourceFile::getUnixPathFromWindowsPath("C:\\a\\b.c"), "C:/a/b.c");
}

TEST(SourceFileTest, SubtractPathRemovesTheBaseIgnoringCase) {
    struct Case {
        const char* path;
        const char* base;
        const char* expected;
    } cases[] = {
        {"c:\\proj\\src\\", "C:\\Proj", "src\\"},
        {"c:\\proj\\src\\", "C:\\Proj\\", "src\\"},
        {"C:\\proj\\src\\", "C:/proj", "src\\"},
        // A backslash is added before slashes are turned, so a base ending in a slash ends
        // up doubled and matches nothing.
        {"C:\\proj\\src\\", "C:/proj/", "C:\\proj\\src\\"},
        {"C:\\Proj\\", "C:\\Proj", ""},
        {"D:\\other\\", "C:\\Proj", "D:\\other\\"},
        {"C:\\project\\", "C:\\proj", "C:\\project\\"},
        {"C:\\", "C:\\proj\\", "C:\\"},
        {"src\\", "C:\\proj", "src\\"},
        {"C:\\proj\\src\\", "", "C:\\proj\\src\\"},
        // The length is measured before the conversion shortens the base.
        {"c:\\proj\\src\\", "/cygdrive/c/proj", "c:\\proj\\src\\"},
    };
    for (const auto& c : cases) {
        SourceFile file("main.c", c.path);
        file.subtractPath(c.base);
        EXPECT_EQ(file.path(), c.expected) << c.path << " - " << c.base;
        EXPECT_EQ(file.name(), "main.c");
    }
}

TEST(SourceFileTest, AbsoluteNameAndRelativeTest) {
    struct Case {
        const char* fullName;
        bool relative;
        const char* absolute;
    } cases[] = {
        {"src\\main.c", true, "C:\\proj\\src\\main.c"},
        {"main.c", true, "C:\\proj\\main.c"},
        {"D:\\lib\\x.c", false, "D:\\lib\\x.c"},
        {"\\lib\\x.c", false, "\\lib\\x.c"},
    };
    for (const auto& c : cases) {
        const SourceFile file(c.fullName);
        EXPECT_EQ(file.isRelative(), c.relative) << c.fullName;
        EXPECT_EQ(file.absoluteName("C:\\proj\\"), c.absolute) << c.fullName;
    }
}

TEST(SourceFileTest, EqualityNeedsSameNameAndPathInSameCase) {
    const SourceFile main("C:\\proj\\main.c");
    EXPECT_TRUE(main == SourceFile("main.c", "C:\\proj\\"));
    EXPECT_TRUE(main == SourceFile("C:/proj/main.c"));
    EXPECT_FALSE(main == SourceFile("C:\\other\\main.c"));
    EXPECT_FALSE(main == SourceFile("c:\\proj\\main.c"));
    EXPECT_FALSE(main == SourceFile("C:\\proj\\Main.c"));
    EXPECT_FALSE(main == std::string("C:\\proj\\main.c"));
}

class SourceFileOnDiskTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = std::filesystem::temp_directory_path() /
                 ("avrtazu_source_file_" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_root / "sub");
        std::ofstream(m_root / "sub" / "main.c") << "int main(void) { return 0; }\n";
        DriveMap::map('T', m_root.string());
    }
    void TearDown() override {
        DriveMap::reset();
        std::filesystem::remove_all(m_root);
    }
    std::filesystem::path m_root;
};

TEST_F(SourceFileOnDiskTest, ExistsBelowABase) {
    struct Case {
        const char* file;
        const char* base;
        bool exists;
    } cases[] = {
        {"sub\\main.c", "T:\\", true},
        {"main.c", "T:\\sub", true},
        {"main.c", "T:/sub/", true},
        {"main.c", "/t/sub", true},
        {"missing.c", "T:\\sub", false},
        {"main.c", "sub\\", false}, // a relative base finds nothing
        {"main.c", "", false},
        {"T:\\sub\\main.c", "T:\\", false}, // the full name is appended even when absolute
        {"sub\\main.c", "Q:\\", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SourceFile(c.file).exists(c.base), c.exists) << c.file << " in " << c.base;
    }
    EXPECT_TRUE(SourceFile("T:\\sub\\main.c").exists());
    EXPECT_TRUE(SourceFile("t:/sub/").exists());
    EXPECT_FALSE(SourceFile("T:\\sub\\other.c").exists());
}

} // namespace
} // namespace avrtazu
