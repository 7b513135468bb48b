#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/buffer.h"
#include "base/coords.h"
#include "entities/mobile_list.h"

class cChampion;
class cJoueur;

/// Number of offers the tavern holds.
constexpr int32_t CSTTAILLETAVERN = 4;
/// Turns an offer runs before its champion is sold.
constexpr int32_t CSTTURNBEFORESOLD = 20;
/// An accepted bid on a champion above this level restarts its countdown.
constexpr int32_t CSTEXTENSIONLEVEL = 10;

/// A champion of the catalogue offered for hire: its price (the opening price,
/// then the highest accepted bid), the turns left before it is sold, the player
/// holding the highest bid and the square that bid names.
class cChampionTavern : public cMobile {
 public:
  /// An offer of MODELE (its uid and name) at the opening price, for 20 turns,
  /// without bidder, at (0,0). MODELE may be null for a record read and dropped.
  explicit cChampionTavern(cChampion* PMMODELE);

  /// (level + 1) x 500, held at the largest 32-bit value.
  static int32_t OPENINGPRICE(const cChampion& CHAMPION);

  /// Three lines: "player:name" or "no player", "turnBeforeSold:N", "price:N".
  void TOBUFFER(cBuffer& OUTPUT) override;
  /// Reads those three lines. A bidder that is not a player yet (the players
  /// are loaded after the tavern) waits in BIDDERNAME for RESOLVEBIDDER. A
  /// count or price that is not a number raises cConversionError.
  void FROMBUFFER(cBuffer& INPUT) override;
  /// Looks the bidder waiting in BIDDERNAME up among the players; one that is
  /// not a player leaves the offer without bidder, with a console line.
  void RESOLVEBIDDER();

  int32_t PRICE = 0;
  int32_t TURNBEFORESOLD = CSTTURNBEFORESOLD;
  /// The holder of the highest bid (not owned), or nullptr.
  cJoueur* CURJOUEUR = nullptr;
  /// The champion on offer (not owned).
  cChampion* MODELE = nullptr;
  /// The square named by the highest bid, where the champion will appear.
  tcoordMap POSITION{0, 0};
  /// The name of a bidder read back and not looked up yet; empty when none.
  std::string BIDDERNAME;
};

/// The tavern: the offers, owned, each for a different champion of the
/// catalogue, whose state is "in tavern" while it is on offer. Bids, the
/// countdown and the sale are its operations; the gold of a bid is taken when
/// the bid is accepted and given back when another bid beats it.
class cTavern : public tListeOf<cChampionTavern> {
 public:
  /// An empty tavern (list name "mobiles"). The champion catalogue writes the
  /// offer of JEUTAVERN after each champion on offer from now on.
  cTavern();

  using tListeOf::ADD;
  /// Appends a new offer for PMCHAMPION and marks it in the tavern; nullptr
  /// (nothing added) for no champion. The list is not re-sorted.
  cChampionTavern* ADD(cChampion* PMCHAMPION);
  /// Four offers of champions drawn among the free ones (fewer when fewer are
  /// free), then sorted by uid.
  void BUILDTAVERN();
  /// ADD, then the new offer reads its bidder, countdown and price from INPUT.
  /// Without a champion the three lines are read and dropped (nullptr).
  cChampionTavern* ADDFROMBUFFER(cChampion* PMCHAMPION, cBuffer& INPUT);
  /// Once the players are loaded: bidders read back become players again, and
  /// an offer whose champion a loaded player turns out to hold is replaced by
  /// one of a free champion (the offers were drawn before the players were read).
  void PLAYERSLOADED();

  /// The listing of the offer of PMCHAMPION (found by uid, the tavern's order
  /// kept): "#uid", the name, the three offer lines. Nothing when PMCHAMPION is
  /// null or not on offer.
  void DUMPTOBUFFER(const cChampion* PMCHAMPION, cBuffer& OUTPUT);
  /// The listing of every offer in list order.
  void TOBUFFER(cBuffer& OUTPUT) override;

  /// A bid of PMPRICE gold by PMJOUEUR for PMCHAMPION, to appear on PMPOSITION,
  /// which must hold a building of PMJOUEUR. An accepted bid reaches the price
  /// x 1.05 (rounded down), takes the gold, gives the previous bidder its gold
  /// back, and restarts the countdown of a champion above level 10. Every
  /// refusal, and the acceptance, is one message to PMJOUEUR; false when refused.
  bool AUCTION(cChampion* PMCHAMPION, cJoueur& PMJOUEUR, int32_t PMPRICE, tcoordMap PMPOSITION);
  /// One turn: every offer held at the start counts down once; one that
  /// reaches 0 is sold to its bidder, or frees its champion when nobody bid,
  /// and a champion drawn among the free ones takes its place at the end.
  void PASSTURN();
  /// Puts CHAMPION in play for JOUEUR on the square of CHPTAVERN's bid, then
  /// destroys the offer.
  void TRSFTOJOUEUR(cJoueur& JOUEUR, cChampionTavern& CHPTAVERN, cChampion& CHAMPION);
  /// Takes MOBILE's offer out of the tavern; MOBILE is then free ("not
  /// assigned"). A champion that was not on offer is left as it is. Returns MOBILE.
  cChampion* FROMTAVERN(cChampion* MOBILE);

 private:
  // The offer of the champion of that uid, without re-sorting, or nullptr.
  cChampionTavern* OFFEROF(int32_t UID) const;
  // "#uid", the name, then the offer's three lines.
  static void WRITEOFFER(cChampionTavern& OFFER, cBuffer& OUTPUT);
};

/// The tavern of the game.
extern std::unique_ptr<cTavern> JEUTAVERN;
