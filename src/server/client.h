#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "protocol/session.h"

/// One connected client: the session of its conversation, and what the server
/// needs to serve it on the network: its socket (a descriptor, non-blocking),
/// its number in console lines, the result of the last failed read, the ticks
/// of its connection and of its last byte, and the address it comes from.
class cClientInfos : public cSession {
 public:
  /// Most bytes read from the socket at a time: a client that sends more is
  /// read again at the next turn of the loop, after the others.
  static constexpr std::size_t READCHUNK = 16 * 1024;

  /// A client on the descriptor SOCKET (-1: nothing is read or sent), which it
  /// owns, connected at tick NOW from the IPv4 address HOST (network order).
  cClientInfos(int SOCKET, uint32_t NOW, uint32_t HOST = 0);
  ~cClientInfos() override;

  /// Reads what the socket has ready, up to READCHUNK bytes, into the
  /// session's framing. A closed peer or a failed read sets FERROR and
  /// CON_DISCONNECT. Returns the number of over-long lines that began to be
  /// discarded.
  int32_t RECEIVE(uint32_t NOW);
  /// Sends what the socket accepts now without waiting; the rest stays
  /// queued. Returns the number of bytes the socket took.
  std::size_t FLUSH();
  void CLOSE();

  int SOCK;
  int32_t FNUM = -1;
  int32_t FERROR = 1;
  uint32_t FIDLE;
  uint32_t FCREATED;
  uint32_t FHOST;
  /// A number no other client of the run has: what the server's event
  /// registrations name the client by.
  uint64_t FID = 0;
  /// The events the server watches the socket for now.
  uint32_t FEVENTS = 0;
  /// Whether the client waits in the server's turn of clients with lines.
  bool FQUEUED = false;
  /// Whether more output waits than the server's bound, and the tick at which
  /// its socket last took a byte (or at which it went over the bound).
  bool FOVERFULL = false;
  uint32_t FLASTSENT = 0;
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
  cClientInfos* GETCLIENT(int32_t INDEX) const {
    return FCLIENTS.at(static_cast<std::size_t>(INDEX)).get();
  }
  /// The client whose FID is ID, or nullptr when it has gone.
  cClientInfos* FINDID(uint64_t ID) const;
  int32_t GETCOUNT() const { return static_cast<int32_t>(FCLIENTS.size()); }

 private:
  std::vector<std::unique_ptr<cClientInfos>> FCLIENTS;
  std::unordered_map<uint64_t, cClientInfos*> FBYID;
};

extern std::unique_ptr<cListClients> CLIENTS;
