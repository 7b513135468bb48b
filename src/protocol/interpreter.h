#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/buffer.h"
#include "protocol/session.h"

/// The shared reply buffer: every handler writes its reply here; it is cleared
/// at the start of every command and sent after it.
extern std::unique_ptr<cBuffer> BUF;

/// Writes fixed LINES (a help, say) into BUF.
template <std::size_t N>
void WRITELINES(const std::array<std::string_view, N>& LINES) {
  for (const auto& LINE : LINES) {
    BUF->WRITELN(std::string(LINE));
  }
}

/// A command family: the client and the upper-cased line without its keyword.
using tCommandHandler = void (*)(cSession& C, const std::string& COMMAND);

/// One top-level keyword: its help line and its handler (null until the family
/// exists: the keyword then answers nothing).
struct tCommandEntry {
  std::string_view KEYWORD;
  std::string_view HELPLINE;
  tCommandHandler HANDLER;
};

/// Executes the pending line (FCOMMAND) of a client in play, sends the reply
/// that the handler left in BUF, and clears the line.
void INTERPRETER(cSession& CLIENT);

/// "ADMIN SHUTDOWN": answers "stop" (it does not stop the server).
void INTERPRET_ADMIN(cSession& C, const std::string& COMMAND);
/// "SERVER [HELP|WHOAMI|QUIT]".
void INTERPRET_SERVER(cSession& C, const std::string& COMMAND);
/// "TURN N": the player passes N turns; the reply holds every message of the player.
void TURNCOMMAND(cSession& C, const std::string& COMMAND);

/// Passes N turns of the player (none for N <= 0) and writes every message of
/// the player into OUT. Turns asked beyond those left give one refusal line.
void PASSPLAYERTURNS(cJoueur& J, int32_t N, cBuffer& OUT);
