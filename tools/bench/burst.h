// A burst of connections that are closed as soon as they are open, and the
// greeting of the client that comes after them.

#pragma once

#include <cstdint>
#include <optional>
#include <string>

/// What the burst managed.
struct tBurst {
  /// Connections established (and closed at once), and of those the ones
  /// closed with a reset.
  int OPENED = 0;
  int RESET = 0;
  /// 1 when a connection was not established within a second: the burst
  /// stopped there.
  int FAILED = 0;
  double SECONDS = 0;
};

/// Opens COUNT connections to 127.0.0.1:PORT one after another, as fast as
/// they are established, and closes each at once: every second one with a
/// reset (SO_LINGER with a zero time-out), the others with an orderly close.
/// Stops at the first connection not established within a second.
tBurst CONNECTANDCLOSE(int COUNT, uint16_t PORT);

/// The burst in words, for the table.
std::string BURSTTEXT(const tBurst& B);

/// Connects to 127.0.0.1:PORT and waits for the line "Welcome": the time from
/// the connection's start to that line in microseconds, or nothing when it
/// has not come within LIMITMS. Throws cClientError when the connection fails,
/// closes first or begins with another line.
std::optional<long long> WAITFORWELCOME(uint16_t PORT, int LIMITMS);
