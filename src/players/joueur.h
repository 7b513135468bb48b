#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/buffer.h"
#include "base/coords.h"
#include "base/savewriter.h"
#include "entities/mobile_list.h"
#include "entities/named_list.h"
#include "entities/ressource.h"
#include "forces/proprietaire.h"
#include "world/knownmap.h"

class cRace;
class cChampionPosition;
class cListeMobilesEnCours;

/// The kind of pieces a visibility report lists: troops standing on the map,
/// champions, buildings. sNone lists nothing.
enum sTypeMobile : uint8_t { sNone = 0, sCreature = 1, sChampion = 2, sVille = 3 };

/// The lines a player's log keeps: some thirty battle reports, or five turns
/// for each of its 200. TURN and GET LOG answer all of them.
constexpr int32_t MAXLOGLINES = 1000;

/// One person's side in the game: its stock of resources, its towns, what it
/// builds and recruits, its troops, its champions and their dead, what it knows
/// of the map, and the messages its operations write for it (its log, at most
/// MAXLOGLINES, the oldest going first).
class cJoueur : public cMobile, public cProprietaire {
 public:
  /// Identifier -1 and an empty name.
  cJoueur();
  /// Every list empty, no resource, no turn, no race.
  cJoueur(int32_t UID, std::string_view NAME);
  ~cJoueur() override;

  /// The race of JEURACES with that name, or none.
  void CHGRACE(std::string_view NAME);
  /// The race of JEURACES with that identifier, or none.
  void CHGRACE(int32_t ID);
  void SETLEVELINFO(int32_t V) { LEVELINFO = V; }
  /// Every resource of CAPITAL set to V.
  void WIZCAPITAL(uint16_t V);
  /// The quantity of the resource "or" (0 to 65535).
  int32_t GETGOLD() const;
  /// Sets the quantity of "or", kept in 16 bits.
  void SETGOLD(int32_t V);

  /// Moves the troop TROUPEID of the town on CHAMPION's square into its army,
  /// from line LINE onward.
  void GETCREATURE(int32_t TROUPEID, cChampionPosition& CHAMPION, int32_t LINE = 1);
  /// Moves the troop at place (X, Y) of CHAMPION's army back into the town.
  void DROPCREATURE(cChampionPosition& CHAMPION, int32_t X, int32_t Y);
  /// Buries CHAMPION, dead in battle: its army is set down on its square, it
  /// leaves the map for this player's CIMETIERE at (-1, -1), and its catalogue
  /// champion is dead. A champion no list of its owner holds stays where it is,
  /// off the map and dead.
  void MOVETOCIMETIERE(cChampionPosition& CHAMPION);
  /// MSG with, for each object i of OBJS (from 1), every "$n" followed by i
  /// replaced by its name, then every "$i" followed by i by its identifier.
  static std::string ACT(std::string MSG, const std::vector<const cMobile*>& OBJS);
  /// One line "#id:name" for the creature each of the player's buildings on
  /// (X, Y) recruits, in list order; nothing for a square without buildings.
  void GETAVAILRECRUIT(cBuffer& BUF, int32_t X, int32_t Y);
  /// Every known square in map-index order, each in its three lines ("#index
  /// (X,Y)", "terrain:", "ressource:"); a square the world cannot supply is skipped.
  void SQUARESTOBUFFER(cBuffer& C);
  /// The square at P in its three lines when P is known, else the line
  /// "ERROR: PLAYER DON'T KNOWN THIS SQUARE".
  void SQUARETOBUFFER(cBuffer& C, tcoordMap P);
  /// Every run of the known map as its first index, "(*", the terrain signs of
  /// its squares in index order cut into rows of 50, and "*)".
  void MAPPEDSQUARESTOBUFFER(cBuffer& C);
  /// Sets up a new player: 3000 of every resource, 200 turns, a random free
  /// champion on a random square. False when no champion is free.
  bool NEWPLAYER();

  /// Passes one turn: recruitments, constructions, champions' moves, then the
  /// production of the buildings; then counts the turn and writes its line to
  /// OUTPUT. With no turn left it only writes the refusal line.
  void PASSTURN();
  /// The production of the buildings, square by square in map-index order (the
  /// order VILLES keeps afterwards). On each square the "exploit" buildings
  /// pool their takings and yields over the largest of their ranges, and the
  /// others pay the player directly.
  void EXPLOITRESSOURCES();
  /// Every square within MAXEXPLOIT of POSITION gives, for each resource it
  /// holds at least RESSSURTERRAIN of, that much out of its deposit, and the
  /// player receives RESSPRODUITES of it; a square holding less gives nothing
  /// of that resource. The stock stops at 65535.
  void EXPLOITAROUND(tcoordMap POSITION, int32_t MAXEXPLOIT, const cArrayRessources& RESSSURTERRAIN,
                     const cArrayRessources& RESSPRODUITES);

  /// Links every item of LIST to this player's CAPITAL and to TARGET, where it
  /// will be delivered (links a file does not hold).
  void REAFFECTEENCOURS(cListeMobilesEnCours& LIST, cListeMobilesPosition& TARGET);
  /// Gives every champion of CHAMPIONS back to this player after loading.
  void REAFFECTECHAMPIONS();

  /// The player record: identity, turns, race, capital, then its sections.
  void TOBUFFER(cBuffer& C) override;
  /// Reads the player record; a number that does not parse raises
  /// cConversionError, and a name that could not be a file name of the players
  /// directory (it becomes the file's name at the next save) raises cLoadError.
  void FROMBUFFER(cBuffer& C) override;

  /// "players/" + name + ".plr".
  std::string FILENAME() const;
  /// Writes the record into FILENAME without ever leaving it half written;
  /// false (ERROR says why) when it cannot be written.
  bool SAVE(std::string& ERROR);
  /// Marks the record as one that may differ from its file, for the next save
  /// pass to compare. Every command of the player and every battle it fights
  /// marks it; a player made or loaded starts marked.
  void MARKCHANGED() { FMARKED = true; }
  bool MARKED() const { return FMARKED; }
  /// For a save pass: clears the mark and gives the record's file text when it
  /// differs from the text last read or written (it is then taken as
  /// written), else an empty text.
  std::string TAKECHANGES();
  /// The save of TAKECHANGES' text failed: the next pass writes the record.
  void SAVEFAILED();
  /// Reads the record from "players/" + NAME (a file name with its extension).
  /// A file that cannot be read or parsed raises cLoadError (file, line, text).
  void LOAD(const std::string& NAME);

  int32_t NBTURNS = 0;
  int32_t AVAILTURNS = 0;
  cBuffer INPUT;
  cRace* RACE = nullptr;
  int32_t LEVELINFO = -1;

 private:
  // The bytes of the player's file as last read or written.
  std::string FSAVEDTEXT;
  bool FMARKED = true;
};

/// Every player of the game. One account, one player: names are unique (case
/// ignored), and so are identifiers. Players come in by ADD (a new player) and
/// LOADPLAYERS, and never leave while the server runs.
class cListeJoueurs : public tListeNommee<cJoueur> {
 public:
  using tListeNommee::tListeNommee;

  /// Saves every player whose record changed since its file was last read or
  /// written, marked or not, in list order, each announced by "joueur:" and
  /// its name, and waits until they are on disk. Returns the number of
  /// players written.
  int32_t SAVEPLAYERS();
  /// Starts a save pass that SAVESTEP carries out a little at a time, so that
  /// play goes on between its steps: it covers the players held now that are
  /// marked as changed.
  void STARTSAVEPASS();
  /// Whether a save pass is under way: players to look at, or files given to
  /// the writer whose outcome is not known yet.
  bool SAVING() { return !FSAVEQUEUE.empty() || FWRITER.BUSY(); }
  /// Takes the outcomes the writer has told, a failure with its console line;
  /// then, when the writer is idle, goes on with the save pass until BUDGETUS
  /// microseconds have gone (at least one player is looked at): each changed
  /// player is announced, and their texts go to the writer together, whose
  /// flushes never hold up the caller. Returns the number of players whose
  /// file the writer has saved.
  int32_t SAVESTEP(int64_t BUDGETUS);
  /// Appends a player for every "players/*.plr" file, in file-name order.
  /// A file that cannot be read, or that names a player another file names
  /// already, raises cLoadError; a player whose identifier another has gets a
  /// free one, with a console line.
  void LOADPLAYERS();

  /// Reserves NAME for a player being created, so that no other login creates
  /// one of that name meanwhile. False when a player has that name or it is
  /// reserved already (case ignored).
  bool RESERVE(std::string_view NAME);
  /// Frees a reserved name (nothing when it is not reserved).
  void RELEASE(std::string_view NAME);

  /// One line "<label> name (owner) visible a X,Y" for every piece of kind
  /// TYPEMOB standing on a square JOUEUR knows: players in list order, each
  /// one's pieces in list order; JOUEUR's own are left out when EXCEPTPLAYER.
  /// Labels: "Creature", "Champion", "Batiment".
  void VISIBLEMOBILES(sTypeMobile TYPEMOB, cBuffer& C, const cJoueur& JOUEUR,
                      bool EXCEPTPLAYER = false);
  /// The pieces of kind TYPEMOB of the other players that JOUEUR sees.
  void ENEMIESMOBILES(sTypeMobile TYPEMOB, cBuffer& C, const cJoueur& JOUEUR) {
    VISIBLEMOBILES(TYPEMOB, C, JOUEUR, true);
  }

 private:
  // Puts the players the save pass looks at, the marked ones or all, in the queue.
  void QUEUEPLAYERS(bool ALL);
  // Looks at J: announced and added to FILES when it changed.
  void SAVEIFCHANGED(cJoueur& J, std::vector<cSaveWriter::tFile>& FILES);
  // Takes the writer's outcomes: returns the files saved, tells the failures.
  int32_t TAKEOUTCOMES();

  std::vector<std::string> FRESERVED;
  // The players the save pass has still to look at, first last. Players are
  // never removed from the list while the server runs, so they stay valid.
  std::vector<cJoueur*> FSAVEQUEUE;
  // The players given to the writer whose outcome is not taken yet, in order.
  std::deque<cJoueur*> FWRITING;
  cSaveWriter FWRITER;
};

/// The players of the game.
extern std::unique_ptr<cListeJoueurs> JEUJOUEURS;

/// The player named NAME (case ignored), or nullptr (also before JEUJOUEURS exists).
cJoueur* FINDJOUEUR(std::string_view NAME);

/// The player OWNER is (every owner of pieces is a player), or nullptr.
inline cJoueur* JOUEUROF(cProprietaire* OWNER) {
  return static_cast<cJoueur*>(OWNER);
}
inline const cJoueur& JOUEUROF(const cProprietaire& OWNER) {
  return static_cast<const cJoueur&>(OWNER);
}
