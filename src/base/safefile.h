#pragma once

#include <string>

#include "base/buffer.h"

/// Writes every line of B, each followed by CR LF, into PATH without ever
/// leaving PATH half written: the lines go to TMPPATH (same directory), are
/// flushed to disk, TMPPATH is renamed over PATH and the directory is flushed
/// too (the rename is on disk only then). On failure PATH keeps its previous
/// content (or, when only the directory could not be flushed, holds the new
/// one), TMPPATH is removed, and ERROR says why.
bool SAVEFILEATOMIC(const cBuffer& B, const std::string& PATH, const std::string& TMPPATH,
                    std::string& ERROR);
/// The same for text already made by FILETEXT.
bool SAVETEXTATOMIC(const std::string& DATA, const std::string& PATH, const std::string& TMPPATH,
                    std::string& ERROR);
/// The same for a file that others than this process read: the new file takes
/// the permissions of the one it replaces and, when this process may give it
/// (as root), its owner; a file made anew gets NEWMODE.
bool SAVETEXTATOMICKEEPING(const std::string& DATA, const std::string& PATH,
                           const std::string& TMPPATH, unsigned NEWMODE, std::string& ERROR);
/// SAVETEXTATOMIC but for the flush of the directory, for a caller that saves
/// several files of one directory and flushes it once after them.
bool SAVETEXTRENAMED(const std::string& DATA, const std::string& PATH, const std::string& TMPPATH,
                     std::string& ERROR);
/// Flushes the directory that holds PATH: a rename is an entry of the
/// directory, which a power cut may take back until the directory is on disk.
bool SYNCDIRECTORYOF(const std::string& PATH, std::string& ERROR);
/// The bytes SAVEFILEATOMIC writes for B: every line followed by CR LF.
std::string FILETEXT(const cBuffer& B);

/// The system calls by which a save reaches the disk: the real ones, unless a
/// test puts in its own to watch their order.
struct tSaveCalls {
  int (*FSYNC)(int FD);
  int (*RENAME)(const char* FROM, const char* TO);
};
tSaveCalls& SAVECALLS();
