#include "model/source_file.h"

#include "golden.h"
#include "platform/temp_drive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

std::string converted(std::string path) {
    SourceFile::convertPathToWindowsStyle(path);
    return path;
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

// What the path operations make of texts, one line each.
TEST(SourceFileTest, PathOperationsGiveTheGoldenResults) {
    std::ostringstream out;
    // A lower-case letter after the first slash is a drive, an upper-case one is not; the first
    // nine characters go wherever "/cygdrive" stands; ".." folds into the directory in front of
    // it, but not at the start or the very end; a short name that cannot be expanded stays.
    for (const char* given :
         {"/cygdrive/d/avr/x.c", "/d/avr/x.c", "/c:/work", "/c", "/work/x.c", "/C/work", "/",
          "x/cygdrive/c/a", "C:\\a\\b\\..\\..\\c", "C:/a/b/../c/./d", "..\\a\\..\\b", "a\\..\\b",
          "C:\\dir\\..", "\\\\server\\share\\a\\..\\b", "Q:\\PROGRA~1\\tazu", ""}) {
        out << "convert [" << given << "] -> [" << converted(given) << "]\n";
    }
    // A bare text's extension may start with a dot in a directory.
    for (const char* given : {"C:/proj/src/main.c", "main.c", "C:\\proj\\", "dir.v2\\Makefile",
                              "src\\archive.tar.gz", "\\lib\\x.c", "D:\\lib\\x.c"}) {
        const SourceFile file(given);
        out << "parts of [" << given << "]: path [" << file.path() << "] name [" << file.name()
            << "] extension [" << file.extension() << "] stem [" << file.stem() << "] relative "
            << file.isRelative() << ", in C:\\proj\\ [" << file.absoluteName("C:\\proj\\")
            << "], bare extension [" << SourceFile::extension(given) << "]\n";
    }
    // Case is ignored; a backslash is added to the base before its slashes are turned, and its
    // length is measured before the conversion shortens it.
    for (const char* base : {"C:\\Proj", "C:\\Proj\\", "C:/proj", "C:/proj/", "C:\\proj\\src",
                             "D:\\other", "C:\\pro", "", "/cygdrive/c/proj"}) {
        SourceFile file("main.c", "c:\\proj\\src\\");
        file.subtractPath(base);
        out << "c:\\proj\\src\\main.c minus [" << base << "] -> [" << file.fullName() << "]\n";
    }
    test::expectGolden("source_file.txt", out.str());
}

TEST(SourceFileTest, ExistsBelowABase) {
    const test::TempDrive drive('T');
    drive.write("sub/main.c", "int main(void) { return 0; }\n");
    std::string found;
    // The full name is appended to the base even when it is absolute.
    for (const auto& [file, base] : {std::pair{"sub\\main.c", "T:\\"},
                                     {"main.c", "T:\\sub"},
                                     {"main.c", "/t/sub/"},
                                     {"missing.c", "T:\\sub"},
                                     {"main.c", ""},
                                     {"T:\\sub\\main.c", "T:\\"}}) {
        found += std::to_string(SourceFile(file).exists(base));
    }
    EXPECT_EQ(found, "111000");
    // A relative base finds nothing, even where the file lies.
    const std::string relative = std::filesystem::relative(drive.linux("sub")).string();
    EXPECT_FALSE(SourceFile("main.c").exists(relative)) << relative;
    EXPECT_TRUE(SourceFile("T:\\sub\\main.c").exists());
}

} // namespace
} // namespace avrtazu
