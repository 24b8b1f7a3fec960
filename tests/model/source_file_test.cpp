#include "model/source_file.h"

#include "platform/drive_map.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include <unistd.h>

namespace avrtazu {
namespace {

std::string converted(std::string path) {
    SourceFile::convertPathToWindowsStyle(path);
    return path;
}

TEST(SourceFileTest, ConversionToWindowsStyle) {
    const struct {
        const char* given;
        const char* expected;
    } cases[] = {
        {"/cygdrive/d/avr/x.c", "d:\\avr\\x.c"},
        {"/d/avr/x.c", "d:\\avr\\x.c"},
        {"/c:/work", "c:\\work"},
        {"/c", "c:"},
        {"/work/x.c", "w:ork\\x.c"}, // any lower-case letter after the slash is a drive
        {"/C/work", "C\\work"},      // an upper-case one is not
        {"/", ""},
        {"x/cygdrive/c/a", "e\\c\\a"}, // the first nine characters go, wherever the marker is
        {"C:\\a\\b\\..\\..\\c", "C:\\c"},
        {"C:/a/b/../c/./d", "C:\\a\\c\\.\\d"},
        {"..\\a\\..\\b", "..\\a\\..\\b"}, // the first dots are at the start
        {"a\\..\\b", "a\\..\\b"},         // no directory in front to fold into
        {"C:\\dir\\..", "C:\\dir\\.."},   // dots at the very end stay
        {"\\\\server\\share\\a\\..\\b", "\\\\server\\share\\b"},
        {"Q:\\PROGRA~1\\tazu", "Q:\\PROGRA~1\\tazu"}, // a name that cannot be expanded stays
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(converted(c.given), c.expected) << c.given;
    }
}

// Every short text of the characters that drive the conversion: it ends, leaves no slash,
// never makes the text longer and gives a text that converts to itself.
TEST(SourceFileTest, ConversionEndsForGeneratedPaths) {
    std::vector<std::string> texts = {""};
    for (std::size_t begin = 0, length = 1; length <= 7; ++length) {
        const std::size_t end = texts.size();
        for (std::size_t i = begin; i < end; ++i) {
            for (char c : std::string("a\\/.:")) {
                const std::string given = texts[i] + c;
                const std::string once = converted(given);
                ASSERT_EQ(once.find('/'), std::string::npos) << given;
                ASSERT_LE(once.size(), given.size()) << given;
                ASSERT_EQ(converted(once), once) << given;
                texts.push_back(given);
            }
        }
        begin = end;
    }
}

TEST(SourceFileTest, FullNamesAndSetters) {
    for (const auto& [fullName, path, name] :
         {std::tuple{"C:/proj/src/main.c", "C:\\proj\\src\\", "main.c"},
          {"main.c", "", "main.c"},
          {"C:\\proj\\", "C:\\proj\\", ""}}) {
        const SourceFile file(fullName);
        EXPECT_EQ(file.path() + "|" + file.name(), std::string(path) + "|" + name) << fullName;
    }

    SourceFile file("main.c", "C:\\proj");
    EXPECT_EQ(file.path(), "C:\\proj\\");
    file.setPath("");
    file.setName("");
    file.setFullName("");
    EXPECT_EQ(file.fullName(), "C:\\proj\\main.c");
    file.setPath("/c/proj/src/");
    EXPECT_EQ(file.path(), "c:\\proj\\src\\");
    file.setPath("src");
    EXPECT_EQ(file.fullNameAsUnixpath(), "src/main.c");

    file.setName("a/b.c"); // names are taken as they come
    EXPECT_EQ(file.name(), "a/b.c");
    file.convertPathToWindowsStyle();
    EXPECT_EQ(file.path() + "|" + file.name(), "src\\a\\|b.c");
}

TEST(SourceFileTest, ExtensionStemAndAbsoluteName) {
    for (const auto& [name, extension, stem] : {std::tuple{"main.c", "c", "main"},
                                                {"Makefile", "", ""},
                                                {"archive.tar.gz", "gz", "archive.tar"}}) {
        const SourceFile file(std::string("dir.v2\\") + name);
        EXPECT_EQ(file.extension(), extension) << name;
        EXPECT_EQ(file.stem(), stem) << name;
    }
    // On a bare text a dot in a directory counts when the name has none.
    EXPECT_EQ(SourceFile::extension("dir.v2\\Makefile"), "v2\\Makefile");
    EXPECT_EQ(SourceFile::extension("Makefile"), "");

    for (const auto& [fullName, relative, absolute] :
         {std::tuple{"src\\main.c", true, "C:\\proj\\src\\main.c"},
          {"D:\\lib\\x.c", false, "D:\\lib\\x.c"},
          {"\\lib\\x.c", false, "\\lib\\x.c"}}) {
        const SourceFile file(fullName);
        EXPECT_EQ(file.isRelative(), relative) << fullName;
        EXPECT_EQ(file.absoluteName("C:\\proj\\"), absolute) << fullName;
    }
}

TEST(SourceFileTest, SubtractPathRemovesTheBaseIgnoringCase) {
    const struct {
        const char* path;
        const char* base;
        const char* expected;
    } cases[] = {
        {"c:\\proj\\src\\", "C:\\Proj", "src\\"},
        {"c:\\proj\\src\\", "C:\\Proj\\", "src\\"},
        {"C:\\proj\\src\\", "C:/proj", "src\\"},
        // A backslash is added before slashes are turned: a base ending in a slash matches nothing.
        {"C:\\proj\\src\\", "C:/proj/", "C:\\proj\\src\\"},
        {"C:\\Proj\\", "C:\\Proj", ""},
        {"D:\\other\\", "C:\\Proj", "D:\\other\\"},
        {"C:\\project\\", "C:\\proj", "C:\\project\\"},
        {"C:\\proj\\src\\", "", "C:\\proj\\src\\"},
        // The length is measured before the conversion shortens the base.
        {"c:\\proj\\src\\", "/cygdrive/c/proj", "c:\\proj\\src\\"},
    };
    for (const auto& c : cases) {
        SourceFile file("main.c", c.path);
        file.subtractPath(c.base);
        EXPECT_EQ(file.fullName(), c.expected + std::string("main.c")) << c.path << " - " << c.base;
    }
}

TEST(SourceFileTest, EqualityNeedsSameNameAndPathInSameCase) {
    const SourceFile main("C:\\proj\\main.c");
    EXPECT_TRUE(main == SourceFile("main.c", "C:/proj/"));
    EXPECT_FALSE(main == SourceFile("C:\\other\\main.c"));
    EXPECT_FALSE(main == SourceFile("c:\\proj\\main.c"));
    EXPECT_FALSE(main == SourceFile("C:\\proj\\Main.c"));
    EXPECT_FALSE(main == std::string("C:\\proj\\main.c"));
}

TEST(SourceFileTest, ExistsBelowABase) {
    const auto root = std::filesystem::temp_directory_path() /
                      ("avrtazu_source_file_" + std::to_string(::getpid()));
    std::filesystem::create_directories(root / "sub");
    std::ofstream(root / "sub" / "main.c") << "int main(void) { return 0; }\n";
    DriveMap::map('T', root.string());
    const struct {
        const char* file;
        const char* base;
        bool exists;
    } cases[] = {
        {"sub\\main.c", "T:\\", true},
        {"main.c", "T:\\sub", true},
        {"main.c", "/t/sub/", true},
        {"missing.c", "T:\\sub", false},
        {"main.c", "", false},
        {"T:\\sub\\main.c", "T:\\", false}, // the full name is appended even when absolute
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SourceFile(c.file).exists(c.base), c.exists) << c.file << " in " << c.base;
    }
    // A relative base finds nothing, even where the file lies.
    const std::string relative = std::filesystem::relative(root / "sub").string();
    EXPECT_FALSE(SourceFile("main.c").exists(relative)) << relative;
    EXPECT_TRUE(SourceFile("T:\\sub\\main.c").exists());
    EXPECT_FALSE(SourceFile("T:\\sub\\other.c").exists());
    DriveMap::reset();
    std::filesystem::remove_all(root);
}

} // namespace
} // namespace avrtazu
