#pragma once

#include <memory>

#include "base/buffer.h"
#include "entities/ressource.h"
#include "world/knownmap.h"

class cListeBatimentsPosition;
class cListeBatimentsEnCours;
class cListeCreaturesPosition;
class cListeCreaturesEnCours;
class cListeChampionsPosition;

/// What a player holds in play, as its pieces reach it: its log, its stock of
/// resources, the squares it knows, its towns, troops and champions (and their
/// dead), and what it builds and recruits. Only a player is one: a piece's
/// owner is its player.
class cProprietaire {
 public:
  cProprietaire(const cProprietaire&) = delete;
  cProprietaire& operator=(const cProprietaire&) = delete;

  /// The player's messages (its log).
  cBuffer OUTPUT;
  cArrayRessources CAPITAL;
  std::unique_ptr<cListeBatimentsPosition> VILLES;
  std::unique_ptr<cListeBatimentsEnCours> CONSTRUCTIONS;
  std::unique_ptr<cListeCreaturesPosition> TROUPES;
  std::unique_ptr<cListeCreaturesEnCours> RECRUTEMENTS;
  std::unique_ptr<cListeChampionsPosition> CIMETIERE;
  std::unique_ptr<cListeChampionsPosition> CHAMPIONS;
  cMAT CARTE;

 protected:
  /// Every list empty, owned by this, and no resource.
  cProprietaire();
  ~cProprietaire();
};
