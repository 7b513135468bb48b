#include "battle/war.h"

#include <algorithm>
#include <limits>

#include "base/helpers.h"
#include "base/random.h"
#include "base/strutils.h"
#include "forces/championpos.h"
#include "forces/creature.h"
#include "players/joueur.h"

namespace {

// Products of a power by a percentage or a threshold, and of units by an
// attack squared, go beyond 64 bits at the extremes.
__extension__ using tWide = __int128;

constexpr int64_t INT64HIGH = std::numeric_limits<int64_t>::max();
constexpr int64_t INT32HIGH = std::numeric_limits<int32_t>::max();

std::string PLAYERNAME(const cJoueur* J) {
  return J != nullptr ? J->FNAME : std::string();
}

std::string PLAYERNAME(const cChampionPosition& C) {
  return PLAYERNAME(JOUEUROF(C.JOUEUR()));
}

std::string CREATURENAME(const cCreaturePosition& T) {
  return T.CREATURE() != nullptr ? T.CREATURE()->FNAME : T.FNAME;
}

int32_t WIMPYOF(const cChampionPosition& C) {
  return C.MODELE() != nullptr ? C.MODELE()->WIMPY : 0;
}

// Whether a side of starting power FPOWER keeps more than its champion's flee
// threshold of it. A side that starts without power never does.
bool FIGHTSON(const cChampionPosition& C, int64_t FPOWER) {
  return FPOWER > 0 && tWide{C.WIDEPUISSANCE()} * 100 > tWide{WIMPYOF(C)} * FPOWER;
}

// The power left in percent, truncated; 0 for a side that started without power.
int64_t PERCENTLEFT(const cChampionPosition& C, int64_t FPOWER) {
  if (FPOWER <= 0) {
    return 0;
  }
  return static_cast<int64_t>(tWide{C.WIDEPUISSANCE()} * 100 / FPOWER);
}

// EXPERIENCE + GAIN, held within 32 bits.
int32_t ADDEXPERIENCE(int32_t EXPERIENCE, tWide GAIN) {
  const tWide SUM = GAIN + EXPERIENCE;
  return static_cast<int32_t>(
      std::clamp<tWide>(SUM, std::numeric_limits<int32_t>::min(), INT32HIGH));
}

// Army line Y of C as text: "2:10 archer   5 piquier   ".
std::string LINETEXT(const cChampionPosition& C, int32_t Y) {
  std::string S = std::to_string(Y) + ":";
  const cListeTroupes& LINE = C.ARMEES.LINE(Y);
  for (int32_t I = 0; I < LINE.COUNT(); ++I) {
    S += std::to_string(LINE.ITEM(I)->FNBTROUPES) + " " + CREATURENAME(*LINE.ITEM(I)) + "   ";
  }
  return S;
}

// The stacks of C's army line Y, all of them or only those with the
// characteristic NAME, added to L.
void ADDLINE(const cChampionPosition& C, int32_t Y, cListeStacks& L, std::string_view NAME = {}) {
  const cListeTroupes& LINE = C.ARMEES.LINE(Y);
  for (int32_t I = 0; I < LINE.COUNT(); ++I) {
    if (NAME.empty() || LINE.ITEM(I)->GETCARACT(NAME) != nullptr) {
      L.ADD(LINE.ITEM(I));
    }
  }
}

}  // namespace

bool COMPAREVITESSE(const cCreaturePosition& C1, const cCreaturePosition& C2) {
  return C1.GETVIT() > C2.GETVIT();
}

cWar::cWar(cChampionPosition& C1, cChampionPosition& C2)
    : ATTAQUANT(C1),
      DEFENDANT(C2),
      JATTAQUANT(JOUEUROF(C1.JOUEUR())),
      JDEFENDANT(JOUEUROF(C2.JOUEUR())) {
  // A battle changes both sides, the defender during another player's command.
  for (cJoueur* J : {JATTAQUANT, JDEFENDANT}) {
    if (J != nullptr) {
      J->MARKCHANGED();
    }
  }
}

void cWar::WRITEBOTH(const std::string& S) {
  WRITEATT(S);
  WRITEDEF(S);
}

void cWar::WRITEATT(const std::string& S) {
  BUFFERATTAQUANT.WRITELN(S);
}

void cWar::WRITEDEF(const std::string& S) {
  BUFFERDEFENDANT.WRITELN(S);
}

void cWar::REPORT() {
  if (JATTAQUANT != nullptr) {
    JATTAQUANT->OUTPUT.DUMP(BUFFERATTAQUANT);
  }
  if (JDEFENDANT != nullptr) {
    JDEFENDANT->OUTPUT.DUMP(BUFFERDEFENDANT);
  }
  BUFFERATTAQUANT.CLEAR();
  BUFFERDEFENDANT.CLEAR();
}

void cWar::DISPLAYARMEE() {
  WRITEBOTH("DEBUT TOUR");
  WRITEBOTH("ARMEE DE " + PLAYERNAME(JATTAQUANT));
  for (int32_t Y = cArmee::NBLINES; Y >= 1; --Y) {
    WRITEBOTH(LINETEXT(ATTAQUANT, Y));
  }
  WRITEBOTH(std::string(36, '-'));
  WRITEBOTH("ARMEE DE " + PLAYERNAME(JDEFENDANT));
  for (int32_t Y = 1; Y <= cArmee::NBLINES; ++Y) {
    WRITEBOTH(LINETEXT(DEFENDANT, Y));
  }
}

void cWar::BLDLINEFROMATTRIBUT(std::string_view NAMEATT, const cChampionPosition& C,
                               cListeStacks& L, int32_t LFROM, int32_t LTO) {
  L.CLEAR();
  for (int32_t Y = std::max(LFROM, 1); Y <= std::min(LTO, cArmee::NBLINES); ++Y) {
    ADDLINE(C, Y, L, NAMEATT);
  }
}

void cWar::PROCEEDTWOLINES(const cListeStacks& L1, const cListeStacks& L2) {
  int32_t I1 = 0;
  int32_t I2 = 0;
  while (I1 < L1.COUNT() && I2 < L2.COUNT()) {
    if (L1.ITEM(I1)->GETVIT() >= L2.ITEM(I2)->GETVIT()) {
      LANCEACTION(*L1.ITEM(I1++), ATTAQUANT, DEFENDANT);
    } else {
      LANCEACTION(*L2.ITEM(I2++), DEFENDANT, ATTAQUANT);
    }
  }
  while (I1 < L1.COUNT()) {
    LANCEACTION(*L1.ITEM(I1++), ATTAQUANT, DEFENDANT);
  }
  while (I2 < L2.COUNT()) {
    LANCEACTION(*L2.ITEM(I2++), DEFENDANT, ATTAQUANT);
  }
}

void cWar::LANCEACTION(cCreaturePosition& BOURREAU, cChampionPosition& CBOURREAU,
                       cChampionPosition& CVICTIME) {
  if (BOURREAU.FNBTROUPES <= 0) {
    return;
  }
  const cCaractMob* RNG = BOURREAU.GETCARACT("rng");
  const cCaractMob* CTPLT = BOURREAU.GETCARACT("ctplt");
  const bool SHOOTS =
      (RNG != nullptr || CTPLT != nullptr) && (BOURREAU.NUMLINE == 2 || BOURREAU.NUMLINE == 3);
  cListeStacks CANDIDATES;
  if (SHOOTS) {
    // From line 2 a reach value v hits up to line v; from line 3 up to v - 1.
    const int32_t VALUE = RNG != nullptr ? RNG->VALUE : CTPLT->VALUE;
    const int32_t REACH = std::min(cArmee::NBLINES, (3 - BOURREAU.NUMLINE) + VALUE - 1);
    if (RNG != nullptr) {
      for (int32_t Y = REACH; Y >= 1 && CANDIDATES.ISEMPTY(); --Y) {
        ADDLINE(CVICTIME, Y, CANDIDATES, "fly");
      }
    }
    // A catapult never aims at the front line.
    const int32_t NEAREST = RNG != nullptr ? 1 : 2;
    for (int32_t Y = REACH; Y >= NEAREST && CANDIDATES.ISEMPTY(); --Y) {
      ADDLINE(CVICTIME, Y, CANDIDATES);
    }
  } else {
    ADDLINE(CVICTIME, 1, CANDIDATES);
  }
  if (CANDIDATES.ISEMPTY()) {
    return;
  }
  SORTPUISSANCE(CANDIDATES);
  for (int32_t I = CANDIDATES.COUNT() - 1; I >= 0; --I) {
    if (CANDIDATES.ITEM(I)->FNBTROUPES <= 0) {
      CANDIDATES.DELETE(I);
    }
  }
  if (CANDIDATES.ISEMPTY()) {
    WRITEATT(CREATURENAME(BOURREAU) + " n'a rien a taper !");
    return;
  }

  cCreaturePosition* VICTIME = nullptr;
  if (SHOOTS) {
    VICTIME = CANDIDATES.ITEM(RANDOMGEN().RANDOM(CANDIDATES.COUNT()));
  } else {
    const int32_t OWN = BOURREAU.GETPUISSANCE();
    VICTIME = CANDIDATES.ITEM(CANDIDATES.COUNT() - 1);
    for (int32_t I = 0; I < CANDIDATES.COUNT(); ++I) {
      if (CANDIDATES.ITEM(I)->GETPUISSANCE() <= OWN) {
        VICTIME = CANDIDATES.ITEM(I);
        break;
      }
    }
  }

  const std::string FIELDS = CREATURENAME(BOURREAU) + "|" + PLAYERNAME(CBOURREAU) + "|" +
                             CREATURENAME(*VICTIME) + "|" + PLAYERNAME(CVICTIME);
  const cCaractMob* PARE = VICTIME->GETCARACT("pare");
  if (PARE != nullptr && (BOURREAU.GETCARACT("nopare") != nullptr || BOURREAU.NUMLINE == 1) &&
      PERCENT(PARE->VALUE)) {
    // The game's template as it has always been: its third marker has a blank.
    WRITEBOTH(BLDSTR("~1 (~2) --> ~ 3 (~4)", FIELDS) + "pare");
    return;
  }
  if (ATTACK(BOURREAU, *VICTIME, CBOURREAU, CVICTIME)) {
    WRITEBOTH(BLDSTR("Unite morte: ~3 (~4)", FIELDS));
    TROUPESMORTES.emplace_back(VICTIME, &CVICTIME);
  }
}

bool cWar::ATTACK(cCreaturePosition& BOURREAU, cCreaturePosition& VICTIME,
                  const cChampionPosition& CBOURREAU, const cChampionPosition& CVICTIME) {
  // Sums of 16-bit values: no overflow in 64 bits.
  const int64_t PUISATT =
      std::max<int64_t>(int64_t{BOURREAU.GETATTACK()} + CBOURREAU.GETATTACK(), 0);
  const int64_t PUISDEF =
      std::max<int64_t>(int64_t{VICTIME.GETDEFENSE()} + CVICTIME.GETDEFENSE(), 1);
  const int64_t UNITS = std::max(BOURREAU.FNBTROUPES, 0);
  const int64_t DEGATS =
      static_cast<int64_t>(std::min<tWide>(tWide{UNITS} * PUISATT * PUISATT / PUISDEF, INT64HIGH));

  const int32_t BEFORE = VICTIME.FNBTROUPES;
  VICTIME.STACKPDV = static_cast<int32_t>(std::max<int64_t>(int64_t{VICTIME.STACKPDV} - DEGATS, 0));
  const int64_t PDV = std::max(VICTIME.GETPDV(), 1);
  VICTIME.FNBTROUPES = static_cast<int32_t>((int64_t{VICTIME.STACKPDV} + PDV - 1) / PDV);

  WRITEBOTH(CREATURENAME(BOURREAU) + " (" + PLAYERNAME(CBOURREAU) + ")" + " --> " +
            CREATURENAME(VICTIME) + " (" + PLAYERNAME(CVICTIME) + ")" +
            " dommage: " + std::to_string(DEGATS) + "   " +
            std::to_string(int64_t{BEFORE} - VICTIME.FNBTROUPES) + " morts");
  return VICTIME.STACKPDV == 0;
}

template <class BUILD>
void cWar::PHASE(BUILD LINEOF) {
  cListeStacks L1;
  cListeStacks L2;
  LINEOF(ATTAQUANT, L1);
  LINEOF(DEFENDANT, L2);
  PROCEEDTWOLINES(L1, L2);
}

void cWar::BURY() {
  for (const auto& [STACK, SIDE] : TROUPESMORTES) {
    // The army destroys the stack it hands back.
    (void)SIDE->ARMEES.REMOVE(STACK);
  }
  TROUPESMORTES.clear();
}

void cWar::MOVEUP() {
  for (int32_t Y = 2; Y <= cArmee::NBLINES; ++Y) {
    for (cChampionPosition* SIDE : {&ATTAQUANT, &DEFENDANT}) {
      cListeTroupes& LINE = SIDE->ARMEES.LINE(Y);
      cListeTroupes& AHEAD = SIDE->ARMEES.LINE(Y - 1);
      if (LINE.ISEMPTY()) {
        continue;
      }
      const int32_t ROOM = 3 - AHEAD.COUNT();
      for (int32_t PICK = 0; PICK < ROOM && !LINE.ISEMPTY(); ++PICK) {
        cCreaturePosition* T = LINE.ITEM(RANDOMGEN().RANDOM(LINE.COUNT()));
        // An attacking stack that stays waits until the line ahead is empty.
        if (SIDE == &ATTAQUANT && T->GETCARACT("stay") != nullptr && !AHEAD.ISEMPTY()) {
          continue;
        }
        T->NUMLINE = Y - 1;
        AHEAD.ADD(LINE.EXTRACT(T));
      }
    }
  }
}

sWarOutcome cWar::BREAK(cChampionPosition& C, cJoueur* J, int64_t PERTE, bool ISATTACKER) {
  const std::vector<const cMobile*> NAMES{C.MODELE(), J};
  if (PERTE > 80 && PERCENT(static_cast<int32_t>(std::min<int64_t>(PERTE, 101)))) {
    WRITEBOTH(cJoueur::ACT(RSINFOMORTCHAMPION, NAMES));
    C.DROPTROUPES();
    if (J != nullptr) {
      J->MOVETOCIMETIERE(C);
    }
    return ISATTACKER ? swAttackerDied : swDefenderDied;
  }
  WRITEBOTH(cJoueur::ACT(RSINFOFUITECHAMPION, NAMES));
  // The champion may land in another battle: this one is told first.
  REPORT();
  C.FLEE();
  return ISATTACKER ? swAttackerFled : swDefenderFled;
}

sWarOutcome cWar::BATTLE() {
  TROUPESMORTES.clear();
  const int64_t FPOWER1 = ATTAQUANT.WIDEPUISSANCE();
  const int64_t FPOWER2 = DEFENDANT.WIDEPUISSANCE();
  for (cChampionPosition* SIDE : {&ATTAQUANT, &DEFENDANT}) {
    for (int32_t Y = 1; Y <= cArmee::NBLINES; ++Y) {
      cListeTroupes& LINE = SIDE->ARMEES.LINE(Y);
      SORTVITESSE(LINE);
      for (int32_t I = 0; I < LINE.COUNT(); ++I) {
        cCreaturePosition& T = *LINE.ITEM(I);
        T.NUMLINE = Y;
        T.POISONNED = 0;
        T.BLINDED = 0;
        T.STACKPDV = static_cast<int32_t>(
            std::clamp<int64_t>(int64_t{T.GETPDV()} * T.FNBTROUPES, 0, INT32HIGH));
      }
    }
  }
  WRITEBOTH("Attaquant : " + PLAYERNAME(JATTAQUANT) + ":" + std::to_string(FPOWER1) + "   " +
            "Defendant : " + PLAYERNAME(JDEFENDANT) + ":" + std::to_string(FPOWER2));
  DISPLAYARMEE();

  for (int32_t ROUND = 0;
       ROUND < MAXROUNDS && FIGHTSON(ATTAQUANT, FPOWER1) && FIGHTSON(DEFENDANT, FPOWER2); ++ROUND) {
    const int64_t BEFORE1 = ATTAQUANT.WIDEPUISSANCE();
    const int64_t BEFORE2 = DEFENDANT.WIDEPUISSANCE();
    PHASE([](const cChampionPosition& C, cListeStacks& L) { BLDLINEFROMATTRIBUT("rng", C, L); });
    PHASE([](const cChampionPosition& C, cListeStacks& L) { BLDLINEFROMATTRIBUT("ctplt", C, L); });
    PHASE([](const cChampionPosition& C, cListeStacks& L) { ADDLINE(C, 1, L); });
    BURY();
    MOVEUP();
    DISPLAYARMEE();
    // Two sides that cannot hurt each other would fight for ever.
    if (ATTAQUANT.WIDEPUISSANCE() == BEFORE1 && DEFENDANT.WIDEPUISSANCE() == BEFORE2) {
      break;
    }
  }

  // Each champion gains the power it destroyed.
  if (ATTAQUANT.MODELE() != nullptr) {
    ATTAQUANT.MODELE()->EXPERIENCE =
        ADDEXPERIENCE(ATTAQUANT.MODELE()->EXPERIENCE, tWide{FPOWER2} - DEFENDANT.WIDEPUISSANCE());
  }
  if (DEFENDANT.MODELE() != nullptr) {
    DEFENDANT.MODELE()->EXPERIENCE =
        ADDEXPERIENCE(DEFENDANT.MODELE()->EXPERIENCE, tWide{FPOWER1} - ATTAQUANT.WIDEPUISSANCE());
  }

  const int64_t PERTEATT = PERCENTLEFT(ATTAQUANT, FPOWER1);
  const int64_t PERTEDEF = PERCENTLEFT(DEFENDANT, FPOWER2);
  if (WIMPYOF(ATTAQUANT) > PERTEATT) {
    return BREAK(ATTAQUANT, JATTAQUANT, PERTEATT, true);
  }
  // A guard (no catalogue champion of its own) never breaks.
  const bool REALDEFENDER = DEFENDANT.MODELE() != nullptr && DEFENDANT.MODELE()->FUID != -1;
  if (REALDEFENDER && WIMPYOF(DEFENDANT) > PERTEDEF) {
    return BREAK(DEFENDANT, JDEFENDANT, PERTEDEF, false);
  }
  return swNobodyBroke;
}
