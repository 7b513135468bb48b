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

/// The shape of a generated player: constructions of a town ("bourg") under
/// way on its champion's square, its available turns (kept when negative), and whether
/// they are written with a leading 0, which the server does not write: such a
/// player differs from its file and is saved at the first pass.
struct tPlayerShape {
  int WORKS = 0;
  int AVAILTURNS = -1;
  bool LEADINGZERO = false;
};

/// The value of RECORD's first line "KEY:value" (a player file's "position",
/// its champion's square, say);
/// throws cClientError when it has none.
std::string RECORDVALUE(const std::string& RECORD, const std::string& KEY);

/// TEMPLATE, a player file as the server writes it, made the record of the
/// player NAME of uid UID: its first two lines replaced, no champion, SHAPE's
/// constructions and turns. Its line ends are kept. Throws cClientError when
/// TEMPLATE lacks a section it changes.
std::string PLAYERRECORD(const std::string& TEMPLATE, const std::string& NAME, int UID,
                         const tPlayerShape& SHAPE = {});

/// Writes in GAME the generated accounts 1 to COUNT (the accounts file holds
/// only them) and a player file for each, made of TEMPLATE, the file of
/// account 1's player: account I's player is named as that one with I for 1.
void WRITEPLAYERS(const std::filesystem::path& GAME, const std::string& TEMPLATE, int COUNT,
                  const tPlayerShape& SHAPE = {});
