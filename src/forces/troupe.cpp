#include "forces/troupe.h"

#include <algorithm>
#include <limits>

#include "forces/batiment.h"
#include "forces/creature.h"
#include "forces/proprietaire.h"
#include "forces/ville.h"
#include "world/grid.h"

namespace {

/// The message buffer of PLAYER, or nullptr for a list that has no player.
cBuffer* PLAYEROUTPUT(cProprietaire* PLAYER) {
  return PLAYER != nullptr ? &PLAYER->OUTPUT : nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------
// cCreaturePosition

cCreaturePosition::cCreaturePosition() = default;

cCreaturePosition::cCreaturePosition(cCreature* MOB) : cMobilePosition(MOB) {
  LSTMODELES = JEUCREATURES.get();
}

cCreaturePosition::~cCreaturePosition() = default;

cCreature* cCreaturePosition::CREATURE() const {
  return static_cast<cCreature*>(FMODELE);
}

int32_t cCreaturePosition::GETATTACK() const {
  return CREATURE() != nullptr ? CREATURE()->GETATTACK() : 0;
}

int32_t cCreaturePosition::GETDEFENSE() const {
  return CREATURE() != nullptr ? CREATURE()->GETDEFENSE() : 0;
}

int32_t cCreaturePosition::GETVIT() const {
  return CREATURE() != nullptr ? CREATURE()->GETVIT() : 0;
}

int32_t cCreaturePosition::GETPDV() const {
  return CREATURE() != nullptr ? CREATURE()->GETPDV() : 0;
}

const cCaractMob* cCreaturePosition::GETCARACT(std::string_view NAME) const {
  return CREATURE() != nullptr ? CREATURE()->GETCARACT(NAME) : nullptr;
}

int32_t cCreaturePosition::GETPUISSANCE() const {
  // Large troops would overflow 32 bits: the product is taken in 64 bits and
  // held at the ends of the range, so that comparisons of power stay right.
  const int64_t ONE = 2 * int64_t{GETATTACK()} + 2 * int64_t{GETDEFENSE()} + 2 * int64_t{GETPDV()} +
                      int64_t{GETVIT()};
  const int64_t ALL = ONE * int64_t{FNBTROUPES};
  return static_cast<int32_t>(std::clamp<int64_t>(ALL, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

void cCreaturePosition::TOBUFFER(cBuffer& OUTPUT) {
  cMobilePosition::TOBUFFER(OUTPUT);
  OUTPUT.WRITELN("nbTroupes:%d", FNBTROUPES);
}

void cCreaturePosition::FROMBUFFER(cBuffer& INPUT, cListeMobiles* MODELES) {
  cMobilePosition::FROMBUFFER(INPUT, MODELES);
  FNBTROUPES = STRTOINT(AFTERTOKEN(INPUT.READLN(), ':'));
  STACKPDV = 0;
  NUMLINE = 0;
  POISONNED = 0;
  BLINDED = 0;
}

// ---------------------------------------------------------------------------
// cListeCreaturesPosition

std::unique_ptr<cMobilePosition> cListeCreaturesPosition::NEW(int32_t UID) {
  return NEWPIECE<cCreaturePosition>(UID);
}

cCreaturePosition* cListeCreaturesPosition::WIZARD(cCreature* MOB, int32_t NB,
                                                   cListeMobiles* MODELES, tcoordMap POSITION) {
  auto* TROUPE =
      static_cast<cCreaturePosition*>(cListeMobilesPosition::WIZARD(MOB, MODELES, POSITION));
  TROUPE->FNBTROUPES = NB;
  return TROUPE;
}

// ---------------------------------------------------------------------------
// cCreatureEnCours

cCreatureEnCours::cCreatureEnCours() {
  LSTMODELES = JEUCREATURES.get();
  FTURNBEFOREEND = -1;
}

cCreatureEnCours::cCreatureEnCours(cCreature* MOBMODELE, cArrayRessources* CAPITAL,
                                   cListeCreaturesPosition* TOADD)
    : cMobileEnCours(MOBMODELE, CAPITAL, JEUCREATURES.get(), TOADD) {
  FTURNBEFOREEND = MOBMODELE != nullptr ? int32_t{MOBMODELE->FNBTOURSNEC} : 0;
}

cCreatureEnCours::~cCreatureEnCours() = default;

void cCreatureEnCours::TOBUFFER(cBuffer& OUTPUT) {
  cMobileEnCours::TOBUFFER(OUTPUT);
  OUTPUT.WRITELN("nbTroops:%d", FNBTROUPES);
}

void cCreatureEnCours::FROMBUFFER(cBuffer& INPUT, cListeMobiles* MODELES) {
  cMobileEnCours::FROMBUFFER(INPUT, MODELES);
  FNBTROUPES = STRTOINT(AFTERTOKEN(INPUT.READLN(), ':'));
}

// ---------------------------------------------------------------------------
// cListeCreaturesEnCours

bool cListeCreaturesEnCours::TESTCREATURESPRESENTS(const cCreature* MOB, tcoordMap POSITION) {
  // A square off the map has no index of its own (11,1 would be read as 1,2):
  // no building stands there.
  if (MOB == nullptr || FJOUEUR == nullptr || FJOUEUR->VILLES == nullptr || !INMAP(POSITION)) {
    return false;
  }
  const auto HERE = FJOUEUR->VILLES->GETLIST(POSITION.X, POSITION.Y);
  for (int32_t I = 0; I < HERE.COUNT(); ++I) {
    const cBatiment* MODELE = HERE.ITEM(I)->BATIMENT();
    if (MODELE != nullptr && MODELE->FRECRUIT == MOB) {
      return true;
    }
  }
  return false;
}

sResultBuild cListeCreaturesEnCours::BUILDNEWCREATURE(int32_t NB, cCreature* MOB,
                                                      tcoordMap POSITION) {
  if (MOB == nullptr) {
    return sBuildError;
  }
  cBuffer* OUT = PLAYEROUTPUT(FJOUEUR);
  // A countdown of 0 never ends, and one beyond 32 bits cannot be kept; nor can
  // a troop count more creatures than 32 bits hold; nor may one player have
  // more than MAXWORKS under way (a file holding more is read whole, and takes
  // no more). Such a recruitment is refused like one that no building allows.
  const int64_t TURNS = int64_t{NB} * int64_t{MOB->FNBTOURSNEC};
  const bool ENDS = TURNS > 0 && TURNS <= std::numeric_limits<int32_t>::max();
  const bool COUNTFITS =
      int64_t{NB} * int64_t{MOB->FNBUNITS} <= std::numeric_limits<int32_t>::max();
  if (!ENDS || !COUNTFITS || COUNT() >= MAXWORKS || !TESTCREATURESPRESENTS(MOB, POSITION)) {
    if (OUT != nullptr) {
      OUT->WRITELN("#INFO: recrutement %s impossible \xE0 %s", MOB->FNAME, COORDTOSTRING(POSITION));
    }
    return sBuildError;
  }
  auto RECRUE =
      std::make_unique<cCreatureEnCours>(MOB, FJOUEUR != nullptr ? &FJOUEUR->CAPITAL : nullptr,
                                         FJOUEUR != nullptr ? FJOUEUR->TROUPES.get() : nullptr);
  RECRUE->FUID = FINDAVAILUID();
  RECRUE->FTURNBEFOREEND = static_cast<int32_t>(TURNS);
  RECRUE->FNBTROUPES = NB;
  RECRUE->SETPOSITION(POSITION);
  RECRUE->ASSIGNRESSPERTURN(MOB->FRESSPARTOUR);
  ADD(std::move(RECRUE));
  if (OUT != nullptr) {
    OUT->WRITELN("#INFO: d\xE9marrage recrutement %d troupes de %s \xE0 %s", NB, MOB->FNAME,
                 COORDTOSTRING(POSITION));
  }
  return sBuildOK;
}

sResultTransfert cListeCreaturesEnCours::TRANSFERT(cMobileEnCours* MOB) {
  auto* RECRUE = dynamic_cast<cCreatureEnCours*>(MOB);
  if (RECRUE == nullptr || INDEXOF(RECRUE) < 0) {
    return sTransfertError;
  }
  auto* CREATURE = static_cast<cCreature*>(RECRUE->FMODELE);
  cListeMobilesPosition* DEST = RECRUE->TRSFMOBILES;
  if (DEST == nullptr && FJOUEUR != nullptr) {
    DEST = FJOUEUR->TROUPES.get();
  }
  // Without its creature or a list to go to the recruitment cannot become a
  // troop; it is kept rather than lost.
  if (CREATURE == nullptr || DEST == nullptr) {
    return sNotTransfered;
  }
  auto TROUPE = std::make_unique<cCreaturePosition>(CREATURE);
  TROUPE->SETPOSITION(RECRUE->FPOSITION);
  // Recruitment refuses what a count cannot hold, but a recruitment read back
  // from a player's file was not asked for through it: the count is held
  // within 0..INT32_MAX rather than cut to 32 bits, which could make it negative.
  const int64_t UNITS = int64_t{CREATURE->FNBUNITS} * int64_t{RECRUE->FNBTROUPES};
  TROUPE->FNBTROUPES =
      static_cast<int32_t>(std::clamp<int64_t>(UNITS, 0, std::numeric_limits<int32_t>::max()));
  const int64_t PDV = int64_t{CREATURE->GETPDV()} * int64_t{RECRUE->FNBTROUPES};
  TROUPE->STACKPDV = static_cast<int32_t>(std::clamp<int64_t>(
      PDV, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
  TROUPE->FUID = DEST->FINDAVAILUID();
  if (cBuffer* OUT = PLAYEROUTPUT(FJOUEUR); OUT != nullptr) {
    OUT->WRITELN("#INFO: Nouvelle(s) troupe(s) %d %s \xE0 %s", RECRUE->FNBTROUPES, RECRUE->FNAME,
                 COORDTOSTRING(RECRUE->FPOSITION));
  }
  DEST->ADD(std::move(TROUPE));
  REMOVE(RECRUE);
  return sTransfered;
}
