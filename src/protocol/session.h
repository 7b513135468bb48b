#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "base/buffer.h"

class cAccount;
class cJoueur;

/// Stage of a client, from the greeting to play.
enum sState : uint8_t {
  CON_PLAYING = 0,     // logged in; lines go to the command interpreter
  CON_CLOSE = 1,       // unknown account; lines ignored until dropped for idleness
  CON_LOGIN = 2,       // waiting for the account name
  CON_PASSWORD = 3,    // waiting for the password
  CON_RACE = 4,        // waiting for the race of a new player
  CON_DISCONNECT = 5,  // the peer closed or the read failed; removed at once
  CON_CLOSING = 6,     // asked to quit; removed at the next poll with activity
};

/// Cuts a byte stream into lines: CR ends a line, LF is dropped wherever it
/// occurs, every other byte is kept as it is. A line holds at most MAXLINE
/// bytes; a longer one is discarded up to its CR. Empty lines are not kept.
class cLineAssembler {
 public:
  static constexpr std::size_t MAXLINE = 256;

  /// Frames N bytes; complete lines wait in arrival order for NEXTLINE.
  /// Returns how many over-long lines began to be discarded.
  int32_t FEED(const char* DATA, std::size_t N);
  bool HASLINE() const { return !FLINES.empty(); }
  /// Number of complete lines not taken yet.
  std::size_t COUNT() const { return FLINES.size(); }
  /// The oldest complete line (empty when none).
  std::string NEXTLINE();
  /// Forgets the complete lines not taken yet.
  void DROPLINES() { FLINES.clear(); }
  /// Bytes of the line being typed.
  std::size_t PARTIAL() const { return IDX; }

 private:
  std::array<char, MAXLINE> BUF{};
  std::size_t IDX = 0;
  bool FDISCARDING = false;
  std::deque<std::string> FLINES;
};

/// One client's side of the conversation, without any socket: the bytes it
/// sent cut into lines, what waits to be sent to it, its stage, and once logged
/// in its account and player. The login dialogue and the command handlers work
/// on a session; the server feeds it the bytes read and sends what it queues.
///
/// The account and the player belong to the global lists and outlive every
/// session (players are never destroyed while the server runs). A player being
/// created belongs to the session (FNEWJOUEUR) until it joins the player list;
/// its name stays reserved in the list meanwhile, and is freed if the session
/// goes first.
class cSession {
 public:
  cSession();
  virtual ~cSession();
  cSession(const cSession&) = delete;
  cSession& operator=(const cSession&) = delete;

  /// Frames bytes the client sent. Returns how many over-long lines began to
  /// be discarded.
  int32_t RECEIVEBYTES(const char* DATA, std::size_t N) { return FLINES.FEED(DATA, N); }
  /// Moves the next complete line into FCOMMAND, taken at tick NOW; false when
  /// none waits or the session is held (HOLDUNTIL) at NOW.
  bool TAKELINE(uint32_t NOW);
  /// Whether a complete line waits, and how many do.
  bool HASLINE() const { return FLINES.HASLINE(); }
  std::size_t WAITINGLINES() const { return FLINES.COUNT(); }
  /// Forgets the complete lines not acted on yet.
  void DROPLINES() { FLINES.DROPLINES(); }
  /// Takes no line before tick UNTIL.
  void HOLDUNTIL(uint32_t UNTIL);
  /// Whether lines are held at tick NOW.
  bool HELD(uint32_t NOW) const;
  /// The tick until which lines are held (meaningful while HELD).
  uint32_t HOLDTICK() const { return FHOLDUNTIL; }
  /// The tick at which FCOMMAND was taken.
  uint32_t LINETICK() const { return FLINETICK; }

  /// Queues S followed by CR LF.
  void SEND(const std::string& S);
  /// Queues every line of B (rewound first), each followed by CR LF.
  void SENDBUFFER(cBuffer& B);
  /// Bytes queued and not yet handed to the network.
  std::size_t PENDINGOUTPUT() const { return FOUTPUT.size() - FOUTSTART; }
  /// The first of the queued bytes.
  const char* PENDINGDATA() const { return FOUTPUT.data() + FOUTSTART; }
  /// A copy of the queued bytes.
  std::string OUTPUT() const { return FOUTPUT.substr(FOUTSTART); }
  /// Forgets the first N queued bytes (they were sent).
  void CONSUMEOUTPUT(std::size_t N);
  void CLEAROUTPUT() {
    FOUTPUT.clear();
    FOUTSTART = 0;
  }

  /// Looks the name (cut to 40 characters) up in JEUACCOUNTS, case ignored;
  /// FACCOUNT is the account found or null. Returns whether one was found.
  bool LOGON(const std::string& STRACCOUNT);
  void CHGSTATE(sState S) { FSTATE = S; }
  void RESETCOMMAND() { FCOMMAND.clear(); }

  /// The account's name as the accounts file writes it, its password, its level.
  std::string GETNAME() const;
  std::string GETPASSWD() const;
  uint8_t GETLEVEL() const;

  /// Takes the player being created (nothing when there is none): its name is
  /// no longer reserved, and the caller decides where it goes.
  std::unique_ptr<cJoueur> TAKENEWJOUEUR();

  std::string FCOMMAND;
  sState FSTATE = CON_LOGIN;
  cAccount* FACCOUNT = nullptr;
  cJoueur* FJOUEUR = nullptr;
  /// The player created at login that waits for its race (see above).
  std::unique_ptr<cJoueur> FNEWJOUEUR;
  /// Wrong passwords given on this connection.
  int32_t FWRONGPASSWORDS = 0;

 private:
  cLineAssembler FLINES;
  // Bytes before FOUTSTART were sent; they leave the string now and then, not
  // at every send.
  std::string FOUTPUT;
  std::size_t FOUTSTART = 0;
  uint32_t FLINETICK = 0;
  uint32_t FHOLDUNTIL = 0;
  bool FHOLDING = false;
};
