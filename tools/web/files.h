// The page's files: what a request target names under the served directory,
// and never anything outside it.

#pragma once

#include <filesystem>
#include <string>
#include <string_view>

/// A reply to a GET of the page's files.
struct tFileReply {
  unsigned STATUS = 404;
  /// The Content-Type of a found file.
  std::string TYPE;
  std::string BODY;
};

/// Largest file served.
constexpr std::uintmax_t PAGEFILEMAX = 16u << 20;

/// The file TARGET (a request target: "/", "/app.js?v=2") names under ROOT
/// (canonical): a directory stands for its index.html. 404 for what is not
/// there and for every target that would leave ROOT or reach a hidden name:
/// a ".." or dot segment, an encoded slash or backslash, a NUL, a symbolic
/// link that points out.
tFileReply PAGEFILE(const std::filesystem::path& ROOT, std::string_view TARGET);

/// The Content-Type of a file from its extension (UTF-8 for text).
std::string CONTENTTYPE(const std::filesystem::path& NAME);
