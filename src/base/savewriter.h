#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

/// Saves files on a thread of its own, so that the disk's flushes never hold
/// up the game: each file as SAVETEXTATOMIC saves it, in the order given.
/// Files that wait together are renamed one after the other and share one
/// flush of their directory, which comes before their outcome is told.
class cSaveWriter {
 public:
  /// The outcome of one file: TAG as given, and why it failed (ERROR).
  struct tDone {
    uint64_t TAG = 0;
    bool OK = false;
    std::string ERROR;
  };

  cSaveWriter() = default;
  /// Saves the files given and not saved yet, then stops the thread.
  ~cSaveWriter();
  cSaveWriter(const cSaveWriter&) = delete;
  cSaveWriter& operator=(const cSaveWriter&) = delete;

  /// A file to save: DATA into PATH through TMPPATH; its outcome carries TAG.
  struct tFile {
    std::string DATA;
    std::string PATH;
    std::string TMPPATH;
    uint64_t TAG = 0;
  };

  /// Gives FILES to be saved, after those given before, with one wake-up of
  /// the thread for all of them.
  void PUT(std::vector<tFile> FILES);
  /// The outcomes told since the last call, in the order the files were given.
  std::vector<tDone> TAKEDONE();
  /// Whether some file given has no outcome taken yet.
  bool BUSY();
  /// Waits until every file given has its outcome ready to take.
  void WAIT();

 private:
  void RUN();

  std::mutex FLOCK;
  std::condition_variable FWORK;
  std::condition_variable FIDLE;
  std::vector<tFile> FJOBS;
  std::vector<tDone> FDONE;
  // Files given whose outcome is not in FDONE yet.
  std::size_t FUNDERWAY = 0;
  bool FSTOP = false;
  // Started with the first file, so that a game that never saves has no thread.
  std::thread FTHREAD;
};
