#include "forces/ville.h"

#include "forces/batiment.h"
#include "forces/championpos.h"
#include "forces/proprietaire.h"

// ---------------------------------------------------------------------------
// cBatimentPosition

cBatimentPosition::cBatimentPosition() = default;

cBatimentPosition::cBatimentPosition(cBatiment* MOB) : cMobilePosition(MOB) {
  LSTMODELES = JEUBATIMENTS.get();
}

cBatimentPosition::~cBatimentPosition() = default;

cBatiment* cBatimentPosition::BATIMENT() const {
  return static_cast<cBatiment*>(FMODELE);
}

// ---------------------------------------------------------------------------
// cListeBatimentsPosition

cBatimentPosition* cListeBatimentsPosition::WIZARDBATIMENT(cBatiment* MOB, tcoordMap POSITION) {
  auto BATIMENT = std::make_unique<cBatimentPosition>(MOB);
  BATIMENT->FUID = FINDAVAILUID();
  BATIMENT->SETPOSITION(POSITION);
  return ADD(std::move(BATIMENT));
}

std::unique_ptr<cMobilePosition> cListeBatimentsPosition::NEW(int32_t UID) {
  return NEWPIECE<cBatimentPosition>(UID);
}

// ---------------------------------------------------------------------------
// cBatimentEnCours

cBatimentEnCours::cBatimentEnCours() {
  LSTMODELES = JEUBATIMENTS.get();
  FTURNBEFOREEND = -1;
}

cBatimentEnCours::cBatimentEnCours(cBatiment* MOBMODELE, cArrayRessources* CAPITAL,
                                   cListeBatimentsPosition* TOADD)
    : cMobileEnCours(MOBMODELE, CAPITAL, JEUBATIMENTS.get(), TOADD) {
  FTURNBEFOREEND = MOBMODELE != nullptr ? int32_t{MOBMODELE->FNBTOURSNEC} : 0;
}

cBatimentEnCours::~cBatimentEnCours() = default;

// ---------------------------------------------------------------------------
// cListeBatimentsEnCours

bool cListeBatimentsEnCours::TESTBATIMENTSPRESENTS(const cBatiment* MOB, tcoordMap POSITION) {
  BUFFERCONSTRUCTION.CLEAR();
  if (MOB == nullptr || FJOUEUR == nullptr) {
    return false;
  }
  if (MOB->GETCARACT("hernec") != nullptr) {
    if (FJOUEUR->CHAMPIONS == nullptr ||
        FJOUEUR->CHAMPIONS->GETLIST(POSITION.X, POSITION.Y).ISEMPTY()) {
      return false;
    }
  }
  const tListeRefOf<cBatimentPosition> HERE = FJOUEUR->VILLES != nullptr
                                                  ? FJOUEUR->VILLES->GETLIST(POSITION.X, POSITION.Y)
                                                  : tListeRefOf<cBatimentPosition>();
  if (HERE.ISEMPTY()) {
    return !MOB->REQUIRESANY();
  }
  const int32_t NBBATIMENTS = JEUBATIMENTS != nullptr ? JEUBATIMENTS->COUNT() : 0;
  for (int32_t I = 0; I < NBBATIMENTS; ++I) {
    if (!MOB->REQUIRES(I)) {
      continue;
    }
    bool FOUND = false;
    for (int32_t K = 0; K < HERE.COUNT() && !FOUND; ++K) {
      const cMobile* MODELE = HERE.ITEM(K)->FMODELE;
      FOUND = MODELE != nullptr && MODELE->FUID == I;
    }
    if (!FOUND) {
      const cBatiment* MISSING = JEUBATIMENTS->BATIMENTBYUID(I);
      BUFFERCONSTRUCTION.WRITELN("   >> manque %s \xE0 %s",
                                 MISSING != nullptr ? MISSING->FNAME : std::to_string(I),
                                 COORDTOSTRING(POSITION));
      return false;
    }
  }
  return true;
}

sResultBuild cListeBatimentsEnCours::BUILDNEWBATIMENT(cBatiment* MOB, tcoordMap POSITION) {
  if (MOB == nullptr || FJOUEUR == nullptr) {
    return sBuildNeedBatiment;
  }
  // Reasons of an earlier attempt must not be reported for this one.
  BUFFERCONSTRUCTION.CLEAR();
  // A building without turns would stay under construction for ever. A file
  // may hold more than MAXWORKS (it is read whole); it takes no more.
  const bool ALLOWED = MOB->FNBTOURSNEC > 0 && COUNT() < MAXWORKS &&
                       FJOUEUR->CARTE.INMAT(POSITION) && TESTBATIMENTSPRESENTS(MOB, POSITION);
  if (!ALLOWED) {
    FJOUEUR->OUTPUT.WRITELN("#INFO: construction %s impossible \xE0 %s", MOB->FNAME,
                            COORDTOSTRING(POSITION));
    FJOUEUR->OUTPUT.DUMP(BUFFERCONSTRUCTION);
    return sBuildNeedBatiment;
  }
  auto CHANTIER = std::make_unique<cBatimentEnCours>(MOB, &FJOUEUR->CAPITAL, FJOUEUR->VILLES.get());
  CHANTIER->FUID = FINDAVAILUID();
  CHANTIER->SETPOSITION(POSITION);
  CHANTIER->ASSIGNRESSPERTURN(MOB->FRESSPARTOUR);
  ADD(std::move(CHANTIER));
  FJOUEUR->OUTPUT.WRITELN("#INFO: d\xE9marrage construction %s \xE0 %s", MOB->FNAME,
                          COORDTOSTRING(POSITION));
  return sBuildOK;
}

sResultTransfert cListeBatimentsEnCours::TRANSFERT(cMobileEnCours* MOB) {
  auto* CHANTIER = dynamic_cast<cBatimentEnCours*>(MOB);
  if (CHANTIER == nullptr || INDEXOF(CHANTIER) < 0) {
    return sTransfertError;
  }
  cListeMobilesPosition* DEST = CHANTIER->TRSFMOBILES;
  if (DEST == nullptr && FJOUEUR != nullptr) {
    DEST = FJOUEUR->VILLES.get();
  }
  if (DEST == nullptr) {
    return sNotTransfered;  // kept rather than lost
  }
  auto BATIMENT = std::make_unique<cBatimentPosition>(static_cast<cBatiment*>(CHANTIER->FMODELE));
  if (CHANTIER->FMODELE == nullptr) {
    BATIMENT->FNAME = CHANTIER->FNAME;
  }
  BATIMENT->SETPOSITION(CHANTIER->FPOSITION);
  BATIMENT->FUID = DEST->FINDAVAILUID();
  if (FJOUEUR != nullptr) {
    FJOUEUR->OUTPUT.WRITELN("#INFO: Nouveau batiment %s \xE0 %s", CHANTIER->FNAME,
                            COORDTOSTRING(CHANTIER->FPOSITION));
  }
  DEST->ADD(std::move(BATIMENT));
  REMOVE(CHANTIER);
  return sTransfered;
}
