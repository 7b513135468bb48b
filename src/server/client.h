#pragma once

#include <SDL/SDL_net.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "protocol/session.h"

/// One connected client: the session of its conversation, and what the server
/// needs to serve it on the network (its socket, its number in console lines,
/// the result of the last failed read, the tick of its last byte).
class cClientInfos : public cSession {
 public:
  /// Most bytes read from the socket in one poll.
  static constexpr int32_t READCHUNK = 512;

  /// A client on SOCKET (null: nothing is read or sent), created at tick NOW.
  cClientInfos(TCPsocket SOCKET, uint32_t NOW);
  ~cClientInfos() override;

  /// Reads what the socket has ready (up to READCHUNK bytes) into the session's
  /// framing. A closed peer or a failed read sets FERROR and CON_DISCONNECT.
  /// Returns the number of over-long lines that began to be discarded.
  int32_t RECEIVE(uint32_t NOW);
  /// Sends what the socket accepts now without waiting; the rest stays queued.
  void FLUSH();
  void CLOSE();
  /// Whether the last poll marked the socket ready.
  bool DATAREADY() const;

  TCPsocket SOCK;
  int32_t FNUM = -1;
  int32_t FERROR = 1;
  uint32_t FIDLE;
};

/// The connected clients in connection order; owns them.
class cListClients {
 public:
  cListClients() = default;
  ~cListClients();
  cListClients(const cListClients&) = delete;
  cListClients& operator=(const cListClients&) = delete;

  void ADD(std::unique_ptr<cClientInfos> CLIENT);
  /// Destroys the client at INDEX, closing its socket; later clients move up one.
  void DEL(int32_t INDEX);
  void DEL(const cClientInfos* CLIENT);
  /// Destroys every client, closing their sockets.
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
