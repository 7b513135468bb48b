#include "base/safefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Writes all of DATA to FD, going on after partial writes and interruptions.
bool WRITEALL(int FD, const std::string& DATA) {
  std::size_t DONE = 0;
  while (DONE < DATA.size()) {
    const ssize_t N = ::write(FD, DATA.data() + DONE, DATA.size() - DONE);
    if (N < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    DONE += static_cast<std::size_t>(N);
  }
  return true;
}

}  // namespace

bool SYNCDIRECTORYOF(const std::string& PATH, std::string& ERROR) {
  const std::size_t SLASH = PATH.rfind('/');
  const std::string DIR =
      SLASH == std::string::npos ? "." : (SLASH == 0 ? "/" : PATH.substr(0, SLASH));
  const int FD = ::open(DIR.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  bool OK = FD >= 0 && SAVECALLS().FSYNC(FD) == 0;
  if (!OK) {
    ERROR = DIR + ": " + std::strerror(errno);
  }
  if (FD >= 0) {
    ::close(FD);
  }
  return OK;
}

tSaveCalls& SAVECALLS() {
  static tSaveCalls CALLS{&::fsync, &::rename};
  return CALLS;
}

std::string FILETEXT(const cBuffer& B) {
  std::string DATA;
  for (const auto& LINE : B.LINES()) {
    DATA += LINE;
    DATA += "\r\n";
  }
  return DATA;
}

bool SAVEFILEATOMIC(const cBuffer& B, const std::string& PATH, const std::string& TMPPATH,
                    std::string& ERROR) {
  return SAVETEXTATOMIC(FILETEXT(B), PATH, TMPPATH, ERROR);
}

namespace {

// Writes DATA into TMPPATH (made with MODE under the umask), flushes it to
// disk and renames it over PATH; on failure removes TMPPATH. With LIKE the new
// file gets LIKE's permissions exactly, and its owner too when CHOWN. The
// directory is left to the caller to flush.
bool WRITEANDRENAME(const std::string& DATA, const std::string& PATH, const std::string& TMPPATH,
                    mode_t MODE, const struct stat* LIKE, bool CHOWN, std::string& ERROR) {
  const int FD = ::open(TMPPATH.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, MODE);
  if (FD < 0) {
    ERROR = TMPPATH + ": " + std::strerror(errno);
    return false;
  }
  bool OK = true;
  if (LIKE != nullptr) {
    OK = ::fchmod(FD, LIKE->st_mode & 07777) == 0 &&
         (!CHOWN || ::fchown(FD, LIKE->st_uid, LIKE->st_gid) == 0);
  }
  OK = OK && WRITEALL(FD, DATA) && SAVECALLS().FSYNC(FD) == 0;
  if (!OK) {
    ERROR = TMPPATH + ": " + std::strerror(errno);
  }
  if (::close(FD) != 0 && OK) {
    OK = false;
    ERROR = TMPPATH + ": " + std::strerror(errno);
  }
  if (OK && SAVECALLS().RENAME(TMPPATH.c_str(), PATH.c_str()) != 0) {
    OK = false;
    ERROR = PATH + ": " + std::strerror(errno);
  }
  if (!OK) {
    std::remove(TMPPATH.c_str());
  }
  return OK;
}

}  // namespace

bool SAVETEXTRENAMED(const std::string& DATA, const std::string& PATH, const std::string& TMPPATH,
                     std::string& ERROR) {
  return WRITEANDRENAME(DATA, PATH, TMPPATH, 0644, nullptr, false, ERROR);
}

bool SAVETEXTATOMIC(const std::string& DATA, const std::string& PATH, const std::string& TMPPATH,
                    std::string& ERROR) {
  return SAVETEXTRENAMED(DATA, PATH, TMPPATH, ERROR) && SYNCDIRECTORYOF(PATH, ERROR);
}

bool SAVETEXTATOMICKEEPING(const std::string& DATA, const std::string& PATH,
                           const std::string& TMPPATH, unsigned NEWMODE, std::string& ERROR) {
  struct stat OLD {};
  const bool EXISTS = ::stat(PATH.c_str(), &OLD) == 0;
  return WRITEANDRENAME(DATA, PATH, TMPPATH, static_cast<mode_t>(NEWMODE), EXISTS ? &OLD : nullptr,
                        ::geteuid() == 0, ERROR) &&
         SYNCDIRECTORYOF(PATH, ERROR);
}
