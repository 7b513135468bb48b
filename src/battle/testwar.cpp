#include "battle/testwar.h"

#include <memory>
#include <utility>
#include <vector>

#include "base/random.h"
#include "battle/war.h"
#include "forces/champion.h"
#include "forces/championpos.h"
#include "forces/troupe.h"
#include "players/joueur.h"
#include "world/grid.h"

namespace {

// Nesting of TESTWAR (each level below the first is a landing after a flight)
// and the flights of the current arrival so far.
int32_t DEPTH = 0;
int32_t FLIGHTS = 0;

struct tNested {
  tNested() { ++DEPTH; }
  ~tNested() { --DEPTH; }
  tNested(const tNested&) = delete;
  tNested& operator=(const tNested&) = delete;
};

// Battles may move, bury or destroy what was seen on the square: pieces are
// remembered by SERIAL and looked for again before each battle.
struct tEnemy {
  cJoueur* JOUEUR;
  uint64_t SERIAL;
};
struct tGuard {
  cJoueur* JOUEUR;
  std::vector<uint64_t> SERIALS;
};

bool BROKE(sWarOutcome R) {
  return R == swAttackerDied || R == swAttackerFled;
}

// The guard of TROOPS (P's troops on HERE) against CHAMPION: its lines get
// (troops div 3) + 1 troops each, drawn at random, line 3 the rest; the
// survivors go back to P's TROUPES on HERE.
sWarOutcome GUARDBATTLE(cChampionPosition& CHAMPION, cJoueur& P,
                        std::vector<cCreaturePosition*> TROOPS, tcoordMap HERE) {
  cChampion DUMMY;
  DUMMY.FJOUEUR = &P;
  cChampionPosition GUARD(&DUMMY);
  GUARD.SETPOSITION(HERE);
  const std::size_t PERLINE = TROOPS.size() / 3 + 1;
  for (int32_t Y = 1; Y <= cArmee::NBLINES; ++Y) {
    const std::size_t N = Y < cArmee::NBLINES ? std::min(PERLINE, TROOPS.size()) : TROOPS.size();
    for (std::size_t I = 0; I < N; ++I) {
      const auto AT = TROOPS.begin() + RANDOMGEN().RANDOM(static_cast<int32_t>(TROOPS.size()));
      std::unique_ptr<cCreaturePosition> T = P.TROUPES->EXTRACT(*AT);
      TROOPS.erase(AT);
      T->SETPOSITION(COORDMAP(-1, -1));
      GUARD.ARMEES.APPEND(std::move(T), Y);
    }
  }
  cWar WAR(CHAMPION, GUARD);
  const sWarOutcome R = WAR.BATTLE();
  WAR.REPORT();
  GUARD.DROPTROUPES();
  return R;
}

}  // namespace

void TESTWAR(cListeJoueurs& JOUEURS, cChampionPosition& CHAMPION) {
  if (DEPTH == 0) {
    FLIGHTS = 0;
  } else if (++FLIGHTS > MAXFLIGHTCHAIN) {
    return;
  }
  const tNested NESTED;
  cJoueur* P0 = JOUEUROF(CHAMPION.JOUEUR());
  const tcoordMap HERE = CHAMPION.FPOSITION;
  if (P0 == nullptr || !INMAP(HERE) || P0->CHAMPIONS->INDEXOF(&CHAMPION) < 0) {
    return;
  }
  const auto STILLHERE = [&] {
    return CHAMPION.FPOSITION == HERE && P0->CHAMPIONS->INDEXOF(&CHAMPION) >= 0;
  };

  std::vector<tEnemy> ENEMIES;
  std::vector<tGuard> GUARDS;
  for (int32_t I = 0; I < JOUEURS.COUNT(); ++I) {
    cJoueur* P = JOUEURS.ITEM(I);
    if (P == P0) {
      continue;
    }
    const auto THERE = P->CHAMPIONS->GETLIST(HERE.X, HERE.Y);
    for (int32_t K = 0; K < THERE.COUNT(); ++K) {
      ENEMIES.push_back({P, THERE.ITEM(K)->SERIAL()});
    }
    tGuard G{P, {}};
    const auto TROOPS = P->TROUPES->GETLIST(HERE.X, HERE.Y);
    for (int32_t K = 0; K < TROOPS.COUNT(); ++K) {
      G.SERIALS.push_back(TROOPS.ITEM(K)->SERIAL());
    }
    GUARDS.push_back(std::move(G));
  }

  for (const tEnemy& E : ENEMIES) {
    cChampionPosition* DEFENDER = E.JOUEUR->CHAMPIONS->FINDSERIAL(E.SERIAL);
    if (!STILLHERE()) {
      return;
    }
    if (DEFENDER == nullptr || DEFENDER->FPOSITION != HERE) {
      continue;
    }
    cWar WAR(CHAMPION, *DEFENDER);
    const sWarOutcome R = WAR.BATTLE();
    WAR.REPORT();
    if (BROKE(R)) {
      return;
    }
  }

  for (const tGuard& G : GUARDS) {
    if (!STILLHERE()) {
      return;
    }
    std::vector<cCreaturePosition*> TROOPS;
    for (const uint64_t S : G.SERIALS) {
      cCreaturePosition* T = G.JOUEUR->TROUPES->FINDSERIAL(S);
      if (T != nullptr && T->FPOSITION == HERE) {
        TROOPS.push_back(T);
      }
    }
    if (!TROOPS.empty() && BROKE(GUARDBATTLE(CHAMPION, *G.JOUEUR, std::move(TROOPS), HERE))) {
      return;
    }
  }
}

void INSTALLBATTLES() {
  BATTLELINKS.TESTWAR = [](cChampionPosition& CHAMPION) {
    if (JEUJOUEURS != nullptr) {
      TESTWAR(*JEUJOUEURS, CHAMPION);
    }
  };
}
