// The temporary game directory a driven server runs in, and its accounts.

#pragma once

#include <filesystem>
#include <string>

#include "process.h"

/// The line of the accounts file for generated account I ("I;bI;pI;null;M;e;0").
std::string ACCOUNTLINE(int I);
std::string ACCOUNTNAME(int I);
std::string ACCOUNTPASSWORD(int I);

/// TEXT, a champion catalogue (records from a "#<id>" line, name on the next
/// line), with EXTRA more records after it: copies of its records in turn with
/// the next free identifiers and the names "bench1", "bench2"... Its line ends
/// are kept. Throws cClientError when TEXT holds no record.
std::string WITHEXTRACHAMPIONS(const std::string& TEXT, int EXTRA);

/// A temporary copy of a game directory whose accounts are ACCOUNTS generated
/// ones, without saved players, and whose champion catalogue has one more
/// champion per account: every new player takes a free champion, and the
/// shipped catalogue holds far fewer than a hundred. Removed with the object.
class cGameCopy {
 public:
  cGameCopy(const std::filesystem::path& SOURCE, int ACCOUNTS);
  ~cGameCopy();
  cGameCopy(const cGameCopy&) = delete;
  cGameCopy& operator=(const cGameCopy&) = delete;
  const std::filesystem::path& PATH() const { return FPATH; }

 private:
  std::filesystem::path FPATH;
};
