#include "forces/proprietaire.h"

#include "forces/championpos.h"
#include "forces/troupe.h"
#include "forces/ville.h"

cProprietaire::cProprietaire()
    : VILLES(std::make_unique<cListeBatimentsPosition>(this)),
      CONSTRUCTIONS(std::make_unique<cListeBatimentsEnCours>(this)),
      TROUPES(std::make_unique<cListeCreaturesPosition>(this)),
      RECRUTEMENTS(std::make_unique<cListeCreaturesEnCours>(this)),
      CIMETIERE(std::make_unique<cListeChampionsPosition>("")),
      CHAMPIONS(std::make_unique<cListeChampionsPosition>("")) {}

cProprietaire::~cProprietaire() = default;
