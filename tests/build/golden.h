#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace avrtazu::test {

// Compares text with a file of golden/ byte for byte; AVRTAZU_UPDATE_GOLDEN=1 rewrites the file
// from the product's output instead (check the diff before committing it).
inline void expectGolden(const std::string& name, const std::string& actual) {
    const std::string path = std::string(GOLDEN_DIR) + "/" + name;
    if (std::getenv("AVRTAZU_UPDATE_GOLDEN") != nullptr) {
        std::ofstream(path, std::ios::binary) << actual;
    }
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(actual, std::string(std::istreambuf_iterator<char>(in), {})) << "golden/" << name;
}

} // namespace avrtazu::test
