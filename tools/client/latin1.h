// The game's texts are Latin-1 bytes; what the tools show or serve is UTF-8.

#pragma once

#include <string>

/// Latin-1 bytes as UTF-8: each byte becomes the code point of the same value.
std::string UTF8(const std::string& LATIN1);
