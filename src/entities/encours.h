#pragma once

#include <cstdint>
#include <memory>

#include "entities/mobile_list.h"
#include "entities/ressource.h"

/// What one turn of work in progress came to.
enum sResultPassTurn : int32_t {
  sTurnPassed = 0,
  sEndBuild = 1,
  sTurnError = 2,
  sTurnErrorRessource = 3,
};

/// What handing a finished object over to its holding list came to.
enum sResultTransfert : int32_t {
  sTransfered = 0,
  sNotTransfered = 1,
  sTransfertError = 2,
};

/// A building under construction or a troop under recruitment: it stands at its
/// future square, knows the catalogue record it becomes, pays its price out of
/// its player's treasury by installments and counts down its turns.
class cMobileEnCours : public cMobilePosition {
 public:
  /// Identifier -1, name "dummy", no countdown (-1), an empty schedule: the
  /// object that list readers fill with FROMBUFFER.
  cMobileEnCours();
  /// An object in progress of the model MOBMODELE (from the catalogue MOBMODELES),
  /// paid out of CAPITAL and to be handed to TOADD. Not placed, no countdown yet.
  cMobileEnCours(cMobile* MOBMODELE, cArrayRessources* CAPITAL, cListeMobiles* MOBMODELES,
                 cListeMobilesPosition* TOADD);
  ~cMobileEnCours() override;

  /// Takes a copy of PMRESSPERTURN and restarts every countdown of it.
  void ASSIGNRESSPERTURN(const cRessParTour& PMRESSPERTURN);
  /// One turn of work: pays the installments that fall due and counts the turn
  /// down. When the treasury lacks one of them nothing is paid and the turn does
  /// not count (sTurnErrorRessource); sEndBuild when the countdown reaches 0.
  sResultPassTurn PASSTURN();

  /// The placed record, then "turn:N" and "ressPerTurn:" with the schedule.
  void TOBUFFER(cBuffer& OUTPUT) override;
  using cMobilePosition::FROMBUFFER;
  /// Reads that record; the countdowns of the schedule start at 0, so every
  /// installment falls due on the next turn.
  void FROMBUFFER(cBuffer& INPUT, cListeMobiles* MODELES) override;

  cListeMobilesPosition* TRSFMOBILES = nullptr;
  int32_t FTURNBEFOREEND = -1;
  cRessParTour FRESSPERTURN;
  cArrayRessources* FCAPITALPLAYER = nullptr;
};

/// A list of objects in progress. Owns them; each concrete list says how a
/// finished object becomes a piece of its holding list (TRANSFERT).
class cListeMobilesEnCours : public tListeOf<cMobileEnCours> {
 public:
  using tListeOf::tListeOf;

  /// Turns the finished MOBMODELE into a piece of MOBMODELE->TRSFMOBILES, then
  /// removes MOBMODELE from this list and destroys it. The base list cannot make
  /// pieces: it leaves the list as it is and answers sTransfertError.
  virtual sResultTransfert TRANSFERT(cMobileEnCours* MOBMODELE);

  std::unique_ptr<cMobile> INPUTMOBILE(cBuffer& INPUT) override;

  /// One turn for every object the list holds when it starts, in list order; an
  /// object that finishes is handed to TRANSFERT at once, and the walk goes on
  /// with the one that followed it.
  void PASSTURN();
};
