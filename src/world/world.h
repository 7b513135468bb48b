#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "base/buffer.h"
#include "base/coords.h"
#include "base/errors.h"

/// Where the world lives, relative to the working directory.
inline const std::string WORLDFILENAME = "data/world.wld";

/// The world file cannot be created, opened, read or written, or has the wrong
/// size. Its message names the file and is ready for the console.
class cWorldFileError : public cLoadError {
 public:
  using cLoadError::cLoadError;
};

/// A square of the world: its terrain number (-1 for none yet) and its deposit
/// of every resource, indexed by resource uid.
class cSquare {
 public:
  /// Terrain -1, one deposit of 0 per resource of the catalogue.
  cSquare();
  virtual ~cSquare() = default;
  cSquare(const cSquare&) = delete;
  cSquare& operator=(const cSquare&) = delete;

  /// Bytes of one record for N resources: the terrain byte and 2 bytes per resource.
  static int64_t RECORDSIZE(std::size_t N) { return 1 + 2 * static_cast<int64_t>(N); }

  /// The record bytes: the terrain byte, then every deposit in 16-bit
  /// little-endian order.
  std::string RECORD() const;
  /// Writes RECORD() at F's position. False when the write fails.
  bool SAVETOFILE(std::ostream& F) const;
  /// Reads a record written by SAVETOFILE at F's position. False when the file
  /// holds fewer bytes than a record.
  bool LOADFROMFILE(std::istream& F);

  int8_t TYPETERRAIN = -1;
  std::vector<uint16_t> RESSDISPO;
};

/// A square held in the cache: its map index, its remaining life, how often
/// the cache handed it out again, and the record it was last read with or
/// written as, which tells whether it was changed since.
class cSquareMemory : public cSquare {
 public:
  cSquareMemory() = default;

  /// True when the square differs from the record it was last read with or
  /// written as; always true for a square that was never either.
  bool CHANGED() const { return FSTORED != RECORD(); }
  /// Records that the file now holds the square as it is.
  void MARKSTORED() { FSTORED = RECORD(); }

  /// Three lines: "#index (X,Y)", "terrain:T", "ressource:a/b/c".
  void TOBUFFER(cBuffer& OUTPUT) const;
  /// Reads the three lines back; a part that is not a number reads as -1 for the
  /// index and the terrain, and as 0 for a deposit.
  void FROMBUFFER(cBuffer& INPUT);

  uint32_t MAPINDEX = 0;
  int32_t TIMETOLIVE = 300;
  int32_t NBACCESS = 0;

 private:
  std::string FSTORED;  // empty until read or written: a record has a terrain byte
};

/// The squares read from the world file, sorted by map index for binary search.
/// Owns them; callers get plain pointers that a later ADD may invalidate, so a
/// square is used at once and never kept. A changed square leaving the cache is
/// first handed to the write-back, so that the file keeps it.
class cSquaresCache {
 public:
  /// Writes a square to the world file; raises cWorldFileError when it cannot.
  using tWriteBack = std::function<void(cSquareMemory&)>;

  cSquaresCache() = default;
  cSquaresCache(const cSquaresCache&) = delete;
  cSquaresCache& operator=(const cSquaresCache&) = delete;

  int32_t COUNT() const { return static_cast<int32_t>(CACHE.size()); }
  /// The square at position POS of the cache, or nullptr.
  cSquareMemory* AT(int32_t POS) const;
  /// Position of the square of map index INDEX, or -1.
  int32_t SEARCHINDEX(uint32_t INDEX) const;
  /// -1 when INDEX is cached or the cache is empty; else the position next to
  /// which a square of that index belongs.
  int32_t SEARCHINSERT(uint32_t INDEX) const;
  /// The cached square of index INDEX, or nullptr; does not count an access.
  cSquareMemory* GET(uint32_t INDEX) const;
  /// Inserts S in map-index order, first evicting when the cache is full. Returns S.
  /// An eviction whose write-back fails raises, and S is not inserted.
  cSquareMemory* ADD(std::unique_ptr<cSquareMemory> S);
  /// Evicts up to NBFREECACHE squares: those with the shortest life, and among
  /// them the least accessed. A write-back that fails raises and evicts none.
  void FREESQUARECACHE();
  /// Ages every square by one and evicts those with no life left. A write-back
  /// that fails raises and evicts none; the aging stands.
  void REFRESHCACHE();
  /// Adds a blank square with the given index, life and access count.
  cSquareMemory* WIZADD(uint32_t INDEX, int32_t TTL, int32_t NBACC);
  /// Destroys every square without writing any back: for a world that is replaced.
  void CLEAR() { CACHE.clear(); }
  /// Makes W the write-back of the cache, until OWNER removes it. Without one,
  /// evicted squares are destroyed as they are.
  void SETWRITEBACK(const void* OWNER, tWriteBack W);
  /// Removes the write-back if OWNER installed it.
  void DROPWRITEBACK(const void* OWNER);

  std::vector<std::unique_ptr<cSquareMemory>> CACHE;
  int32_t MAXCACHE = 300;
  int32_t NBFREECACHE = 5;

 private:
  // The binary search shared by SEARCHINDEX and SEARCHINSERT: the position where
  // it stopped, or -1 on an empty cache.
  int32_t BISECT(uint32_t INDEX) const;
  // Writes back the changed squares of GOING, then destroys them all. When a
  // write-back raises, no square is destroyed.
  void EVICT(const std::vector<cSquareMemory*>& GOING);

  tWriteBack FWRITEBACK;
  const void* FWRITEBACKOWNER = nullptr;
};

/// The world file: one record per map index, record m at byte m * RECORDSIZE,
/// no header. Squares read go to CACHE, which owns them and writes the changed
/// ones back through this file before letting them go.
class cSquaresFile {
 public:
  /// Opens MAP for reading and writing, creating it empty when it does not exist
  /// (EMPTY is then true), and becomes C's write-back. A file whose size is not a
  /// whole number of records or is too short for the map raises cWorldFileError;
  /// a file that lacks only the record of the last square gets one rolled and
  /// appended, with a console line.
  cSquaresFile(std::string MAP, cSquaresCache* C);
  /// Stops being the cache's write-back; the cache must still exist.
  ~cSquaresFile();
  cSquaresFile(const cSquaresFile&) = delete;
  cSquaresFile& operator=(const cSquaresFile&) = delete;

  /// True when the file holds no byte at all.
  bool ISEMPTY();
  /// The square at C, from the cache (counting an access) or read from the file
  /// into the cache; nullptr off the map or when the file has no record for it.
  cSquareMemory* GETSQUARE(tcoordMap C);
  cSquareMemory* GETSQUARE(int32_t X, int32_t Y);
  /// The square of map index IDX (1 to 100); nullptr for any other index.
  cSquareMemory* GETSQUARE(int32_t IDX);
  /// Writes S's record at the place of its map index and flushes the file; S is
  /// then unchanged. Raises cWorldFileError when the write fails.
  void SETSQUARE(cSquareMemory& S);
  /// Writes every changed cached square back to the file; they are then
  /// unchanged. The file is replaced whole (written beside it, then renamed
  /// over it), so that it is always either the previous world or the new one.
  /// Raises cWorldFileError when the write fails: the file and the squares
  /// then stay as they were.
  void SAVEWORLD();
  /// Fills the file with a new random world: a record for every map index from 0
  /// to 100, terrains drawn from JEUTERRAINS and deposits rolled with their dice.
  /// Replaces the file whole, as SAVEWORLD does. Announces it on the console.
  /// Empties the cache, whose squares were the old world's.
  void CREATEWORLD();

  /// Size of one record in bytes for the resources the file was opened with.
  int64_t RECORDSIZE() const { return cSquare::RECORDSIZE(FNBRESS); }
  /// Size of the file in bytes.
  int64_t FILESIZE();
  const std::string& FILENAME() const { return FFILENAME; }

  cSquaresCache* CACHE;
  bool EMPTY = false;

 private:
  [[noreturn]] void RAISE(const std::string& WHAT) const;
  // Gives S a random terrain and deposits rolled with that terrain's dice.
  void ROLLSQUARE(cSquare& S) const;
  // Checks the size of a file that is not empty, completing the last square.
  void CHECKSIZE();
  // Writes S's record at the place of its map index, without flushing.
  void WRITERECORD(const cSquareMemory& S);
  // Replaces the file by DATA at once (FILENAME + ".tmp" renamed over it) and
  // reopens it; raises when that fails, the file then being as it was.
  void REPLACEFILE(const std::string& DATA);

  std::string FFILENAME;
  std::size_t FNBRESS;
  std::fstream FMAP;
};

/// The square cache of the game, shared with WORLDMAP.
extern std::unique_ptr<cSquaresCache> CACHEWORLD;
/// The world file of the game.
extern std::unique_ptr<cSquaresFile> WORLDMAP;

/// Creates CACHEWORLD and WORLDMAP on the file MAP (the resources and terrains
/// must be loaded). Raises cWorldFileError, whose message is the console line,
/// when the file cannot be used.
void OPENWORLD(const std::string& MAP = WORLDFILENAME);
/// Destroys WORLDMAP, then CACHEWORLD.
void CLOSEWORLD();
