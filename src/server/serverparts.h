#pragma once

#include <sys/epoll.h>

#include <cstdint>
#include <string>

#include "server/client.h"

// What the files of cServer share, and only they: the names the event watch
// knows its sockets by, how a socket is watched, the console line of a client.

// What the event watch names its sockets by: clients by their FID (from 1).
inline constexpr uint64_t LISTENID = 0;
inline constexpr uint64_t WAKEID = UINT64_MAX;
inline constexpr uint64_t CONSOLEID = UINT64_MAX - 1;

// How long the listen queue is left alone when the process has no descriptor
// left for a new connection.
inline constexpr uint32_t NODESCRIPTORPAUSE = 100;

inline std::string CLIENTLINE(const cClientInfos& C, const char* ENDING) {
  return "Client " + std::to_string(C.FNUM) + ENDING;
}

inline bool WATCHFD(int EPOLL, int OP, int FD, uint32_t EVENTS, uint64_t ID) {
  epoll_event EV{};
  EV.events = EVENTS;
  EV.data.u64 = ID;
  return epoll_ctl(EPOLL, OP, FD, &EV) == 0;
}
