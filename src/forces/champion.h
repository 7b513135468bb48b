#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/buffer.h"
#include "entities/caract.h"
#include "entities/classe.h"
#include "entities/race.h"
#include "entities/ressource.h"

class cProprietaire;
class cChampion;

/// Game state of a catalogue champion.
enum sStateChampion : uint8_t {
  sChampionCreated = 0,
  sChampionInGame = 1,
  sChampionInTavern = 2,
  sChampionSleeping = 3,
  sChampionDead = 4,
  sChampionNotAssigned = 5
};

/// A state and the text that stands for it in records.
struct tAssStateChampion {
  const char* NAME;
  sStateChampion VALUE;
};
inline constexpr tAssStateChampion ASSSTATECHAMPION[] = {
    {"created", sChampionCreated},   {"ingame", sChampionInGame},
    {"intavern", sChampionInTavern}, {"sleeping", sChampionSleeping},
    {"dead", sChampionDead},         {"not assigned", sChampionNotAssigned}};

/// The text of a state ("created", "ingame", ...).
std::string STATECHAMPIONTOSTRING(sStateChampion STATE);

/// Which of the two champion files a catalogue reads.
enum sStateChampionLoading : uint8_t { stLoadLev0 = 0, stLoadInGame = 1 };

/// What champion records need from the players and the tavern, which are built
/// on top of this catalogue: each installs its functions when it is created.
/// - NAMEOFPLAYER: the name written for the owning player ("player:name").
/// - FINDPLAYER: the player of a name read back, or nullptr.
/// - TAVERNLINES: writes the tavern's lines for a champion on offer, after its record.
/// Without them a champion read back has no player and no tavern line is
/// written; writing a champion that has a player without NAMEOFPLAYER is a
/// wiring fault and raises std::logic_error rather than dropping the owner.
struct tChampionLinks {
  std::string (*NAMEOFPLAYER)(const cProprietaire& JOUEUR) = nullptr;
  cProprietaire* (*FINDPLAYER)(std::string_view NAME) = nullptr;
  void (*TAVERNLINES)(cChampion& CHAMPION, cBuffer& OUTPUT) = nullptr;
};
extern tChampionLinks CHAMPIONLINKS;

/// A hero of the game as the catalogue describes it: race, class,
/// characteristics (of CARACTSCHAMPIONS), resources, and who has it now.
class cChampion : public cMobileCaracts {
 public:
  /// Identifier -1, name "dummy", no class, race or player, state created.
  cChampion();

  /// The twelve lines: the eight of the description ("#uid", name, "race:",
  /// "class:", "caracts:", "ressNec:", "ressMaintient:", "ressProduite:"), then
  /// the four game-state lines.
  void TOBUFFER(cBuffer& OUTPUT) override;
  /// Reads the eight lines of the description.
  void FROMBUFFER(cBuffer& INPUT) override { FROMBUFFER(INPUT, false); }
  /// The same, then the four game-state lines when LOAD_EXTRA is true.
  /// A bad number raises cConversionError.
  void FROMBUFFER(cBuffer& INPUT, bool LOAD_EXTRA);
  /// "no player" or "player:name", the state's text, "exp:", "niveau:".
  void INGAMEVARIABLETOBUFFER(cBuffer& OUTPUT) const;
  /// Reads those four lines; a state text that is not exactly one of the six
  /// leaves the state unchanged.
  void INGAMEVARIABLEFROMBUFFER(cBuffer& INPUT);
  /// Free to be drawn for the tavern or a new player.
  bool ISFREE() const { return STATE == sChampionCreated || STATE == sChampionNotAssigned; }

  cClasse* FCLASSE = nullptr;
  cRace* RACE = nullptr;
  int32_t HIT = 0;
  int32_t MANA = 0;
  cArrayRessources RESSNEC;
  cArrayRessources RESSPARTOUR;
  cArrayRessources RESSPROD;
  int32_t EXPERIENCE = 0;
  int32_t NIVEAU = 0;
  int32_t WIMPY = 0;
  /// The player who has the champion (not owned); see tChampionLinks.
  cProprietaire* FJOUEUR = nullptr;
  sStateChampion STATE = sChampionCreated;
};

/// The champion catalogue. It reads the initial file when that file exists,
/// else the in-game file; either way only the descriptions are taken and
/// every champion starts the run in state created.
class cListeChampions : public tListeOf<cChampion> {
 public:
  /// NAME1: the in-game file ("data/inGameHeros.zrk"); NAME2: the initial file
  /// ("data/heros.zrk"), chosen when it can be opened.
  cListeChampions(const std::string& NAME1, const std::string& NAME2);

  /// Loads the chosen file; false when it could not be opened. In an in-game
  /// file a record whose identifier was already read (the tavern's lines after
  /// a champion on offer) is skipped. A bad number raises cLoadError.
  bool LOADCHAMPIONS();
  /// A champion drawn at random among the free ones, or nullptr when none is free.
  cChampion* CHOOSERANDOM();
  /// Every champion's twelve lines in list order (the in-game format), a
  /// champion on offer followed by the tavern's lines for it.
  void TOBUFFER(cBuffer& OUTPUT) override;
  /// Gives the champion to PMJOUEUR and appends it to the list, which owns it.
  cChampion* ASSIGN(std::unique_ptr<cChampion> MOBCHAMPION, cProprietaire* PMJOUEUR);

  std::string NMINIFILE;
  sStateChampionLoading STLOADING = stLoadLev0;
};

/// The champions of the game.
extern std::unique_ptr<cListeChampions> JEUCHAMPIONS;
