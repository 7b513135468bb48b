// The floor of a round trip: a line echo on the loopback, served by a thread
// of the load client itself.

#pragma once

#include <cstdint>
#include <thread>

/// Listens on 127.0.0.1 at a port the system chooses and sends every byte it
/// receives straight back, on one connection at a time. Stops with the object.
class cEchoServer {
 public:
  /// Throws cClientError when it cannot listen.
  cEchoServer();
  ~cEchoServer();
  cEchoServer(const cEchoServer&) = delete;
  cEchoServer& operator=(const cEchoServer&) = delete;
  uint16_t PORT() const { return FPORT; }

 private:
  void SERVE();

  int FLISTEN = -1;
  /// Written by the destructor to end SERVE.
  int FSTOP[2] = {-1, -1};
  uint16_t FPORT = 0;
  std::thread FTHREAD;
};
