#include "entities/encours.h"

#include <limits>
#include <vector>

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
  // Every installment due is checked before any is paid: a turn stalled by a
  // shortage changes nothing, and no installment falls due without being
  // collected. Both passes run in place, as a turn of every work in progress
  // comes with each turn of its player.
  std::vector<uint16_t>* STOCKS = FCAPITALPLAYER != nullptr ? &FCAPITALPLAYER->RESSOURCE : nullptr;
  const std::size_t HELD = STOCKS != nullptr ? STOCKS->size() : 0;
  for (std::size_t I = 0; I < FRESSPERTURN.CTRLRESSTOUR.size(); ++I) {
    const tAssocRessTour& E = FRESSPERTURN.CTRLRESSTOUR[I];
    const bool FALLSDUE = E.CURRENT <= 1;
    const uint16_t STOCK = I < HELD ? (*STOCKS)[I] : uint16_t{0};
    if (FALLSDUE && STOCK < E.RESSOURCE) {
      return sTurnErrorRessource;
    }
  }
  for (std::size_t I = 0; I < FRESSPERTURN.CTRLRESSTOUR.size(); ++I) {
    tAssocRessTour& E = FRESSPERTURN.CTRLRESSTOUR[I];
    if (E.CURRENT > 1) {
      --E.CURRENT;
      continue;
    }
    E.CURRENT = E.TOURS;
    if (I < HELD) {
      (*STOCKS)[I] = static_cast<uint16_t>((*STOCKS)[I] - E.RESSOURCE);
    }
  }
  if (FTURNBEFOREEND > std::numeric_limits<int32_t>::min()) {
    --FTURNBEFOREEND;
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
