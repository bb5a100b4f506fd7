#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace tessalyn::test_support {

// The whole file as bytes; empty when it cannot be read.
inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Writes `bytes` as the whole file, replacing what was there.
inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

} // namespace tessalyn::test_support
