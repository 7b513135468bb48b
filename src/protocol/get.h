#pragma once

#include <string>

#include "protocol/session.h"

/// "GET ...": the read-only queries. COMMAND is the upper-cased text after GET.
/// Writes its blocks into BUF.
void INTERPRET_GET(cSession& C, const std::string& COMMAND);
/// "GET GAME ...": the rule catalogues. COMMAND is the text after GAME.
void INTERPRET_GET_GAME(cSession& C, const std::string& COMMAND);
