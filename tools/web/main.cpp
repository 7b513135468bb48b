// royaumes-web: lets browsers play. Serves the page's files and the rules, and
// relays each WebSocket at /ws to a connection of its own to the game server.

#include <boost/asio/io_context.hpp>

#include <iostream>
#include <string>
#include <vector>

#include "args.h"
#include "base/console.h"
#include "gateway.h"
#include "options.h"
#include "rules.h"

#ifndef ROYAUMES_WWWDIR
#define ROYAUMES_WWWDIR "web"
#endif

int main(int ARGC, char** ARGV) {
  const std::vector<std::string> ARGS(ARGV + 1, ARGV + ARGC);
  const cArgs A(ARGS, {}, {"--help", "-h", "--version"});
  if (A.HAS("--help") || A.HAS("-h") || A.HAS("--version")) {
    return *ANSWERHELPVERSIONERROR(A, "royaumes-web", WEBUSAGE, ROYAUMES_VERSION);
  }
  std::string ERROR;
  const auto OPTIONS = PARSEWEBOPTIONS(ARGS, ROYAUMES_WWWDIR, ERROR);
  if (!OPTIONS) {
    std::cerr << "royaumes-web: " << ERROR << "\n" << WEBUSAGE;
    return 2;
  }
  auto RULES = RULESJSON(OPTIONS->DIR, ERROR);
  if (!RULES) {
    std::cerr << "royaumes-web: " << ERROR << "\n";
    return 1;
  }
  try {
    boost::asio::io_context IO(1);
    cGateway G(IO, *OPTIONS, std::move(*RULES));
    G.START();
    IO.run();
  } catch (const std::exception& E) {
    std::cerr << "royaumes-web: " << E.what() << "\n";
    return 1;
  }
  CONSOLE("royaumes-web stopped");
  return 0;
}
