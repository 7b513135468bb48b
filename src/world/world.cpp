#include "world/world.h"

#include <algorithm>
#include <filesystem>

#include "base/console.h"
#include "base/random.h"
#include "base/safefile.h"
#include "base/strutils.h"
#include "entities/ressource.h"
#include "world/grid.h"
#include "world/terrain.h"

std::unique_ptr<cSquaresCache> CACHEWORLD;
std::unique_ptr<cSquaresFile> WORLDMAP;

// ---------------------------------------------------------------- cSquare

cSquare::cSquare() : RESSDISPO(static_cast<std::size_t>(NBRESSOURCES()), 0) {}

std::string cSquare::RECORD() const {
  std::string R;
  R.reserve(static_cast<std::size_t>(RECORDSIZE(RESSDISPO.size())));
  R.push_back(static_cast<char>(TYPETERRAIN));
  for (const uint16_t V : RESSDISPO) {
    R.push_back(static_cast<char>(static_cast<uint8_t>(V & 0xFFu)));
    R.push_back(static_cast<char>(static_cast<uint8_t>(V >> 8)));
  }
  return R;
}

bool cSquare::SAVETOFILE(std::ostream& F) const {
  const std::string R = RECORD();
  F.write(R.data(), static_cast<std::streamsize>(R.size()));
  return static_cast<bool>(F);
}

bool cSquare::LOADFROMFILE(std::istream& F) {
  std::string RECORD(static_cast<std::size_t>(RECORDSIZE(RESSDISPO.size())), '\0');
  F.read(RECORD.data(), static_cast<std::streamsize>(RECORD.size()));
  if (F.gcount() != static_cast<std::streamsize>(RECORD.size())) {
    return false;
  }
  const auto BYTE = [&RECORD](std::size_t I) {
    return static_cast<uint16_t>(static_cast<unsigned char>(RECORD[I]));
  };
  TYPETERRAIN = static_cast<int8_t>(static_cast<unsigned char>(RECORD[0]));
  for (std::size_t I = 0; I < RESSDISPO.size(); ++I) {
    RESSDISPO[I] = static_cast<uint16_t>(BYTE(1 + 2 * I) | (BYTE(2 + 2 * I) << 8));
  }
  return true;
}

// ---------------------------------------------------------------- cSquareMemory

void cSquareMemory::TOBUFFER(cBuffer& OUTPUT) const {
  OUTPUT.WRITELN("#" + std::to_string(MAPINDEX) + " (" + COORDTOSTRING(INDEX2MAP(MAPINDEX)) + ")");
  OUTPUT.WRITELN("terrain:" + std::to_string(TYPETERRAIN));
  std::string LINE = "ressource:";
  for (const uint16_t V : RESSDISPO) {
    LINE += std::to_string(V) + "/";
  }
  LINE.pop_back();  // the last "/", or the ":" when there is no resource
  OUTPUT.WRITELN(LINE);
}

void cSquareMemory::FROMBUFFER(cBuffer& INPUT) {
  const std::string FIRST = INPUT.READLN();
  const std::string INDEXTEXT = BEFORETOKEN(FIRST.empty() ? FIRST : FIRST.substr(1), ' ');
  MAPINDEX = static_cast<uint32_t>(STRTOINTERR(INDEXTEXT, -1));
  TYPETERRAIN = static_cast<int8_t>(STRTOINTERR(AFTERTOKEN(INPUT.READLN(), ':'), -1));
  std::string REST = AFTERTOKEN(INPUT.READLN(), ':');
  for (std::size_t I = 0; !REST.empty() && I < RESSDISPO.size(); ++I) {
    const int32_t V = STRTOINTERR(STRTOK(REST, '/'), 0);
    RESSDISPO[I] = static_cast<uint16_t>(static_cast<uint32_t>(V));
  }
}

// ---------------------------------------------------------------- cSquaresCache

cSquareMemory* cSquaresCache::AT(int32_t POS) const {
  if (POS < 0 || POS >= COUNT()) {
    return nullptr;
  }
  return CACHE[static_cast<std::size_t>(POS)].get();
}

int32_t cSquaresCache::BISECT(uint32_t INDEX) const {
  if (CACHE.empty()) {
    return -1;
  }
  int32_t LO = 0;
  int32_t HI = COUNT() - 1;
  for (;;) {
    // The middle rounded half to even: (0 + 1) / 2 gives 0, (1 + 2) / 2 gives 2.
    const int32_t SUM = LO + HI;
    int32_t MID = SUM >= 0 ? SUM / 2 : (SUM - 1) / 2;
    if (SUM % 2 != 0 && MID % 2 != 0) {
      ++MID;
    }
    // The bounds cross by at most one, so MID stays in the cache; kept safe anyway.
    MID = std::clamp(MID, 0, COUNT() - 1);
    const uint32_t FOUND = CACHE[static_cast<std::size_t>(MID)]->MAPINDEX;
    if (LO >= HI || FOUND == INDEX) {
      return MID;
    }
    if (FOUND > INDEX) {
      HI = MID - 1;
    } else {
      LO = MID + 1;
    }
  }
}

int32_t cSquaresCache::SEARCHINDEX(uint32_t INDEX) const {
  const int32_t MID = BISECT(INDEX);
  return (MID >= 0 && AT(MID)->MAPINDEX == INDEX) ? MID : -1;
}

int32_t cSquaresCache::SEARCHINSERT(uint32_t INDEX) const {
  const int32_t MID = BISECT(INDEX);
  return (MID >= 0 && AT(MID)->MAPINDEX == INDEX) ? -1 : MID;
}

cSquareMemory* cSquaresCache::GET(uint32_t INDEX) const {
  return AT(SEARCHINDEX(INDEX));
}

cSquareMemory* cSquaresCache::ADD(std::unique_ptr<cSquareMemory> S) {
  cSquareMemory* RAW = S.get();
  if (RAW == nullptr) {
    return nullptr;
  }
  if (!CACHE.empty() && COUNT() >= MAXCACHE) {
    FREESQUARECACHE();
  }
  if (CACHE.empty()) {
    CACHE.push_back(std::move(S));
    return RAW;
  }
  int32_t P = SEARCHINDEX(RAW->MAPINDEX);
  if (P == -1) {
    P = SEARCHINSERT(RAW->MAPINDEX);
  }
  // A square whose index is already cached goes right after the one there.
  const int32_t WHERE = AT(P)->MAPINDEX > RAW->MAPINDEX ? P : P + 1;
  CACHE.insert(CACHE.begin() + WHERE, std::move(S));
  return RAW;
}

void cSquaresCache::FREESQUARECACHE() {
  if (CACHE.empty()) {
    return;
  }
  // The squares with the shortest remaining life are the candidates.
  int32_t SHORTEST = CACHE.front()->TIMETOLIVE;
  for (const auto& S : CACHE) {
    SHORTEST = std::min(SHORTEST, S->TIMETOLIVE);
  }
  std::vector<cSquareMemory*> CANDIDATES;
  for (const auto& S : CACHE) {
    if (S->TIMETOLIVE == SHORTEST) {
      CANDIDATES.push_back(S.get());
    }
  }
  // Among them, the least accessed go first.
  std::stable_sort(
      CANDIDATES.begin(), CANDIDATES.end(),
      [](const cSquareMemory* A, const cSquareMemory* B) { return A->NBACCESS < B->NBACCESS; });
  const std::size_t N =
      std::min(CANDIDATES.size(), static_cast<std::size_t>(std::max(NBFREECACHE, 0)));
  CANDIDATES.resize(N);
  EVICT(CANDIDATES);
}

void cSquaresCache::REFRESHCACHE() {
  std::vector<cSquareMemory*> EXPIRED;
  for (auto& S : CACHE) {
    if (--S->TIMETOLIVE <= 0) {
      EXPIRED.push_back(S.get());
    }
  }
  EVICT(EXPIRED);
}

void cSquaresCache::EVICT(const std::vector<cSquareMemory*>& GOING) {
  if (GOING.empty()) {
    return;
  }
  if (FWRITEBACK) {
    // Every write-back first: one that raises leaves all the squares cached,
    // the changed one included, rather than lose it.
    for (cSquareMemory* S : GOING) {
      if (S->CHANGED()) {
        FWRITEBACK(*S);
      }
    }
  }
  std::erase_if(CACHE, [&GOING](const std::unique_ptr<cSquareMemory>& S) {
    return std::find(GOING.begin(), GOING.end(), S.get()) != GOING.end();
  });
}

void cSquaresCache::SETWRITEBACK(const void* OWNER, tWriteBack W) {
  FWRITEBACK = std::move(W);
  FWRITEBACKOWNER = OWNER;
}

void cSquaresCache::DROPWRITEBACK(const void* OWNER) {
  if (OWNER == FWRITEBACKOWNER) {
    FWRITEBACK = nullptr;
    FWRITEBACKOWNER = nullptr;
  }
}

cSquareMemory* cSquaresCache::WIZADD(uint32_t INDEX, int32_t TTL, int32_t NBACC) {
  auto S = std::make_unique<cSquareMemory>();
  S->MAPINDEX = INDEX;
  S->TIMETOLIVE = TTL;
  S->NBACCESS = NBACC;
  return ADD(std::move(S));
}

// ---------------------------------------------------------------- cSquaresFile

namespace {
constexpr int64_t LASTINDEX = static_cast<int64_t>(TXMAP) * TYMAP;
}  // namespace

cSquaresFile::cSquaresFile(std::string MAP, cSquaresCache* C)
    : CACHE(C), FFILENAME(std::move(MAP)), FNBRESS(static_cast<std::size_t>(NBRESSOURCES())) {
  if (CACHE == nullptr) {
    RAISE("no square cache to read the world into");
  }
  FMAP.open(FFILENAME, std::ios::in | std::ios::out | std::ios::binary);
  if (!FMAP.is_open()) {
    std::error_code EC;
    if (std::filesystem::exists(FFILENAME, EC)) {
      RAISE("cannot be opened for reading and writing");
    }
    // A missing world is created empty, for CREATEWORLD to fill.
    { std::ofstream CREATED(FFILENAME, std::ios::binary); }
    FMAP.open(FFILENAME, std::ios::in | std::ios::out | std::ios::binary);
    if (!FMAP.is_open()) {
      RAISE("cannot be created");
    }
    EMPTY = true;
  }
  CHECKSIZE();
  // Last, so that a file refused above leaves the cache without a write-back
  // into an object that never was.
  CACHE->SETWRITEBACK(this, [this](cSquareMemory& S) { SETSQUARE(S); });
}

cSquaresFile::~cSquaresFile() {
  CACHE->DROPWRITEBACK(this);
}

void cSquaresFile::RAISE(const std::string& WHAT) const {
  throw cWorldFileError("World file " + FFILENAME + ": " + WHAT);
}

int64_t cSquaresFile::FILESIZE() {
  FMAP.clear();
  FMAP.seekg(0, std::ios::end);
  const std::streamoff SIZE = FMAP.tellg();
  if (SIZE < 0) {
    RAISE("cannot be read");
  }
  return static_cast<int64_t>(SIZE);
}

bool cSquaresFile::ISEMPTY() {
  return FILESIZE() == 0;
}

void cSquaresFile::CHECKSIZE() {
  const int64_t SIZE = FILESIZE();
  if (SIZE == 0) {
    return;
  }
  const int64_t RS = RECORDSIZE();
  if (SIZE % RS != 0) {
    RAISE(std::to_string(SIZE) + " bytes is not a whole number of squares of " +
          std::to_string(RS) + " bytes (was it made with other resources?)");
  }
  if (SIZE / RS < LASTINDEX) {
    RAISE(std::to_string(SIZE / RS) + " squares of " + std::to_string(RS) +
          " bytes are too few for the " + std::to_string(TXMAP) + "x" + std::to_string(TYMAP) +
          " map");
  }
  if (SIZE / RS == LASTINDEX) {
    // Worlds made before every square had its record lack the last one.
    cSquareMemory S;
    ROLLSQUARE(S);
    S.MAPINDEX = static_cast<uint32_t>(LASTINDEX);
    SETSQUARE(S);
    CONSOLE("World file " + FFILENAME + " had no record for square " + std::to_string(LASTINDEX) +
            " (" + COORDTOSTRING(INDEX2MAP(LASTINDEX)) + "): one was created");
  }
}

cSquareMemory* cSquaresFile::GETSQUARE(tcoordMap C) {
  if (!INMAP(C)) {
    return nullptr;
  }
  const auto M = static_cast<uint32_t>(MAP2INDEX(C));
  if (cSquareMemory* CACHED = CACHE->GET(M)) {
    ++CACHED->NBACCESS;
    return CACHED;
  }
  const int64_t OFFSET = static_cast<int64_t>(M) * RECORDSIZE();
  if (OFFSET + RECORDSIZE() > FILESIZE()) {
    return nullptr;
  }
  auto S = std::make_unique<cSquareMemory>();
  S->RESSDISPO.assign(FNBRESS, 0);
  FMAP.clear();
  FMAP.seekg(OFFSET);
  if (!S->LOADFROMFILE(FMAP)) {
    RAISE("square " + std::to_string(M) + " cannot be read");
  }
  S->MAPINDEX = M;
  S->MARKSTORED();
  return CACHE->ADD(std::move(S));
}

cSquareMemory* cSquaresFile::GETSQUARE(int32_t X, int32_t Y) {
  return GETSQUARE(COORDMAP(X, Y));
}

cSquareMemory* cSquaresFile::GETSQUARE(int32_t IDX) {
  if (IDX < 1 || IDX > LASTINDEX) {
    return nullptr;
  }
  return GETSQUARE(INDEX2MAP(static_cast<uint32_t>(IDX)));
}

void cSquaresFile::WRITERECORD(const cSquareMemory& S) {
  FMAP.clear();
  FMAP.seekp(static_cast<std::streamoff>(static_cast<int64_t>(S.MAPINDEX) * RECORDSIZE()));
  if (!S.SAVETOFILE(FMAP)) {
    RAISE("square " + std::to_string(S.MAPINDEX) + " cannot be written");
  }
}

void cSquaresFile::SETSQUARE(cSquareMemory& S) {
  WRITERECORD(S);
  // Flushed before the square counts as stored: a square evicted once written
  // must be in the file, not in a buffer whose write may still fail.
  FMAP.flush();
  if (!FMAP) {
    RAISE("square " + std::to_string(S.MAPINDEX) + " cannot be written");
  }
  S.MARKSTORED();
}

void cSquaresFile::SAVEWORLD() {
  std::vector<cSquareMemory*> WRITTEN;
  for (const auto& S : CACHE->CACHE) {
    if (S->CHANGED()) {
      WRITTEN.push_back(S.get());
    }
  }
  if (WRITTEN.empty()) {
    return;
  }
  // The whole file is written anew with the changed records and replaces the
  // old one at once: a save cut short (a crash, a full disk) leaves the
  // previous world whole, never some squares old and some new.
  const int64_t SIZE = FILESIZE();
  std::string DATA(static_cast<std::size_t>(SIZE), '\0');
  FMAP.clear();
  FMAP.seekg(0);
  FMAP.read(DATA.data(), static_cast<std::streamsize>(SIZE));
  if (FMAP.gcount() != static_cast<std::streamsize>(SIZE)) {
    RAISE("cannot be read");
  }
  for (const cSquareMemory* S : WRITTEN) {
    const auto AT = static_cast<std::size_t>(static_cast<int64_t>(S->MAPINDEX) * RECORDSIZE());
    const std::string R = S->RECORD();
    if (AT + R.size() > DATA.size()) {
      DATA.resize(AT + R.size(), '\0');
    }
    DATA.replace(AT, R.size(), R);
  }
  REPLACEFILE(DATA);
  for (cSquareMemory* S : WRITTEN) {
    S->MARKSTORED();
  }
}

void cSquaresFile::REPLACEFILE(const std::string& DATA) {
  std::string ERROR;
  if (!SAVETEXTATOMIC(DATA, FFILENAME, FFILENAME + ".tmp", ERROR)) {
    RAISE("cannot be written (" + ERROR + ")");
  }
  // The stream still reads the file that was replaced.
  FMAP.close();
  FMAP.open(FFILENAME, std::ios::in | std::ios::out | std::ios::binary);
  if (!FMAP.is_open()) {
    RAISE("cannot be opened again after it was written");
  }
}

void cSquaresFile::ROLLSQUARE(cSquare& S) const {
  const int32_t NBTERRAINS = JEUTERRAINS ? JEUTERRAINS->COUNT() : 0;
  if (NBTERRAINS == 0) {
    RAISE("no terrain is loaded to make its squares from");
  }
  const int32_t POS = RANDOMGEN().RANDOM(NBTERRAINS);
  const cTerrain* T = JEUTERRAINS->TERRAINAT(POS);
  S.TYPETERRAIN = static_cast<int8_t>(POS);
  for (std::size_t R = 0; R < S.RESSDISPO.size(); ++R) {
    S.RESSDISPO[R] = T->DICE(R).THRDICE();
  }
}

void cSquaresFile::CREATEWORLD() {
  CONSOLE("Creation du monde : " + std::to_string(TXMAP) + "x" + std::to_string(TYMAP));
  CACHE->CLEAR();
  // Record m lies at byte m * RECORDSIZE: record 0 belongs to no square, and
  // records 1 to 100 are the squares (1,1) to (10,10). The world is made in
  // memory and replaces the file whole, so that a start cut short leaves no
  // half world that the next start would refuse.
  cSquare SCRATCH;
  SCRATCH.RESSDISPO.assign(FNBRESS, 0);
  std::string DATA;
  for (int64_t M = 0; M <= LASTINDEX; ++M) {
    ROLLSQUARE(SCRATCH);
    DATA += SCRATCH.RECORD();
  }
  REPLACEFILE(DATA);
  EMPTY = false;
}

void OPENWORLD(const std::string& MAP) {
  WORLDMAP.reset();
  CACHEWORLD = std::make_unique<cSquaresCache>();
  WORLDMAP = std::make_unique<cSquaresFile>(MAP, CACHEWORLD.get());
}

void CLOSEWORLD() {
  WORLDMAP.reset();
  CACHEWORLD.reset();
}
