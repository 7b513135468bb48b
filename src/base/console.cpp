#include "base/console.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdint>

namespace {

cConsoleCapture* gCapture = nullptr;

// Standard output and the lines that wait for it.
struct tConsoleOutput {
  int FD = STDOUT_FILENO;
  bool NONBLOCKING = false;  // writes return at once (EAGAIN: the rest waits)
  bool SOCKET = false;       // written with send(), which can be told not to wait
  bool BROKEN = false;       // the reader has gone: lines are dropped quietly
  bool BATCH = false;        // lines wait for CONSOLEFLUSH
  std::string QUEUE;         // bytes waiting, from QUEUESTART on
  std::size_t QUEUESTART = 0;
  uint64_t DROPPED = 0;
};

tConsoleOutput& OUT() {
  static tConsoleOutput O;
  return O;
}

std::size_t WAITING(const tConsoleOutput& O) {
  return O.QUEUE.size() - O.QUEUESTART;
}

// Writes up to N bytes of DATA; the number written (0 when the output must be
// waited for). A blocking output is written whole.
std::size_t WRITESOME(tConsoleOutput& O, const char* DATA, std::size_t N) {
  std::size_t DONE = 0;
  while (DONE < N) {
    const ssize_t W = O.SOCKET ? ::send(O.FD, DATA + DONE, N - DONE, MSG_DONTWAIT | MSG_NOSIGNAL)
                               : ::write(O.FD, DATA + DONE, N - DONE);
    if (W > 0) {
      DONE += static_cast<std::size_t>(W);
      continue;
    }
    if (W < 0 && errno == EINTR) {
      continue;
    }
    if (W < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      break;
    }
    // Nobody reads the console any more: what is written is lost either way.
    O.BROKEN = true;
    O.QUEUE.clear();
    O.QUEUESTART = 0;
    return N;
  }
  return DONE;
}

void FLUSHQUEUE(tConsoleOutput& O) {
  while (WAITING(O) > 0 && !O.BROKEN) {
    const std::size_t W = WRITESOME(O, O.QUEUE.data() + O.QUEUESTART, WAITING(O));
    if (O.BROKEN) {
      return;
    }
    O.QUEUESTART += W;
    if (WAITING(O) == 0) {
      O.QUEUE.clear();
      O.QUEUESTART = 0;
      if (O.DROPPED > 0) {
        O.QUEUE = "Console: " + std::to_string(O.DROPPED) + " lines dropped\n";
        O.DROPPED = 0;
        continue;
      }
      return;
    }
    if (W == 0) {
      // Bytes already written leave the front of the queue now and then, not
      // at every write.
      if (O.QUEUESTART > O.QUEUE.size() / 2) {
        O.QUEUE.erase(0, O.QUEUESTART);
        O.QUEUESTART = 0;
      }
      return;
    }
  }
}

}  // namespace

std::string CONSOLETEXT(std::string_view LINE) {
  static constexpr std::array<char, 16> HEX{'0', '1', '2', '3', '4', '5', '6', '7',
                                            '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};
  std::string R;
  R.reserve(LINE.size());
  for (const char C : LINE) {
    const auto BYTE = static_cast<unsigned char>(C);
    // Printable ASCII and the Latin-1 letters and signs (0xA0 and above) stay;
    // control bytes of both ranges, DEL and the backslash itself are escaped.
    const bool PRINTABLE = (BYTE >= 0x20 && BYTE < 0x7F) || BYTE >= 0xA0;
    if (C == '\\') {
      R += "\\\\";
    } else if (PRINTABLE) {
      R += C;
    } else {
      R += "\\x";
      R += HEX[BYTE >> 4];
      R += HEX[BYTE & 0x0F];
    }
  }
  return R;
}

void CONSOLE(const std::string& LINE) {
  std::string TEXT = CONSOLETEXT(LINE);
  if (gCapture != nullptr) {
    gCapture->FLINES.push_back(std::move(TEXT));
    return;
  }
  tConsoleOutput& O = OUT();
  if (O.BROKEN) {
    return;
  }
  TEXT += '\n';
  if (!O.BATCH && WAITING(O) == 0 && O.DROPPED == 0) {
    const std::size_t W = WRITESOME(O, TEXT.data(), TEXT.size());
    if (O.BROKEN || W == TEXT.size()) {
      return;
    }
    TEXT.erase(0, W);
  }
  if (WAITING(O) + TEXT.size() > CONSOLEMAXQUEUE) {
    ++O.DROPPED;
    return;
  }
  O.QUEUE += TEXT;
  if (!O.BATCH) {
    FLUSHQUEUE(O);
  }
}

void CONSOLEBATCH(bool ON) {
  OUT().BATCH = ON;
}

void CONSOLEOPEN() {
  tConsoleOutput& O = OUT();
  struct stat ST {};
  if (::fstat(STDOUT_FILENO, &ST) != 0) {
    return;
  }
  if (S_ISSOCK(ST.st_mode)) {
    O.SOCKET = true;
    O.NONBLOCKING = true;
    return;
  }
  if (S_ISFIFO(ST.st_mode) || S_ISCHR(ST.st_mode)) {
    // A descriptor of our own: made non-blocking, it leaves the shell's as it was.
    const int FD = ::open("/proc/self/fd/1", O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (FD >= 0) {
      O.FD = FD;
      O.NONBLOCKING = true;
    }
  }
}

void CONSOLEFLUSH() {
  FLUSHQUEUE(OUT());
}

std::size_t CONSOLEPENDING() {
  return WAITING(OUT());
}

int CONSOLEWAITFD() {
  const tConsoleOutput& O = OUT();
  return (O.NONBLOCKING && WAITING(O) > 0) ? O.FD : -1;
}

void CONSOLEDRAIN(int MS) {
  const auto END = std::chrono::steady_clock::now() + std::chrono::milliseconds(MS);
  for (;;) {
    CONSOLEFLUSH();
    const int FD = CONSOLEWAITFD();
    const auto LEFT = std::chrono::duration_cast<std::chrono::milliseconds>(
                          END - std::chrono::steady_clock::now())
                          .count();
    if (FD < 0 || LEFT <= 0) {
      return;
    }
    pollfd P{FD, POLLOUT, 0};
    ::poll(&P, 1, static_cast<int>(LEFT));
  }
}

cConsoleCapture::cConsoleCapture() : FPREVIOUS(gCapture) {
  gCapture = this;
}

cConsoleCapture::~cConsoleCapture() {
  gCapture = FPREVIOUS;
}
