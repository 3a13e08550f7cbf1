#pragma once
// The whole content of a file named by a suite path (drive or Linux form), read in one go; empty
// when it is no regular file or cannot be read.
#include <cstdint>
#include <string>
#include <vector>

std::vector<std::uint8_t> ReadFileBytes(const std::string& path);
