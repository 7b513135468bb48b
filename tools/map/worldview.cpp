#include "worldview.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "base/console.h"
#include "base/errors.h"
#include "entities/caract.h"
#include "entities/classe.h"
#include "entities/race.h"
#include "entities/ressource.h"
#include "forces/batiment.h"
#include "forces/champion.h"
#include "forces/championpos.h"
#include "forces/creature.h"
#include "forces/troupe.h"
#include "forces/ville.h"
#include "latin1.h"
#include "players/joueur.h"
#include "server/gamedir.h"
#include "server/startup.h"
#include "world/terrain.h"
#include "world/world.h"

namespace {

constexpr int NSQUARES = tWorldView::SIZE * tWorldView::SIZE;

// The squares of data/world.wld, opened for reading only.
void READSQUARES(tWorldView& W) {
  const std::string PATH = WORLDFILENAME;
  std::ifstream IN(PATH, std::ios::binary);
  if (!IN) {
    throw cLoadError("Cannot read " + PATH + " (the server makes it at its first start)");
  }
  const int64_t RS = cSquare::RECORDSIZE(W.RESSOURCES.size());
  for (int M = 1; M <= NSQUARES; ++M) {
    cSquare S;
    IN.seekg(M * RS);
    if (!IN || !S.LOADFROMFILE(IN)) {
      throw cLoadError(PATH + " holds no square " + std::to_string(M) +
                       ": it is not the world of these resources");
    }
    W.TERRAIN.push_back(S.TYPETERRAIN);
    W.DEPOSITS.push_back(S.RESSDISPO);
  }
}

void READPLAYERS(tWorldView& W) {
  JEUJOUEURS = std::make_unique<cListeJoueurs>("jeuJoueurs");
  JEUJOUEURS->LOADPLAYERS();
  std::map<std::string, const cJoueur*> BYFILE;
  for (int32_t I = 0; I < JEUJOUEURS->COUNT(); ++I) {
    const cJoueur* J = JEUJOUEURS->ITEM(I);
    BYFILE[J->FILENAME()] = J;
  }
  for (const auto& [FILE, J] : BYFILE) {
    tPlayerInfo P;
    P.NAME = J->FNAME;
    for (int32_t I = 0; I < J->VILLES->COUNT(); ++I) {
      const cBatimentPosition* B = J->VILLES->ITEM(I);
      P.PIECES.push_back({tPieceInfo::BUILDING, B->FINDEX, B->FNAME, 0});
    }
    for (int32_t I = 0; I < J->CHAMPIONS->COUNT(); ++I) {
      const cChampionPosition* C = J->CHAMPIONS->ITEM(I);
      int UNITS = 0;
      for (int32_t Y = 1; Y <= cArmee::NBLINES; ++Y) {
        const cListeTroupes& LINE = C->ARMEES.LINE(Y);
        for (int32_t K = 0; K < LINE.COUNT(); ++K) {
          UNITS += LINE.ITEM(K)->FNBTROUPES;
        }
      }
      P.PIECES.push_back({tPieceInfo::CHAMPION, C->FINDEX, C->FNAME, UNITS});
    }
    for (int32_t I = 0; I < J->TROUPES->COUNT(); ++I) {
      const cCreaturePosition* T = J->TROUPES->ITEM(I);
      P.PIECES.push_back({tPieceInfo::TROOP, T->FINDEX, T->FNAME, T->FNBTROUPES});
    }
    W.PLAYERS.push_back(std::move(P));
  }
}

std::string COORD(int SQUARE) {
  return std::to_string((SQUARE - 1) % tWorldView::SIZE + 1) + "," +
         std::to_string((SQUARE - 1) / tWorldView::SIZE + 1);
}

// The letter of the Nth player: A to Z, then a to z, then digits, then '+'.
char LETTER(std::size_t N) {
  static const std::string LETTERS =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  return N < LETTERS.size() ? LETTERS[N] : '+';
}

// The marker of a square: the letter of its one player, '*' for several, ' '.
char MARKER(const tWorldView& W, int SQUARE) {
  char M = ' ';
  for (std::size_t P = 0; P < W.PLAYERS.size(); ++P) {
    for (const auto& PIECE : W.PLAYERS[P].PIECES) {
      if (PIECE.SQUARE == SQUARE) {
        M = M == ' ' || M == LETTER(P) ? LETTER(P) : '*';
      }
    }
  }
  return M;
}

std::string PAD(std::string S, std::size_t N) {
  return S.size() >= N ? S : S + std::string(N - S.size(), ' ');
}

std::string PIECETEXT(const tPieceInfo& P) {
  switch (P.KIND) {
    case tPieceInfo::BUILDING:
      return UTF8(P.NAME) + " (building)";
    case tPieceInfo::CHAMPION:
      return UTF8(P.NAME) + " (champion, army of " + std::to_string(P.UNITS) + ")";
    case tPieceInfo::TROOP:
      return std::to_string(P.UNITS) + " " + UTF8(P.NAME) + " (troop)";
  }
  return {};
}

std::string XML(const std::string& LATIN1) {
  std::string R;
  for (const char C : UTF8(LATIN1)) {
    switch (C) {
      case '&':
        R += "&amp;";
        break;
      case '<':
        R += "&lt;";
        break;
      case '>':
        R += "&gt;";
        break;
      case '"':
        R += "&quot;";
        break;
      default:
        R += C;
    }
  }
  return R;
}

// Fixed colours: terrains by number, players by order.
const std::array<const char*, 8> TERRAINCOLOURS{"#b8d98b", "#3f7d3a", "#c9a66b", "#9a9a9a",
                                                "#6b7f7a", "#d7c98a", "#8fb3d9", "#d99a8f"};
const std::array<const char*, 8> PLAYERCOLOURS{"#d62728", "#1f3fd6", "#ff9900", "#8c1fd6",
                                               "#00a0a0", "#e377c2", "#000000", "#ffffff"};

}  // namespace

std::optional<tWorldView> READWORLD(const std::string& DIR, std::string& ERROR) {
  // Without the world open, placing a champion says its square is missing on
  // the console: the reader keeps such lines out.
  return READGAMEDIR(DIR, ERROR, [] {
    tWorldView W;
    for (int32_t I = 0; I < JEURESSOURCES->COUNT(); ++I) {
      const cMobile* R = JEURESSOURCES->SEARCH(I);
      W.RESSOURCES.push_back(R != nullptr ? R->FNAME : "?");
    }
    for (int32_t I = 0; I < JEUTERRAINS->COUNT(); ++I) {
      const cTerrain* T = JEUTERRAINS->TERRAINAT(I);
      W.TERRAINS.push_back({T->FNAME, T->FSIGN.empty() ? '?' : T->FSIGN[0], T->FNEEDMOVE});
    }
    READSQUARES(W);
    READPLAYERS(W);
    return W;
  });
}

std::string TEXTMAP(const tWorldView& W, bool DEPOSITS) {
  std::string OUT = "     ";
  for (int X = 1; X <= tWorldView::SIZE; ++X) {
    OUT += PAD(std::to_string(X), 3);
  }
  OUT.erase(OUT.find_last_not_of(' ') + 1);
  OUT += "\n";
  for (int Y = 1; Y <= tWorldView::SIZE; ++Y) {
    std::string ROW = PAD(std::to_string(Y), 5);
    for (int X = 1; X <= tWorldView::SIZE; ++X) {
      const int M = (Y - 1) * tWorldView::SIZE + X;
      const int T = W.TERRAIN[static_cast<std::size_t>(M - 1)];
      const bool KNOWN = T >= 0 && static_cast<std::size_t>(T) < W.TERRAINS.size();
      ROW += KNOWN ? W.TERRAINS[static_cast<std::size_t>(T)].SIGN : '?';
      ROW += MARKER(W, M);
      ROW += ' ';
    }
    ROW.erase(ROW.find_last_not_of(' ') + 1);
    OUT += ROW + "\n";
  }
  OUT += "\nTerrains:\n";
  for (const auto& T : W.TERRAINS) {
    OUT += "  " + std::string(1, T.SIGN) + "  " + PAD(UTF8(T.NAME), 12) + "move " +
           std::to_string(T.MOVE) + "\n";
  }
  OUT += "\nPlayers:\n";
  if (W.PLAYERS.empty()) {
    OUT += "  none\n";
  }
  for (std::size_t P = 0; P < W.PLAYERS.size(); ++P) {
    OUT += "  " + std::string(1, LETTER(P)) + "  " + UTF8(W.PLAYERS[P].NAME) + "\n";
    for (const auto& PIECE : W.PLAYERS[P].PIECES) {
      OUT += "       " + PAD(PIECE.SQUARE > 0 ? COORD(PIECE.SQUARE) : "-", 6) + PIECETEXT(PIECE) +
             "\n";
    }
  }
  bool SHARED = false;
  for (int M = 1; M <= tWorldView::SIZE * tWorldView::SIZE; ++M) {
    SHARED = SHARED || MARKER(W, M) == '*';
  }
  if (SHARED) {
    OUT += "  *  several players on the square\n";
  }
  if (DEPOSITS) {
    for (std::size_t R = 0; R < W.RESSOURCES.size(); ++R) {
      OUT += "\nDeposits of " + UTF8(W.RESSOURCES[R]) + ":\n     ";
      for (int X = 1; X <= tWorldView::SIZE; ++X) {
        OUT += std::string(6 - std::to_string(X).size(), ' ') + std::to_string(X);
      }
      OUT += "\n";
      for (int Y = 1; Y <= tWorldView::SIZE; ++Y) {
        OUT += PAD(std::to_string(Y), 5);
        for (int X = 1; X <= tWorldView::SIZE; ++X) {
          const auto& D = W.DEPOSITS[static_cast<std::size_t>((Y - 1) * tWorldView::SIZE + X - 1)];
          const std::string V = R < D.size() ? std::to_string(D[R]) : "?";
          OUT += std::string(6 - std::min<std::size_t>(V.size(), 5), ' ') + V;
        }
        OUT += "\n";
      }
    }
  }
  return OUT;
}

std::string SVGMAP(const tWorldView& W, bool DEPOSITS, const std::string& TITLE) {
  const int CELL = 48;
  const int LEFT = 24;
  const int TOP = 48;
  const int MAPSIZE = CELL * tWorldView::SIZE;
  const int LEGENDX = LEFT + MAPSIZE + 24;
  const int LINES = static_cast<int>(W.TERRAINS.size() + W.PLAYERS.size()) + 6;
  const int HEIGHT = std::max(TOP + MAPSIZE + 16, TOP + 20 * LINES);
  std::string S;
  const auto ADD = [&S](const std::string& L) { S += L + "\n"; };
  ADD("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  ADD("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(LEGENDX + 300) +
      "\" height=\"" + std::to_string(HEIGHT) + "\" font-family=\"sans-serif\" font-size=\"12\">");
  ADD("<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>");
  ADD("<text x=\"" + std::to_string(LEFT) + "\" y=\"20\" font-size=\"16\">" + XML(TITLE) +
      "</text>");
  for (int I = 1; I <= tWorldView::SIZE; ++I) {
    const std::string C = std::to_string(LEFT + (I - 1) * CELL + CELL / 2);
    const std::string R = std::to_string(TOP + (I - 1) * CELL + CELL / 2 + 4);
    ADD("<text x=\"" + C + "\" y=\"" + std::to_string(TOP - 6) + "\" text-anchor=\"middle\">" +
        std::to_string(I) + "</text>");
    ADD("<text x=\"" + std::to_string(LEFT - 6) + "\" y=\"" + R + "\" text-anchor=\"end\">" +
        std::to_string(I) + "</text>");
  }
  for (int M = 1; M <= tWorldView::SIZE * tWorldView::SIZE; ++M) {
    const int X = LEFT + (M - 1) % tWorldView::SIZE * CELL;
    const int Y = TOP + (M - 1) / tWorldView::SIZE * CELL;
    const int T = W.TERRAIN[static_cast<std::size_t>(M - 1)];
    const bool KNOWN = T >= 0 && static_cast<std::size_t>(T) < W.TERRAINS.size();
    const std::string FILL = KNOWN ? TERRAINCOLOURS[static_cast<std::size_t>(T) % 8] : "#ffffff";
    ADD("<rect x=\"" + std::to_string(X) + "\" y=\"" + std::to_string(Y) + "\" width=\"" +
        std::to_string(CELL) + "\" height=\"" + std::to_string(CELL) + "\" fill=\"" + FILL +
        "\" stroke=\"#444444\"><title>" + COORD(M) + " " +
        (KNOWN ? XML(W.TERRAINS[static_cast<std::size_t>(T)].NAME) : std::string("?")) +
        "</title></rect>");
    ADD("<text x=\"" + std::to_string(X + 4) + "\" y=\"" + std::to_string(Y + 14) +
        "\" fill=\"#222222\">" +
        XML(std::string(1, KNOWN ? W.TERRAINS[static_cast<std::size_t>(T)].SIGN : '?')) +
        "</text>");
    if (DEPOSITS) {
      std::string D;
      for (const uint16_t V : W.DEPOSITS[static_cast<std::size_t>(M - 1)]) {
        D += (D.empty() ? "" : "/") + std::to_string(V);
      }
      ADD("<text x=\"" + std::to_string(X + 2) + "\" y=\"" + std::to_string(Y + CELL - 4) +
          "\" font-size=\"7\">" + D + "</text>");
    }
  }
  // Each player's pieces: a circle for a champion, a square for a building, a
  // triangle for a troop, a row per player on the square.
  std::map<int, int> ROWS;
  for (std::size_t P = 0; P < W.PLAYERS.size(); ++P) {
    const char* COLOUR = PLAYERCOLOURS[P % 8];
    std::map<int, int> DONE;
    for (const auto& PIECE : W.PLAYERS[P].PIECES) {
      if (PIECE.SQUARE < 1 || PIECE.SQUARE > NSQUARES) {
        continue;
      }
      if (DONE.count(PIECE.SQUARE) == 0) {
        DONE[PIECE.SQUARE] = ROWS[PIECE.SQUARE]++;
      }
      const int X = LEFT + (PIECE.SQUARE - 1) % tWorldView::SIZE * CELL + 18 + 10 * PIECE.KIND;
      const int Y =
          TOP + (PIECE.SQUARE - 1) / tWorldView::SIZE * CELL + 10 + 10 * (DONE[PIECE.SQUARE] % 3);
      const std::string TIP =
          "<title>" + XML(W.PLAYERS[P].NAME) + ": " + XML(PIECE.NAME) + "</title>";
      const std::string STYLE = "fill=\"" + std::string(COLOUR) + "\" stroke=\"#000000\"";
      if (PIECE.KIND == tPieceInfo::CHAMPION) {
        ADD("<circle cx=\"" + std::to_string(X) + "\" cy=\"" + std::to_string(Y) + "\" r=\"4\" " +
            STYLE + ">" + TIP + "</circle>");
      } else if (PIECE.KIND == tPieceInfo::BUILDING) {
        ADD("<rect x=\"" + std::to_string(X - 4) + "\" y=\"" + std::to_string(Y - 4) +
            "\" width=\"8\" height=\"8\" " + STYLE + ">" + TIP + "</rect>");
      } else {
        ADD("<polygon points=\"" + std::to_string(X) + "," + std::to_string(Y - 4) + " " +
            std::to_string(X + 4) + "," + std::to_string(Y + 4) + " " + std::to_string(X - 4) +
            "," + std::to_string(Y + 4) + "\" " + STYLE + ">" + TIP + "</polygon>");
      }
    }
  }
  // The legend.
  int LY = TOP + 4;
  const auto LEGEND = [&](const std::string& SHAPE, const std::string& TEXT) {
    if (!SHAPE.empty()) {
      ADD(SHAPE);
    }
    ADD("<text x=\"" + std::to_string(LEGENDX + 22) + "\" y=\"" + std::to_string(LY + 4) + "\">" +
        TEXT + "</text>");
    LY += 20;
  };
  ADD("<text x=\"" + std::to_string(LEGENDX) + "\" y=\"" + std::to_string(LY - 12) +
      "\" font-weight=\"bold\">Terrains</text>");
  LY += 8;
  for (std::size_t T = 0; T < W.TERRAINS.size(); ++T) {
    LEGEND("<rect x=\"" + std::to_string(LEGENDX) + "\" y=\"" + std::to_string(LY - 8) +
               "\" width=\"16\" height=\"16\" fill=\"" + TERRAINCOLOURS[T % 8] +
               "\" stroke=\"#444444\"/>",
           XML(std::string(1, W.TERRAINS[T].SIGN)) + "  " + XML(W.TERRAINS[T].NAME) + " (move " +
               std::to_string(W.TERRAINS[T].MOVE) + ")");
  }
  LY += 12;
  ADD("<text x=\"" + std::to_string(LEGENDX) + "\" y=\"" + std::to_string(LY - 12) +
      "\" font-weight=\"bold\">Players</text>");
  LY += 8;
  for (std::size_t P = 0; P < W.PLAYERS.size(); ++P) {
    LEGEND("<rect x=\"" + std::to_string(LEGENDX) + "\" y=\"" + std::to_string(LY - 8) +
               "\" width=\"16\" height=\"16\" fill=\"" + PLAYERCOLOURS[P % 8] +
               "\" stroke=\"#000000\"/>",
           XML(W.PLAYERS[P].NAME));
  }
  LY += 12;
  LEGEND("<circle cx=\"" + std::to_string(LEGENDX + 8) + "\" cy=\"" + std::to_string(LY) +
             "\" r=\"4\" fill=\"#ffffff\" stroke=\"#000000\"/>",
         "champion");
  LEGEND("<rect x=\"" + std::to_string(LEGENDX + 4) + "\" y=\"" + std::to_string(LY - 4) +
             "\" width=\"8\" height=\"8\" fill=\"#ffffff\" stroke=\"#000000\"/>",
         "building");
  LEGEND("<polygon points=\"" + std::to_string(LEGENDX + 8) + "," + std::to_string(LY - 4) + " " +
             std::to_string(LEGENDX + 12) + "," + std::to_string(LY + 4) + " " +
             std::to_string(LEGENDX + 4) + "," + std::to_string(LY + 4) +
             "\" fill=\"#ffffff\" stroke=\"#000000\"/>",
         "troop");
  if (DEPOSITS) {
    std::string NAMES;
    for (const auto& R : W.RESSOURCES) {
      NAMES += (NAMES.empty() ? "" : "/") + XML(R);
    }
    LEGEND("", "deposits: " + NAMES);
  }
  ADD("</svg>");
  return S;
}

std::string MAPTITLE(const std::string& DIR) {
  std::error_code EC;
  std::filesystem::path P = std::filesystem::weakly_canonical(std::filesystem::absolute(DIR), EC);
  if (!P.has_filename()) {
    P = P.parent_path();
  }
  const std::string NAME = P.filename().string();
  return NAME.empty() ? "Royaumes: the world" : "Royaumes: the world of " + NAME;
}
