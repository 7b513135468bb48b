// The web gateway: its pure pieces (the page's messages, the game's lines,
// the page's files), then the real program between a scripted page and a
// scripted game server, and one game played through it on the real server.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <boost/beast/core.hpp>
#include <boost/beast/ssl.hpp>
#include <boost/beast/websocket.hpp>
#include <boost/beast/websocket/ssl.hpp>
#include <boost/json.hpp>
#include <csignal>
#include <thread>

#include "files.h"
#include "gamecopy.h"
#include "line.h"
#include "messages.h"
#include "options.h"
#include "process.h"
#include "support/fixtures.h"
#include "wsline.h"

namespace fs = std::filesystem;
using testsupport::cTempDir;

TEST(WebMessages, APageMessageIsOneKnownKeyAndALineBecomesLatin1) {
  const std::string LONG(PAGELINEMAX, '\xC3');
  const struct {
    std::string FRAME;
    tPageMessage::sKind KIND;
    std::string TEXT;
    sCloseCode CODE = ccPOLICY;
  } CASES[] = {
      {R"({"line":"GET MAPPED"})", tPageMessage::LINE, "GET MAPPED"},
      {"{\"line\":\"\xC3\xA9\xC3\xBF\xE2\x82\xAC\xF0\x9F\x98\x80\xC2\x85\"}", tPageMessage::LINE,
       "\xE9\xFF??\x85"},
      {R"({"line":"a\rb\nc\u0101"})", tPageMessage::LINE, "a b c?"},
      {R"({"resume":"00ff"})", tPageMessage::RESUME, "00ff"},
      {R"({"quit":true})", tPageMessage::QUIT, ""},
      {"{\"line\":\"" + std::string(PAGELINEMAX, 'x') + "\"}", tPageMessage::LINE,
       std::string(PAGELINEMAX, 'x')},
      {"{\"line\":\"" + std::string(PAGELINEMAX, 'x') + "y\"}", tPageMessage::BAD, "line too long",
       ccTOOBIG},
      {R"(GET MAPPED)", tPageMessage::BAD, "not JSON"},
      {R"({"line":"a"} x)", tPageMessage::BAD, "not JSON"},
      {R"(["line","a"])", tPageMessage::BAD, "unknown message"},
      {R"({"say":"a"})", tPageMessage::BAD, "unknown message"},
      {R"({"line":"a","quit":true})", tPageMessage::BAD, "unknown message"},
      {R"({"line":5})", tPageMessage::BAD, "unknown message"},
      {R"({"quit":false})", tPageMessage::BAD, "unknown message"},
  };
  for (const auto& C : CASES) {
    const tPageMessage M = PARSEPAGEMESSAGE(C.FRAME);
    EXPECT_EQ(M.KIND, C.KIND) << C.FRAME;
    EXPECT_EQ(M.TEXT, C.TEXT) << C.FRAME;
    if (C.KIND == tPageMessage::BAD) {
      EXPECT_EQ(M.CODE, C.CODE) << C.FRAME;
    }
  }
}

TEST(WebMessages, EveryByteOfTheGameIsTheCodePointOfTheSameNumber) {
  std::string ALL;
  for (int B = 0x01; B <= 0xFF; ++B) {
    ALL += static_cast<char>(B);
  }
  const boost::json::value V = boost::json::parse(LINEMESSAGE(ALL));
  const std::string& UTF8 = std::string(V.at("line").as_string());
  std::u32string POINTS;
  for (std::size_t I = 0; I < UTF8.size(); ++I) {
    const auto C = static_cast<unsigned char>(UTF8[I]);
    POINTS += C < 0x80 ? char32_t(C)
                       : char32_t((C & 0x1F) << 6 | (static_cast<unsigned char>(UTF8[++I]) & 0x3F));
  }
  ASSERT_EQ(POINTS.size(), 255u);
  for (std::size_t I = 0; I < POINTS.size(); ++I) {
    EXPECT_EQ(POINTS[I], char32_t(I + 1));
  }
}

TEST(WebMessages, TheGameLinesEndAtLfWithoutTheirCrWhateverTheReads) {
  cLineSplitter S;
  std::vector<std::string> LINES;
  for (const char* PART : {"Wel", "come\r", "\nlo", "gin\r\nmot de passe\r\nen", ""}) {
    S.FEED(PART, LINES);
  }
  EXPECT_EQ(LINES, (std::vector<std::string>{"Welcome", "login", "mot de passe"}));
  EXPECT_EQ(S.PARTIAL(), "en");
  LINES.clear();
  S.FEED(std::string(cLineSplitter::LINEMAX, 'x'),
         LINES);  // a line without end is not held forever
  ASSERT_EQ(LINES.size(), 1u);
  EXPECT_EQ(LINES[0].substr(0, 3), "enx");
  EXPECT_EQ(S.PARTIAL(), "");
}

TEST(WebFiles, OnlyFilesUnderTheDirectoryAreServed) {
  cTempDir T;
  fs::create_directories(T.PATH() / "www/sub");
  std::ofstream(T.PATH() / "www/index.html") << "<p>home";
  std::ofstream(T.PATH() / "www/sub/app.js") << "export {};";
  std::ofstream(T.PATH() / "www/.secret") << "hidden";
  std::ofstream(T.PATH() / "secret.txt") << "outside";
  fs::create_symlink(T.PATH() / "secret.txt", T.PATH() / "www/out.txt");
  fs::create_symlink(T.PATH() / "www/sub/app.js", T.PATH() / "www/in.js");
  const fs::path ROOT = fs::canonical(T.PATH() / "www");
  const struct {
    const char* TARGET;
    unsigned STATUS;
    const char* TYPE;
  } CASES[] = {
      {"/", 200, "text/html; charset=utf-8"},
      {"/index.html?v=2#top", 200, "text/html; charset=utf-8"},
      {"/sub/app.js", 200, "text/javascript; charset=utf-8"},
      {"/sub//app.js", 200, "text/javascript; charset=utf-8"},
      {"/in.js", 200, "text/javascript; charset=utf-8"},
      {"/sub/", 404, ""},
      {"/missing.css", 404, ""},
      {"/../secret.txt", 404, ""},
      {"/sub/../../secret.txt", 404, ""},
      {"/%2e%2e/secret.txt", 404, ""},
      {"/sub%2F..%2F..%2Fsecret.txt", 404, ""},
      {"/..%5Csecret.txt", 404, ""},
      {"/out.txt", 404, ""},
      {"/.secret", 404, ""},
      {"/index.html%00.js", 404, ""},
      {"/%zz", 404, ""},
      {"index.html", 404, ""},
  };
  for (const auto& C : CASES) {
    const tFileReply R = PAGEFILE(ROOT, C.TARGET);
    EXPECT_EQ(R.STATUS, C.STATUS) << C.TARGET;
    EXPECT_EQ(R.TYPE, C.TYPE) << C.TARGET;
    EXPECT_EQ(R.BODY.find("outside"), std::string::npos) << C.TARGET;
  }
}

TEST(WebOptions, AddressesAndBoundsOfTheCommandLine) {
  const struct {
    std::vector<std::string> ARGS;
    std::string LISTEN;  // "host:port", or the error expected
  } CASES[] = {
      {{}, "0.0.0.0:8080"},
      {{"--listen", "9000"}, "0.0.0.0:9000"},
      {{"--listen=:9000"}, "0.0.0.0:9000"},
      {{"--listen", "[::1]:9000"}, "::1:9000"},
      {{"--listen", "::1:9000"}, "--listen takes HOST:PORT, not '::1:9000'"},
      {{"--listen", "h:0"}, "--listen takes HOST:PORT, not 'h:0'"},
      {{"--grace", "3601"}, "--grace takes a whole number from 0 to 3600, not '3601'"},
      {{"--cert", "c.pem"}, "--cert and --key go together"},
      {{"--www", ""}, "--www needs a value"},
      {{"extra"}, "unknown argument extra"},
  };
  for (const auto& C : CASES) {
    std::string ERROR;
    const auto O = PARSEWEBOPTIONS(C.ARGS, "web", ERROR);
    EXPECT_EQ(O ? O->LISTEN.HOST + ":" + std::to_string(O->LISTEN.PORT) : ERROR, C.LISTEN);
  }
}

namespace {

// A game server played by the test: it accepts the gateway's connections and
// reads and writes their bytes, every wait bounded.
class cFakeGame {
 public:
  explicit cFakeGame(uint16_t PORT) : FLISTEN(socket(AF_INET, SOCK_STREAM, 0)) {
    const int ON = 1;
    setsockopt(FLISTEN, SOL_SOCKET, SO_REUSEADDR, &ON, sizeof ON);
    sockaddr_in A{};
    A.sin_family = AF_INET;
    A.sin_port = htons(PORT);
    A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(FLISTEN, reinterpret_cast<sockaddr*>(&A), sizeof A) != 0 || listen(FLISTEN, 16) != 0) {
      throw std::runtime_error("the fake game cannot listen");
    }
  }
  ~cFakeGame() {
    for (const int FD : FCLIENTS) {
      close(FD);
    }
    close(FLISTEN);
  }
  /// The next connection of the gateway, or -1.
  int ACCEPT(int MS = 3000) {
    pollfd P{FLISTEN, POLLIN, 0};
    const int FD = poll(&P, 1, MS) == 1 ? accept(FLISTEN, nullptr, nullptr) : -1;
    if (FD >= 0) {
      FCLIENTS.push_back(FD);
    }
    return FD;
  }
  static void SEND(int FD, const std::string& BYTES) {
    ASSERT_EQ(send(FD, BYTES.data(), BYTES.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(BYTES.size()));
  }
  /// Bytes up to and with the next CR; "<eof>" when the gateway closed, "" when none came in time.
  static std::string LINE(int FD, int MS = 3000) {
    std::string R;
    char C = 0;
    while (R.empty() || R.back() != '\r') {
      pollfd P{FD, POLLIN, 0};
      if (poll(&P, 1, MS) != 1) {
        return "";
      }
      if (recv(FD, &C, 1, 0) != 1) {
        return "<eof>";
      }
      R += C;
    }
    return R;
  }

 private:
  int FLISTEN;
  std::vector<int> FCLIENTS;
};

using tHeaders = std::vector<std::pair<std::string, std::string>>;

// The gateway in a directory of its own, before a fake game (or none).
class cWebRun {
 public:
  explicit cWebRun(std::vector<std::string> ARGS = {}, bool GAME = true) {
    fs::create_directories(FDIR.PATH() / "www");
    std::ofstream(FDIR.PATH() / "www/index.html") << "<p>page";
    std::vector<std::string> CMD{ROYAUMES_WEB_BINARY,
                                 "--listen",
                                 "127.0.0.1:" + std::to_string(PORT),
                                 "--game",
                                 "127.0.0.1:" + std::to_string(GAMEPORT),
                                 "--www",
                                 (FDIR.PATH() / "www").string(),
                                 "--dir",
                                 ROYAUMES_GAME_DIR};
    CMD.insert(CMD.end(), ARGS.begin(), ARGS.end());
    if (GAME) {
      FGAME = std::make_unique<cFakeGame>(GAMEPORT);
    }
    FPROCESS = std::make_unique<cServerProcess>(CMD, FDIR.PATH(), PORT);
    FPROCESS->START();
  }
  std::unique_ptr<cWsConnection> OPEN(const std::string& ORIGIN = "", const tHeaders& H = {}) {
    return std::make_unique<cWsConnection>("127.0.0.1", PORT, "/ws", ORIGIN, H);
  }
  /// A socket whose first line opened a game connection: the session's token
  /// and the game's end of the connection.
  std::pair<std::string, int> PLAY(cWsConnection& W, const std::string& FIRST = "demo") {
    W.SENDLINE(FIRST);
    const int FD = FGAME->ACCEPT();
    EXPECT_EQ(cFakeGame::LINE(FD), FIRST + "\r");
    const tWsMessage S = W.NEXT(3000);
    EXPECT_EQ(S.KIND, tWsMessage::SESSION) << S.RAW;
    return {S.TEXT, FD};
  }

  uint16_t PORT = FREEPORT();
  uint16_t GAMEPORT = FREEPORT();
  cTempDir FDIR;
  std::unique_ptr<cFakeGame> FGAME;
  std::unique_ptr<cServerProcess> FPROCESS;
};

// The socket's last message and its close code.
void EXPECTCLOSED(cWsConnection& W, const std::string& REASON, int CODE) {
  tWsMessage M = W.NEXT(3000);
  while (M.KIND == tWsMessage::LINE || M.KIND == tWsMessage::SESSION) {
    M = W.NEXT(3000);
  }
  if (!REASON.empty()) {
    EXPECT_EQ(M.KIND, tWsMessage::CLOSED) << M.RAW;
    EXPECT_EQ(M.TEXT, REASON);
    M = W.NEXT(3000);
  }
  EXPECT_EQ(M.KIND, tWsMessage::END) << M.RAW;
  EXPECT_EQ(M.CLOSECODE, CODE) << REASON;
}

}  // namespace

TEST(WebGateway, RelaysEveryLineBothWaysByteForByte) {
  cWebRun R;
  const auto W = R.OPEN();
  const auto [TOKEN, FD] = R.PLAY(*W);
  EXPECT_EQ(TOKEN.size(), 32u);
  std::string ALL;
  for (int B = 0x20; B <= 0xFF; ++B) {
    ALL += static_cast<char>(B);
  }
  cFakeGame::SEND(FD, "Wel");
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  cFakeGame::SEND(FD, "come\r\nlogin\r\n" + ALL + "\r\n");
  EXPECT_EQ(W->LINESUNTIL(ALL, 3000), (std::vector<std::string>{"Welcome", "login", ALL}));
  W->SENDLINE("\xE9\xFF");
  EXPECT_EQ(cFakeGame::LINE(FD), "\xE9\xFF\r");
  W->SENDRAW("{\"line\":\"\xE2\x82\xAC x\\ny\"}");
  EXPECT_EQ(cFakeGame::LINE(FD), "? x y\r");
  cFakeGame::SEND(FD, "au revoir");
  shutdown(FD, SHUT_RDWR);
  EXPECT_EQ(W->LINESUNTIL("au revoir", 3000).size(), 1u);
  EXPECTCLOSED(*W, "game connection closed", 1000);
}

TEST(WebGateway, ABadMessageClosesTheSocketWithItsCodeAndTheGameConnection) {
  cWebRun R;
  const struct {
    std::string FRAME;
    bool BINARY;
    std::string REASON;  // "" when the WebSocket layer closes without a message
    int CODE;
  } CASES[] = {
      {"GET MAPPED", false, "not JSON", 1008},
      {R"({"say":"hi"})", false, "unknown message", 1008},
      {R"({"resume":"00"})", false, "resume must come first", 1008},
      {"{\"line\":\"" + std::string(1025, 'x') + "\"}", false, "line too long", 1009},
      {std::string(4097, ' '), false, "frame too big", 1009},
      {"{\"line\":\"\xC3\"}", false, "", 1007},
      {"{}", true, "binary frame", 1003},
      {R"({"quit":true})", false, "quit", 1000},
  };
  for (const auto& C : CASES) {
    const auto W = R.OPEN();
    const int FD = R.PLAY(*W).second;
    W->SENDRAW(C.FRAME, C.BINARY);
    EXPECTCLOSED(*W, C.REASON, C.CODE);
    EXPECT_EQ(cFakeGame::LINE(FD), "<eof>") << C.FRAME.substr(0, 20);
  }
}

TEST(WebGateway, OnlyAllowedOriginsAndAFewSocketsPerAddressGetIn) {
  cWebRun R(
      {"--per-address", "2", "--trust-proxy", "127.0.0.1", "--origin", "https://play.example"});
  const struct {
    std::string ORIGIN;
    int STATUS;
  } ORIGINS[] = {{"https://evil.example", 403},
                 {"http://127.0.0.1:" + std::to_string(R.PORT), 403},
                 {"https://PLAY.example/", 101},
                 {"", 101}};
  for (const auto& O : ORIGINS) {
    int STATUS = 101;
    try {
      R.OPEN(O.ORIGIN)->CLOSE();
    } catch (const cWsRefused& E) {
      STATUS = E.STATUS;
    }
    EXPECT_EQ(STATUS, O.STATUS) << O.ORIGIN;
  }
  const tHeaders ONE{{"X-Forwarded-For", "10.0.0.9, 10.0.0.1"}};
  const auto A = R.OPEN("", ONE);
  const auto B = R.OPEN("", ONE);
  const auto C = R.OPEN("", ONE);
  EXPECTCLOSED(*C, "too many sockets from your address", 1008);
  const auto D = R.OPEN("", {{"X-Forwarded-For", "10.0.0.2"}});
  R.PLAY(*D);  // another browser behind the same proxy
  B->CLOSE();
  R.PLAY(*R.OPEN("", ONE));  // the address has room again
}

TEST(WebGateway, ABrowserThatDoesNotReadHoldsBackOnlyItsOwnGame) {
  cWebRun R({"--stall", "1"});
  const auto SLOW = R.OPEN();
  const int SLOWFD = R.PLAY(*SLOW).second;
  const auto FAST = R.OPEN();
  const int FASTFD = R.PLAY(*FAST, "alice").second;
  // The slow page's game writes until the gateway has stopped reading it for
  // two seconds.
  fcntl(SLOWFD, F_SETFL, O_NONBLOCK);
  const std::string CHUNK(65536, 'x');
  std::size_t SENT = 0;
  for (pollfd P{SLOWFD, POLLOUT, 0}; SENT < (256u << 20) && poll(&P, 1, 2000) == 1;) {
    SENT += static_cast<std::size_t>(
        std::max<ssize_t>(0, send(SLOWFD, CHUNK.data(), CHUNK.size(), MSG_NOSIGNAL)));
  }
  EXPECT_LT(SENT, 256u << 20) << "the gateway read without bound";
  for (int I = 0; I < 20; ++I) {
    FAST->SENDLINE("GET");
    ASSERT_EQ(cFakeGame::LINE(FASTFD, 1000), "GET\r");
    cFakeGame::SEND(FASTFD, "ok\r\n");
    ASSERT_EQ(FAST->LINESUNTIL("ok", 1000).size(), 1u);
  }
  const int64_t UNTIL = NOWMS() + 10000;
  while (R.FPROCESS->CONSOLE().find("(too slow to read)") == std::string::npos && NOWMS() < UNTIL) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_NE(R.FPROCESS->CONSOLE().find("(too slow to read)"), std::string::npos)
      << R.FPROCESS->CONSOLETAIL(5);
}

TEST(WebGateway, AnUnreachableGameServerIsSaidAndTheGatewayServesOn) {
  cWebRun R({}, false);
  const auto W = R.OPEN();
  W->SENDLINE("demo");
  EXPECTCLOSED(*W, "game server unreachable", 1013);
  EXPECT_EQ(cWsConnection::HTTPGET("127.0.0.1", R.PORT, "GET", "/").STATUS, 200);
  R.FGAME = std::make_unique<cFakeGame>(R.GAMEPORT);
  R.PLAY(*R.OPEN());
}

TEST(WebGateway, APageComingBackWithinTheGraceGetsEverythingKeptOnce) {
  cWebRun R({"--grace", "1"});
  auto W = R.OPEN();
  auto [TOKEN, FD] = R.PLAY(*W);
  W->DROP();
  cFakeGame::SEND(FD, "one\r\ntwo\r\nthr");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  cFakeGame::SEND(FD, "ee\r\n");
  W = R.OPEN();
  W->SENDRAW(R"({"resume":")" + TOKEN + "\"}");
  const tWsMessage S = W->NEXT(3000);
  ASSERT_EQ(S.KIND, tWsMessage::SESSION) << S.RAW;
  EXPECT_NE(S.TEXT, TOKEN);
  EXPECT_EQ(W->LINESUNTIL("three", 3000), (std::vector<std::string>{"one", "two", "three"}));
  W->SENDLINE("GET");
  EXPECT_EQ(cFakeGame::LINE(FD), "GET\r");
  // Another tab with the fresh token takes the game; the first is told.
  const auto TAB = R.OPEN();
  TAB->SENDRAW(R"({"resume":")" + S.TEXT + "\"}");
  const tWsMessage LAST = TAB->NEXT(3000);
  EXPECT_EQ(LAST.KIND, tWsMessage::SESSION);
  EXPECTCLOSED(*W, "taken over by another tab", 1001);
  TAB->DROP();
  EXPECT_EQ(cFakeGame::LINE(FD, 3000), "<eof>");  // the grace ran out
  for (const std::string& T : {TOKEN, S.TEXT, std::string(32, '0'), LAST.TEXT}) {
    const auto X = R.OPEN();
    X->SENDRAW(R"({"resume":")" + T + "\"}");
    EXPECTCLOSED(*X, "unknown or expired session", 1000);
  }
}

TEST(WebGateway, AStopClosesEverySocketGoingAway) {
  cWebRun R({"--ping", "1"});
  const auto A = R.OPEN();
  const auto B = R.OPEN();
  R.PLAY(*A);
  // A page that never answers pings is closed after twice the ping time.
  const auto MUTE = R.OPEN();
  R.PLAY(*MUTE);
  for (int I = 0; I < 40; ++I) {
    A->NEXT(40);
    B->NEXT(40);
  }
  EXPECT_NE(R.FPROCESS->CONSOLE().find("(no answer to ping)"), std::string::npos);
  ASSERT_TRUE(R.FPROCESS->SIGNAL(SIGTERM));
  EXPECTCLOSED(*A, "gateway stopping", 1001);
  EXPECTCLOSED(*B, "gateway stopping", 1001);
  ASSERT_TRUE(R.FPROCESS->WAITEXIT(5000));
  EXPECT_EQ(R.FPROCESS->EXITCODE(), 0);
}

TEST(WebGateway, TheFilesComeWithTheirTypeAndAPolicyOfTheirOwnOrigin) {
  cWebRun R;
  const tHttpReply GET = cWsConnection::HTTPGET("127.0.0.1", R.PORT, "GET", "/");
  EXPECT_EQ(GET.STATUS, 200);
  EXPECT_EQ(GET.BODY, "<p>page");
  EXPECT_EQ(GET.HEADER("content-type"), "text/html; charset=utf-8");
  EXPECT_EQ(GET.HEADER("x-content-type-options"), "nosniff");
  EXPECT_NE(GET.HEADER("content-security-policy").find("default-src 'self'"), std::string::npos);
  const tHttpReply HEAD = cWsConnection::HTTPGET("127.0.0.1", R.PORT, "HEAD", "/");
  EXPECT_EQ(HEAD.HEADER("content-length"), "7");
  EXPECT_EQ(HEAD.BODY, "");
  EXPECT_EQ(cWsConnection::HTTPGET("127.0.0.1", R.PORT, "POST", "/").STATUS, 405);
  EXPECT_EQ(cWsConnection::HTTPGET("127.0.0.1", R.PORT, "GET", "/../web_test").STATUS, 404);
  const tHttpReply RULES = cWsConnection::HTTPGET("127.0.0.1", R.PORT, "GET", "/rules.json");
  EXPECT_EQ(RULES.HEADER("content-type"), "application/json");
  EXPECT_NO_THROW(boost::json::parse(RULES.BODY));
  // Without --origin only pages of the gateway's own host may open a socket.
  R.OPEN("http://127.0.0.1:" + std::to_string(R.PORT))->CLOSE();
  EXPECT_THROW(R.OPEN("http://127.0.0.1:1"), cWsRefused);
}

TEST(WebGateway, WithACertificateItSpeaksOnlyTls) {
  cTempDir T;
  const std::string KEY = (T.PATH() / "key.pem").string(), CERT = (T.PATH() / "cert.pem").string();
  ASSERT_EQ(
      std::system(("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes "
                   "-days 1 -subj /CN=localhost -keyout " +
                   KEY + " -out " + CERT + " 2>/dev/null")
                      .c_str()),
      0);
  cWebRun R({"--cert", CERT, "--key", KEY});
  namespace beast = boost::beast;
  boost::asio::io_context IO;
  boost::asio::ssl::context CTX(boost::asio::ssl::context::tls_client);  // trusts anything
  beast::websocket::stream<beast::ssl_stream<beast::tcp_stream>> WS(IO, CTX);
  beast::get_lowest_layer(WS).connect({boost::asio::ip::make_address("127.0.0.1"), R.PORT});
  WS.next_layer().handshake(boost::asio::ssl::stream_base::client);
  WS.handshake("localhost", "/ws");
  WS.write(boost::asio::buffer(std::string(R"({"line":"demo"})")));
  EXPECT_EQ(cFakeGame::LINE(R.FGAME->ACCEPT()), "demo\r");
  beast::flat_buffer B;
  WS.read(B);
  EXPECT_NE(beast::buffers_to_string(B.data()).find("\"session\""), std::string::npos);
  EXPECT_THROW(cWsConnection::HTTPGET("127.0.0.1", R.PORT, "GET", "/", {}, 1000), cClientError);
}

TEST(WebGateway, WhatItCannotUseStopsItsStartWithTheReason) {
  cTempDir T;
  fs::copy(ROYAUMES_GAME_DIR, T.PATH() / "game", fs::copy_options::recursive);
  std::ofstream(T.PATH() / "game/data/races.zrk") << "#x:Plainiers\n";
  const uint16_t BUSY = FREEPORT();
  cFakeGame HOLDER(BUSY);
  const struct {
    std::vector<std::string> ARGS;
    int CODE;
    std::string SAYS;
  } CASES[] = {
      {{"--dir", (T.PATH() / "game").string()}, 1, "races.zrk, line 1"},
      {{"--www", (T.PATH() / "none").string()}, 1, "none cannot be read"},
      {{"--cert", ROYAUMES_GAME_DIR "/data/races.zrk", "--key",
        ROYAUMES_GAME_DIR "/data/races.zrk"},
       1,
       "cannot be used"},
      {{"--listen", "127.0.0.1:" + std::to_string(BUSY)}, 1, "cannot listen on 127.0.0.1:"},
      {{"--per-address", "0"}, 2, "--per-address takes a whole number from 1"},
  };
  for (const auto& C : CASES) {
    std::vector<std::string> CMD{ROYAUMES_WEB_BINARY,
                                 "--listen",
                                 "127.0.0.1:" + std::to_string(FREEPORT()),
                                 "--www",
                                 T.PATH().string(),
                                 "--dir",
                                 ROYAUMES_GAME_DIR};
    CMD.insert(CMD.end(), C.ARGS.begin(), C.ARGS.end());
    cServerProcess P(CMD, T.PATH(), 0);
    P.SPAWN();
    ASSERT_TRUE(P.WAITEXIT(10000)) << C.SAYS;
    EXPECT_EQ(P.EXITCODE(), C.CODE) << C.SAYS;
    EXPECT_NE(P.CONSOLE().find(C.SAYS), std::string::npos) << P.CONSOLETAIL(3);
  }
}

TEST(WebEndToEnd, APlayerLogsInThroughTheGatewayAndPlaysATurn) {
  const cGameCopy GAME(ROYAUMES_GAME_DIR, 1);
  const uint16_t GAMEPORT = FREEPORT();
  cServerProcess SRV({ROYAUMES_SERVER_BINARY, "--port", std::to_string(GAMEPORT), "--seed", "7"},
                     GAME.PATH(), GAMEPORT);
  SRV.START();
  const uint16_t PORT = FREEPORT();
  const cTempDir WEBDIR;
  cServerProcess WEB({ROYAUMES_WEB_BINARY, "--listen", "127.0.0.1:" + std::to_string(PORT),
                      "--game", "127.0.0.1:" + std::to_string(GAMEPORT), "--www",
                      WEBDIR.PATH().string(), "--dir", GAME.PATH().string()},
                     WEBDIR.PATH(), PORT);
  WEB.START();
  cWsConnection W("127.0.0.1", PORT);
  cLogin LOGIN(ACCOUNTNAME(1), ACCOUNTPASSWORD(1), cLogin::NEW);
  W.SENDLINE(ACCOUNTNAME(1));
  bool NAMESENT = false;
  while (!LOGIN.DONE() && !LOGIN.FAILED()) {
    const tWsMessage M = W.NEXT(5000);
    ASSERT_NE(M.KIND, tWsMessage::END) << LOGIN.STEP();
    if (M.KIND != tWsMessage::LINE) {
      continue;
    }
    std::string ANSWER = LOGIN.FEED(M.TEXT);
    if (!NAMESENT && ANSWER.starts_with(ACCOUNTNAME(1))) {
      ANSWER.erase(0, ACCOUNTNAME(1).size() + 2);  // already sent as the first line
      NAMESENT = true;
    }
    for (std::size_t CR; (CR = ANSWER.find('\r')) != std::string::npos; ANSWER.erase(0, CR + 2)) {
      W.SENDLINE(ANSWER.substr(0, CR));
    }
  }
  ASSERT_TRUE(LOGIN.DONE()) << LOGIN.ERROR();
  W.SENDLINE("TURN 1");
  cReplyReader TURN(ENDBLOCKSOF("TURN 1"));
  std::vector<std::string> LINES;
  while (!TURN.COMPLETE()) {
    const tWsMessage M = W.NEXT(5000);
    ASSERT_EQ(M.KIND, tWsMessage::LINE) << M.RAW;
    LINES.push_back(M.TEXT);
    TURN.FEED(M.TEXT);
  }
  EXPECT_EQ(LINES.front(), "TURN PASSED");
  EXPECT_TRUE(std::any_of(LINES.begin(), LINES.end(),
                          [](const std::string& L) { return L.starts_with("Turn: 1 "); }));
  W.SENDRAW(R"({"quit":true})");
  EXPECTCLOSED(W, "quit", 1000);
  EXPECT_EQ(WEB.STOP(), 0);
  // The console tells of the socket, never of what it carried.
  EXPECT_NE(WEB.CONSOLE().find("lines in, "), std::string::npos);
  EXPECT_EQ(WEB.CONSOLE().find(ACCOUNTPASSWORD(1)), std::string::npos);
}
