#include "players/joueur.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <unordered_set>
#include <vector>

#include "base/console.h"
#include "base/errors.h"
#include "base/loader.h"
#include "base/random.h"
#include "base/safefile.h"
#include "entities/account.h"
#include "entities/encours.h"
#include "entities/race.h"
#include "forces/championpos.h"
#include "forces/troupe.h"
#include "forces/ville.h"

std::unique_ptr<cListeJoueurs> JEUJOUEURS;

namespace {

const std::string PLAYERSDIR = "players/";

std::string NAMEOFPLAYER(const cProprietaire& JOUEUR) {
  return JOUEUROF(JOUEUR).FNAME;
}

cProprietaire* FINDOWNER(std::string_view NAME) {
  return FINDJOUEUR(NAME);
}

}  // namespace

cJoueur* FINDJOUEUR(std::string_view NAME) {
  return JEUJOUEURS ? JEUJOUEURS->FIND(NAME) : nullptr;
}

cJoueur::cJoueur() : cJoueur(-1, "") {}

cJoueur::cJoueur(int32_t UID, std::string_view NAME) : cMobile(UID, NAME) {
  // Every TURN and GET LOG answers the whole log: its newest lines only, so
  // that neither the player's memory nor its replies grow without end.
  OUTPUT.SETMAXLINES(MAXLOGLINES);
  // Once players exist, the champion catalogue writes and reads its owners by name.
  CHAMPIONLINKS.NAMEOFPLAYER = NAMEOFPLAYER;
  CHAMPIONLINKS.FINDPLAYER = FINDOWNER;
}

cJoueur::~cJoueur() {
  // The catalogue champions outlive the player: they must not keep pointing at it.
  for (auto* LIST : {CHAMPIONS.get(), CIMETIERE.get()}) {
    LIST->FOREACHHELD([this](cChampionPosition& CHAMPION) {
      cChampion* MODEL = CHAMPION.MODELE();
      if (MODEL != nullptr && MODEL->FJOUEUR == this) {
        MODEL->FJOUEUR = nullptr;
        if (MODEL->STATE == sChampionInGame) {
          MODEL->STATE = sChampionNotAssigned;
        }
      }
    });
  }
}

void cJoueur::CHGRACE(std::string_view NAME) {
  RACE = JEURACES ? FINDRACE(NAME) : nullptr;
}

void cJoueur::CHGRACE(int32_t ID) {
  RACE = JEURACES ? JEURACES->FIND(ID) : nullptr;
}

void cJoueur::WIZCAPITAL(uint16_t V) {
  std::fill(CAPITAL.RESSOURCE.begin(), CAPITAL.RESSOURCE.end(), V);
}

int32_t cJoueur::GETGOLD() const {
  return CAPITAL.GETRESS("or");
}

void cJoueur::SETGOLD(int32_t V) {
  CAPITAL.SETRESS("or", static_cast<uint16_t>(static_cast<uint32_t>(V)));
}

void cJoueur::GETCREATURE(int32_t TROUPEID, cChampionPosition& CHAMPION, int32_t LINE) {
  // The army has lines 1 to 3: any other number is refused the same way.
  if (LINE > cArmee::NBLINES || LINE < 1) {
    OUTPUT.WRITELN("wrong line number (max:%d)", cArmee::NBLINES);
    return;
  }
  cCreaturePosition* TROUPE = TROUPES->FIND(TROUPEID);
  if (TROUPE == nullptr || TROUPE->FPOSITION != CHAMPION.FPOSITION) {
    return;
  }
  if (CHAMPION.ARMEES.FREELINE(LINE) == 0) {
    return;
  }
  auto MOVED = TROUPES->EXTRACT(TROUPE);
  MOVED->SETPOSITION(COORDMAP(-1, -1));
  CHAMPION.ARMEES.ADD(MOVED, LINE);
}

void cJoueur::DROPCREATURE(cChampionPosition& CHAMPION, int32_t X, int32_t Y) {
  cCreaturePosition* TROUPE = CHAMPION.ARMEES.GETARMEE(X, Y);
  if (TROUPE == nullptr) {
    return;
  }
  auto MOVED = CHAMPION.ARMEES.REMOVE(TROUPE);
  MOVED->SETPOSITION(CHAMPION.FPOSITION);
  TROUPES->ADD(std::move(MOVED));
}

void cJoueur::MOVETOCIMETIERE(cChampionPosition& CHAMPION) {
  CHAMPION.DROPTROUPES();
  std::unique_ptr<cChampionPosition> DEAD = CHAMPION.FROMMAP();
  CHAMPION.SETPOSITION(COORDMAP(-1, -1));
  if (CHAMPION.MODELE() != nullptr) {
    CHAMPION.MODELE()->STATE = sChampionDead;
  }
  if (DEAD != nullptr) {
    CIMETIERE->ADD(std::move(DEAD));
  }
}

std::string cJoueur::ACT(std::string MSG, const std::vector<const cMobile*>& OBJS) {
  for (std::size_t I = 0; I < OBJS.size(); ++I) {
    if (OBJS[I] == nullptr) {
      continue;
    }
    const std::string NUMBER = std::to_string(I + 1);
    MSG = REPLACESTR(std::move(MSG), "$n" + NUMBER, OBJS[I]->FNAME);
    MSG = REPLACESTR(std::move(MSG), "$i" + NUMBER, std::to_string(OBJS[I]->FUID));
  }
  return MSG;
}

bool cJoueur::NEWPLAYER() {
  WIZCAPITAL(3000);
  cChampion* MODEL = JEUCHAMPIONS ? JEUCHAMPIONS->CHOOSERANDOM() : nullptr;
  if (MODEL == nullptr) {
    return false;
  }
  auto CHAMPION = std::make_unique<cChampionPosition>(MODEL);
  // Not on the map yet: the champion stays with us until TOMAP hands it to CHAMPIONS.
  auto UNHELD = CHAMPION->ASSIGNPLAYER(this);
  const int32_t Y = RANDOMGEN().RANDOM(TYMAP) + 1;
  const int32_t X = RANDOMGEN().RANDOM(TXMAP) + 1;
  cChampionPosition::TOMAP(CHAMPION, COORDMAP(X, Y), false);
  FUID = JEUJOUEURS ? JEUJOUEURS->FINDAVAILUID() : 0;
  AVAILTURNS = 200;
  NBTURNS = 0;
  return true;
}

void cJoueur::REAFFECTEENCOURS(cListeMobilesEnCours& LIST, cListeMobilesPosition& TARGET) {
  LIST.FOREACHHELD([this, &TARGET](cMobileEnCours& ITEM) {
    ITEM.FCAPITALPLAYER = &CAPITAL;
    ITEM.TRSFMOBILES = &TARGET;
  });
}

void cJoueur::REAFFECTECHAMPIONS() {
  CHAMPIONS->FOREACHHELD([this](cChampionPosition& CHAMPION) {
    // Already in our list: ASSIGNPLAYER keeps it there and scouts around it.
    auto UNHELD = CHAMPION.ASSIGNPLAYER(this);
    if (CHAMPION.MODELE() != nullptr) {
      CHAMPION.MODELE()->STATE = sChampionInGame;
    }
  });
}

void cJoueur::TOBUFFER(cBuffer& C) {
  C.WRITELN("#%d", FUID);
  C.WRITELN("name:%s", FNAME);
  C.WRITELN("nbTurns:%d", NBTURNS);
  C.WRITELN("availTurns:%d", AVAILTURNS);
  // A player whose race was not found writes an empty race name.
  C.WRITELN("race:%s", RACE != nullptr ? RACE->FNAME : std::string());
  C.WRITELN("capital:%s", CAPITAL.TOSTRING());
  C.WRITELN("[towns]");
  VILLES->TOBUFFER(C);
  C.WRITELN("[under construction]");
  CONSTRUCTIONS->TOBUFFER(C);
  C.WRITELN("[troops]");
  TROUPES->TOBUFFER(C);
  C.WRITELN("[under recruitement]");
  RECRUTEMENTS->TOBUFFER(C);
  C.WRITELN("[champions]");
  CHAMPIONS->TOBUFFER(C);
  C.WRITELN("[MAP]");
  CARTE.TOBUFFER(C);
}

void cJoueur::FROMBUFFER(cBuffer& C) {
  const std::string IDLINE = C.READLN();
  FUID = STRTOINT(IDLINE.empty() ? std::string_view() : std::string_view(IDLINE).substr(1));
  FNAME = GSTRING(C.READAFTERTOKEN());
  // The name is the file's name at the next save: it must stay a plain name
  // inside the players directory.
  if (!ISSAFEPLAYERNAME(FNAME)) {
    throw LOADERROR(C, 2, "name:" + FNAME, "is not a name a player file can have");
  }
  NBTURNS = STRTOINT(C.READAFTERTOKEN());
  AVAILTURNS = STRTOINT(C.READAFTERTOKEN());
  CHGRACE(C.READAFTERTOKEN());
  CAPITAL.FROMSTRING(C.READAFTERTOKEN());
  C.READLN();
  VILLES->FROMBUFFER(C);
  C.READLN();
  CONSTRUCTIONS->FROMBUFFER(C);
  REAFFECTEENCOURS(*CONSTRUCTIONS, *VILLES);
  C.READLN();
  TROUPES->FROMBUFFER(C);
  C.READLN();
  RECRUTEMENTS->FROMBUFFER(C);
  REAFFECTEENCOURS(*RECRUTEMENTS, *TROUPES);
  C.READLN();
  CHAMPIONS->FROMBUFFER(C);
  REAFFECTECHAMPIONS();
  C.READLN();
  CARTE.FROMBUFFER(C);
}

std::string cJoueur::FILENAME() const {
  return PLAYERSDIR + FNAME + ".plr";
}

bool cJoueur::SAVE(std::string& ERROR) {
  cBuffer B;
  TOBUFFER(B);
  std::string TEXT = FILETEXT(B);
  // The temporary name does not end in ".plr", so a crash never leaves a file
  // that the next start would take for a player.
  if (!SAVETEXTATOMIC(TEXT, FILENAME(), FILENAME() + ".tmp", ERROR)) {
    return false;
  }
  FSAVEDTEXT = std::move(TEXT);
  return true;
}

std::string cJoueur::TAKECHANGES() {
  FMARKED = false;
  cBuffer B;
  TOBUFFER(B);
  std::string TEXT = FILETEXT(B);
  if (TEXT == FSAVEDTEXT) {
    return {};
  }
  FSAVEDTEXT = TEXT;
  return TEXT;
}

void cJoueur::SAVEFAILED() {
  // No file text is empty: the next comparison finds the record changed.
  FSAVEDTEXT.clear();
  FMARKED = true;
}

void cJoueur::LOAD(const std::string& NAME) {
  cBuffer B(PLAYERSDIR + NAME);
  if (B.LOADFAILED()) {
    throw cLoadError("Cannot read " + PLAYERSDIR + NAME);
  }
  READWITHCONTEXT(B, [this](cBuffer& IN) { FROMBUFFER(IN); });
  FSAVEDTEXT = FILETEXT(B);
}

int32_t cListeJoueurs::SAVEPLAYERS() {
  FWRITER.WAIT();
  int32_t WRITTEN = TAKEOUTCOMES();
  // Every player, marked or not: the last save of a run misses nothing.
  QUEUEPLAYERS(true);
  while (!FSAVEQUEUE.empty()) {
    WRITTEN += SAVESTEP(INT64_MAX);
  }
  FWRITER.WAIT();
  return WRITTEN + TAKEOUTCOMES();
}

void cListeJoueurs::STARTSAVEPASS() {
  QUEUEPLAYERS(false);
}

void cListeJoueurs::QUEUEPLAYERS(bool ALL) {
  FSAVEQUEUE.clear();
  for (int32_t I = COUNT() - 1; I >= 0; --I) {
    cJoueur* J = ITEM(I);
    if (ALL || J->MARKED()) {
      FSAVEQUEUE.push_back(J);
    }
  }
}

int32_t cListeJoueurs::SAVESTEP(int64_t BUDGETUS) {
  const int32_t WRITTEN = TAKEOUTCOMES();
  // Players are looked at while the writer is idle: its flushes, and the
  // system's work for them, would otherwise take turns with the step's.
  if (FWRITER.BUSY()) {
    return WRITTEN;
  }
  const auto START = std::chrono::steady_clock::now();
  std::vector<cSaveWriter::tFile> FILES;
  while (!FSAVEQUEUE.empty()) {
    cJoueur* J = FSAVEQUEUE.back();
    FSAVEQUEUE.pop_back();
    SAVEIFCHANGED(*J, FILES);
    const auto SPENT = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - START);
    if (SPENT.count() >= BUDGETUS) {
      break;
    }
  }
  FWRITER.PUT(std::move(FILES));
  return WRITTEN;
}

void cListeJoueurs::SAVEIFCHANGED(cJoueur& J, std::vector<cSaveWriter::tFile>& FILES) {
  // A player unchanged since its file was written is not written again, and
  // only marked players are looked at: a save pass costs what changed, not
  // what exists.
  std::string TEXT = J.TAKECHANGES();
  if (TEXT.empty()) {
    return;
  }
  CONSOLE("joueur:" + J.FNAME);
  // The temporary name does not end in ".plr", so a crash never leaves a file
  // that the next start would take for a player.
  FWRITING.push_back(&J);
  FILES.push_back({std::move(TEXT), J.FILENAME(), J.FILENAME() + ".tmp", J.SERIAL()});
}

int32_t cListeJoueurs::TAKEOUTCOMES() {
  int32_t WRITTEN = 0;
  for (const cSaveWriter::tDone& D : FWRITER.TAKEDONE()) {
    // Outcomes come in the order the players were given.
    cJoueur* J = FWRITING.front();
    FWRITING.pop_front();
    if (D.OK) {
      ++WRITTEN;
      continue;
    }
    CONSOLE("Sauvegarde impossible : " + D.ERROR);
    J->SAVEFAILED();
  }
  return WRITTEN;
}

void cListeJoueurs::LOADPLAYERS() {
  std::vector<std::string> NAMES;
  std::error_code EC;
  for (const auto& ENTRY : std::filesystem::directory_iterator(PLAYERSDIR, EC)) {
    const std::string NAME = ENTRY.path().filename().string();
    if (ENTRY.is_regular_file(EC) && NAME.size() > 4 && NAME.ends_with(".plr")) {
      NAMES.push_back(NAME);
    }
  }
  // File-name order: the same directory always loads the same way.
  std::sort(NAMES.begin(), NAMES.end());
  // The names and identifiers taken so far, so that each file is checked
  // against the others in constant time rather than by searching (and so
  // sorting) the whole list again for each.
  std::unordered_set<std::string> NAMESTAKEN;
  std::unordered_set<int32_t> UIDSTAKEN;
  for (int32_t I = 0; I < COUNT(); ++I) {
    NAMESTAKEN.insert(LOWERCASE(ITEM(I)->FNAME));
    UIDSTAKEN.insert(ITEM(I)->FUID);
  }
  const cJoueur* LAST = nullptr;
  for (const auto& NAME : NAMES) {
    auto J = std::make_unique<cJoueur>();
    J->LOAD(NAME);
    // Two players of one name would be saved to one file, one over the other.
    if (!NAMESTAKEN.insert(LOWERCASE(J->FNAME)).second) {
      throw LOADERROR(PLAYERSDIR + NAME, 2, "name:" + J->FNAME,
                      "is the name of a player of another file");
    }
    if (UIDSTAKEN.contains(J->FUID)) {
      const int32_t TAKEN = J->FUID;
      J->FUID = FINDAVAILUID();
      CONSOLE("joueur " + J->FNAME + " : uid " + std::to_string(TAKEN) +
              " deja pris, nouveau uid " + std::to_string(J->FUID));
    }
    UIDSTAKEN.insert(J->FUID);
    LAST = J.get();
    ADD(std::move(J));
  }
  // The order the searches of each file left: the players before the last in
  // identifier order, the last one after them.
  if (LAST != nullptr) {
    SORT(sSortByUID);
    // Moved, not added: its name is indexed already.
    tListeOf::ADD(EXTRACT(LAST));
    FORGETORDER();
  }
}

bool cListeJoueurs::RESERVE(std::string_view NAME) {
  if (FIND(NAME) != nullptr) {
    return false;
  }
  for (const auto& R : FRESERVED) {
    if (SAMETEXT(R, NAME)) {
      return false;
    }
  }
  FRESERVED.emplace_back(NAME);
  return true;
}

void cListeJoueurs::RELEASE(std::string_view NAME) {
  std::erase_if(FRESERVED, [NAME](const std::string& R) { return SAMETEXT(R, NAME); });
}
