#pragma once

// Golden files for the tests of the plug-in and its hosts: text compared byte for byte with a
// file under the test folder's golden/.

#include <gtest/gtest.h>

#include <filesystem>
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

// A mismatch leaves the text in the test's build folder as NAME.actual, to compare by eye and
// copy over the golden file when it is right.
inline void expectGolden(const std::string& golden, const std::string& actual) {
    EXPECT_EQ(readFile(golden), actual) << golden;
    if (readFile(golden) != actual) {
        std::ofstream(std::string(ACTUAL_DIR) + "/" +
                          std::filesystem::path(golden).filename().string() + ".actual",
                      std::ios::binary)
            << actual;
    }
}

// Each line of the golden file is "INPUT => OUTPUT", OUTPUT being what make gives for INPUT.
inline void expectEachLine(const std::string& golden, std::string (*make)(const std::string&)) {
    std::istringstream lines(readFile(golden));
    std::string actual;
    for (std::string line; std::getline(lines, line);) {
        const std::string input = line.substr(0, line.find(" => "));
        actual += input + " => " + make(input) + "\n";
    }
    EXPECT_GT(actual.size(), 50u) << golden;
    expectGolden(golden, actual);
}

} // namespace avrtazu::test
