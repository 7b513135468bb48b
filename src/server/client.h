#pragma once

#include <SDL/SDL_net.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

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

/// One connected client: its socket, the line framing of what it sends, what
/// waits to be sent to it, its stage, and once logged in its account and player
/// (neither owned).
class cClientInfos {
 public:
  /// Most bytes read from the socket in one poll.
  static constexpr int32_t READCHUNK = 512;

  /// A client on SOCKET (may be null in tests: output then only queues), created at tick NOW.
  cClientInfos(TCPsocket SOCKET, uint32_t NOW);
  virtual ~cClientInfos();
  cClientInfos(const cClientInfos&) = delete;
  cClientInfos& operator=(const cClientInfos&) = delete;

  /// Reads what the socket has ready (up to READCHUNK bytes) into the framing.
  /// A closed peer or a failed read sets FERROR and CON_DISCONNECT. Returns the
  /// number of over-long lines that began to be discarded.
  int32_t RECEIVE(uint32_t NOW);
  /// Frames bytes already read (RECEIVE's second half).
  int32_t RECEIVEBYTES(const char* DATA, std::size_t N) { return FLINES.FEED(DATA, N); }
  /// Moves the next complete line into FCOMMAND; false when none waits.
  bool TAKELINE();
  /// Forgets the complete lines not acted on yet.
  void DROPLINES() { FLINES.DROPLINES(); }

  /// Queues S followed by CR LF.
  void SEND(const std::string& S);
  /// Queues every line of B (rewound first), each followed by CR LF.
  void SENDBUFFER(cBuffer& B);
  /// Sends what the socket accepts now without waiting; the rest stays queued.
  void FLUSH();
  /// Bytes queued and not yet accepted by the socket.
  std::size_t PENDINGOUTPUT() const { return FOUTPUT.size(); }
  /// The queued bytes (what a socketless client has been sent).
  const std::string& OUTPUT() const { return FOUTPUT; }
  void CLEAROUTPUT() { FOUTPUT.clear(); }

  void CLOSE();
  /// Looks the name (cut to 40 characters) up in JEUACCOUNTS, case ignored;
  /// FACCOUNT is the account found or null. Returns whether one was found.
  bool LOGON(const std::string& STRACCOUNT);
  void CHGSTATE(sState S) { FSTATE = S; }
  void RESETCOMMAND() { FCOMMAND.clear(); }
  /// Whether the last poll marked the socket ready.
  bool DATAREADY() const;

  /// The account's name as the accounts file writes it, its password, its level.
  std::string GETNAME() const;
  std::string GETPASSWD() const;
  uint8_t GETLEVEL() const;

  TCPsocket SOCK;
  int32_t FNUM = -1;
  std::string FCOMMAND;
  int32_t FERROR = 1;
  sState FSTATE = CON_LOGIN;
  uint32_t FIDLE;
  cAccount* FACCOUNT = nullptr;
  cJoueur* FJOUEUR = nullptr;
  /// A player created at login that waits for its race: the client owns it until
  /// it joins JEUJOUEURS, and it is lost with the client if the client goes.
  std::unique_ptr<cJoueur> FNEWJOUEUR;

 private:
  cLineAssembler FLINES;
  std::string FOUTPUT;
};

/// The connected clients in connection order; owns them.
class cListClients {
 public:
  cListClients() = default;
  ~cListClients();
  cListClients(const cListClients&) = delete;
  cListClients& operator=(const cListClients&) = delete;

  void ADD(std::unique_ptr<cClientInfos> CLIENT);
  /// Closes the client at INDEX and destroys it; later clients move up one.
  void DEL(int32_t INDEX);
  void DEL(const cClientInfos* CLIENT);
  /// Closes and destroys every client.
  void CLEAR();
  TCPsocket GETSOCKET(int32_t INDEX) const { return GETCLIENT(INDEX)->SOCK; }
  cClientInfos* GETCLIENT(int32_t INDEX) const {
    return FCLIENTS.at(static_cast<std::size_t>(INDEX)).get();
  }
  int32_t GETCOUNT() const { return static_cast<int32_t>(FCLIENTS.size()); }

 private:
  std::vector<std::unique_ptr<cClientInfos>> FCLIENTS;
};

extern std::unique_ptr<cListClients> CLIENTS;
