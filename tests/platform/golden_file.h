#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace avrtazu::test {

// A file of the test program's golden folder, byte for byte.
inline std::string golden(const std::string& name) {
    std::ifstream in(std::string(GOLDEN_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Compares with a golden file; a text that differs is left in the working folder to look at.
inline void expectGolden(const std::string& actual, const std::string& name) {
    EXPECT_EQ(actual, golden(name)) << name;
    if (actual != golden(name)) {
        std::ofstream(name, std::ios::binary) << actual;
    }
}

} // namespace avrtazu::test
