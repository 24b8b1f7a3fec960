#pragma once

// Golden files: text compared byte for byte with a file under the test folder's golden/
// (GOLDEN_DIR); a mismatch leaves the text in the test's build folder (ACTUAL_DIR).

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace avrtazu::test {

// The whole file, or "<missing>".
inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return "<missing>";
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A file of golden/.
inline std::string golden(const std::string& name) {
    return readFile(std::string(GOLDEN_DIR) + "/" + name);
}

// A mismatch leaves the text as NAME.actual, to compare by eye; AVRTAZU_UPDATE_GOLDEN=1
// rewrites the golden file instead (check the diff before committing it).
inline void expectGolden(const std::string& name, const std::string& actual) {
    const char* update = std::getenv("AVRTAZU_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        std::ofstream(std::string(GOLDEN_DIR) + "/" + name, std::ios::binary) << actual;
    }
    const std::string expected = golden(name);
    EXPECT_EQ(expected, actual) << "golden/" << name;
    if (expected != actual) {
        std::ofstream(std::string(ACTUAL_DIR) + "/" + name + ".actual", std::ios::binary) << actual;
    }
}

// Each line of the golden file is "INPUT => OUTPUT", OUTPUT being what make gives for INPUT.
inline void expectEachLine(const std::string& name, std::string (*make)(const std::string&)) {
    std::istringstream lines(golden(name));
    std::string actual;
    for (std::string line; std::getline(lines, line);) {
        const std::string input = line.substr(0, line.find(" => "));
        actual += input + " => " + make(input) + "\n";
    }
    EXPECT_GT(actual.size(), 50u) << "golden/" << name;
    expectGolden(name, actual);
}

} // namespace avrtazu::test
