#include "base/savewriter.h"

#include <sys/resource.h>
#include <unistd.h>

#include <map>
#include <utility>

#include "base/safefile.h"

cSaveWriter::~cSaveWriter() {
  {
    const std::lock_guard LOCK(FLOCK);
    FSTOP = true;
  }
  FWORK.notify_one();
  if (FTHREAD.joinable()) {
    FTHREAD.join();
  }
}

void cSaveWriter::PUT(std::vector<tFile> FILES) {
  if (FILES.empty()) {
    return;
  }
  {
    const std::lock_guard LOCK(FLOCK);
    FUNDERWAY += FILES.size();
    FJOBS.insert(FJOBS.end(), std::make_move_iterator(FILES.begin()),
                 std::make_move_iterator(FILES.end()));
    if (!FTHREAD.joinable()) {
      FTHREAD = std::thread([this] { RUN(); });
    }
  }
  FWORK.notify_one();
}

std::vector<cSaveWriter::tDone> cSaveWriter::TAKEDONE() {
  const std::lock_guard LOCK(FLOCK);
  return std::exchange(FDONE, {});
}

bool cSaveWriter::BUSY() {
  const std::lock_guard LOCK(FLOCK);
  return FUNDERWAY > 0 || !FDONE.empty();
}

void cSaveWriter::WAIT() {
  std::unique_lock LOCK(FLOCK);
  FIDLE.wait(LOCK, [this] { return FUNDERWAY == 0; });
}

void cSaveWriter::RUN() {
  // The game's thread comes first: the disk can wait.
  if (::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 19) != 0) {
    // Left at the process's priority.
  }
  std::unique_lock LOCK(FLOCK);
  for (;;) {
    FWORK.wait(LOCK, [this] { return FSTOP || !FJOBS.empty(); });
    if (FJOBS.empty()) {
      return;
    }
    std::vector<tFile> BATCH = std::exchange(FJOBS, {});
    LOCK.unlock();
    std::vector<tDone> DONE;
    // The directories of the files renamed, each flushed once for the batch.
    std::map<std::string, std::vector<std::size_t>> RENAMED;
    for (const tFile& J : BATCH) {
      tDone D{J.TAG, false, {}};
      D.OK = SAVETEXTRENAMED(J.DATA, J.PATH, J.TMPPATH, D.ERROR);
      if (D.OK) {
        const std::size_t SLASH = J.PATH.rfind('/');
        RENAMED[SLASH == std::string::npos ? std::string() : J.PATH.substr(0, SLASH)].push_back(
            DONE.size());
      }
      DONE.push_back(std::move(D));
    }
    for (const auto& [DIR, WHICH] : RENAMED) {
      std::string ERROR;
      if (!SYNCDIRECTORYOF(BATCH[WHICH.front()].PATH, ERROR)) {
        // Renamed but perhaps not on disk: a failure, the file holding the new text.
        for (const std::size_t I : WHICH) {
          DONE[I].OK = false;
          DONE[I].ERROR = ERROR;
        }
      }
    }
    LOCK.lock();
    FDONE.insert(FDONE.end(), std::make_move_iterator(DONE.begin()),
                 std::make_move_iterator(DONE.end()));
    FUNDERWAY -= BATCH.size();
    FIDLE.notify_all();
  }
}
