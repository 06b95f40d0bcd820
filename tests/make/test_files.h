#pragma once
// Whole files written and read by the builder's tests.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// Writes the bytes, making the file's folders first.
inline void Put(const std::filesystem::path& file, const std::string& bytes) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

// The file's bytes; "" when it cannot be read.
inline std::string Get(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}
