// The game's texts are Latin-1 bytes; what the tools show or serve is UTF-8.

#pragma once

#include <optional>
#include <string>
#include <string_view>

/// Latin-1 bytes as UTF-8: each byte becomes the code point of the same value.
std::string UTF8(const std::string& LATIN1);

/// Valid UTF-8 (a JSON parser has checked it) as Latin-1 bytes: each code
/// point up to U+00FF becomes its byte, one above becomes INSTEAD; without
/// INSTEAD such a code point makes the whole text give nothing.
std::optional<std::string> LATIN1(std::string_view UTF8TEXT,
                                  std::optional<char> INSTEAD = std::nullopt);
