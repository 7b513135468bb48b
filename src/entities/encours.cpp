#include "entities/encours.h"

#include <limits>

cMobileEnCours::cMobileEnCours() = default;

cMobileEnCours::cMobileEnCours(cMobile* MOBMODELE, cArrayRessources* CAPITAL,
                               cListeMobiles* MOBMODELES, cListeMobilesPosition* TOADD)
    : cMobilePosition(MOBMODELE), TRSFMOBILES(TOADD), FCAPITALPLAYER(CAPITAL) {
  LSTMODELES = MOBMODELES;
}

cMobileEnCours::~cMobileEnCours() {
  FCAPITALPLAYER = nullptr;
  FTURNBEFOREEND = -1;
}

void cMobileEnCours::ASSIGNRESSPERTURN(const cRessParTour& PMRESSPERTURN) {
  PMRESSPERTURN.DUMP(FRESSPERTURN);
  FRESSPERTURN.REFRESH();
}

sResultPassTurn cMobileEnCours::PASSTURN() {
  // The countdowns move on a copy that is kept only when every installment due
  // is paid: a turn stalled by a shortage changes nothing, and no installment
  // falls due without being collected.
  cRessParTour NEXT = FRESSPERTURN;
  cArrayRessources DUE(NEXT.CTRLRESSTOUR.size());
  for (std::size_t I = 0; I < NEXT.CTRLRESSTOUR.size(); ++I) {
    tAssocRessTour& E = NEXT.CTRLRESSTOUR[I];
    if (E.CURRENT != 0) {
      --E.CURRENT;
    }
    if (E.CURRENT == 0) {
      const bool HELD = FCAPITALPLAYER != nullptr && I < FCAPITALPLAYER->RESSOURCE.size();
      const uint16_t STOCK = HELD ? FCAPITALPLAYER->RESSOURCE[I] : uint16_t{0};
      if (STOCK < E.RESSOURCE) {
        return sTurnErrorRessource;
      }
      E.CURRENT = E.TOURS;
      DUE.RESSOURCE[I] = E.RESSOURCE;
    }
  }
  FRESSPERTURN = std::move(NEXT);
  if (FTURNBEFOREEND > std::numeric_limits<int32_t>::min()) {
    --FTURNBEFOREEND;
  }
  if (FCAPITALPLAYER != nullptr) {
    FCAPITALPLAYER->SUB(DUE);
  }
  return FTURNBEFOREEND == 0 ? sEndBuild : sTurnPassed;
}

void cMobileEnCours::TOBUFFER(cBuffer& OUTPUT) {
  cMobilePosition::TOBUFFER(OUTPUT);
  OUTPUT.WRITELN("turn:%d", FTURNBEFOREEND);
  OUTPUT.WRITELN("ressPerTurn:" + FRESSPERTURN.TOSTRING());
}

void cMobileEnCours::FROMBUFFER(cBuffer& INPUT, cListeMobiles* MODELES) {
  cMobilePosition::FROMBUFFER(INPUT, MODELES);
  FTURNBEFOREEND = STRTOINT(AFTERTOKEN(INPUT.READLN(), ':'));
  FRESSPERTURN.FROMSTRING(INPUT.READLN());
}

sResultTransfert cListeMobilesEnCours::TRANSFERT(cMobileEnCours* /*MOBMODELE*/) {
  return sTransfertError;
}

std::unique_ptr<cMobile> cListeMobilesEnCours::INPUTMOBILE(cBuffer& INPUT) {
  auto M = std::make_unique<cMobileEnCours>();
  M->FROMBUFFER(INPUT);
  return M;
}

void cListeMobilesEnCours::PASSTURN() {
  // A transfer destroys the finished object while the walk runs.
  FOREACHHELD([this](cMobileEnCours& E) {
    if (E.PASSTURN() == sEndBuild) {
      TRANSFERT(&E);
    }
  });
}
