#include "args.h"

#include <algorithm>
#include <charconv>
#include <iostream>

cArgs::cArgs(const std::vector<std::string>& ARGS, const std::vector<std::string>& VALUED,
             const std::vector<std::string>& FLAGS) {
  const auto IN = [](const std::vector<std::string>& NAMES, const std::string& NAME) {
    return std::find(NAMES.begin(), NAMES.end(), NAME) != NAMES.end();
  };
  for (std::size_t I = 0; I < ARGS.size() && FERROR.empty(); ++I) {
    std::string NAME = ARGS[I];
    const auto EQ = NAME.find('=');
    const bool JOINED = NAME.rfind("--", 0) == 0 && EQ != std::string::npos;
    if (JOINED) {
      NAME.resize(EQ);
    }
    if (IN(FLAGS, NAME)) {
      FGIVEN.emplace_back(NAME, "");
      if (JOINED) {
        FERROR = NAME + " takes no value";
      }
    } else if (IN(VALUED, NAME)) {
      if (!JOINED && I + 1 >= ARGS.size()) {
        FERROR = NAME + " needs a value";
      } else {
        FGIVEN.emplace_back(NAME, JOINED ? ARGS[I].substr(EQ + 1) : ARGS[++I]);
      }
    } else if (NAME.rfind("--", 0) == 0) {
      FERROR = "unknown option \"" + NAME + "\"";
    } else {
      FWORDS.push_back(ARGS[I]);
    }
  }
}

bool cArgs::HAS(const std::string& NAME) const {
  return std::any_of(FGIVEN.begin(), FGIVEN.end(), [&](const auto& G) { return G.first == NAME; });
}

std::string cArgs::VALUE(const std::string& NAME, const std::string& FALLBACK) const {
  const auto ALL = VALUES(NAME);
  return ALL.empty() ? FALLBACK : ALL.back();
}

std::vector<std::string> cArgs::VALUES(const std::string& NAME) const {
  std::vector<std::string> R;
  for (const auto& [GIVEN, VALUE] : FGIVEN) {
    if (GIVEN == NAME) {
      R.push_back(VALUE);
    }
  }
  return R;
}

bool cArgs::NUMBER(const std::string& NAME, long LOW, long HIGH, long& OUT) const {
  if (!HAS(NAME)) {
    return true;
  }
  const std::string TEXT = VALUE(NAME);
  long N = 0;
  const char* END = TEXT.data() + TEXT.size();
  const auto [PTR, EC] = std::from_chars(TEXT.data(), END, N);
  if (TEXT.empty() || EC != std::errc() || PTR != END || N < LOW || N > HIGH) {
    return false;
  }
  OUT = N;
  return true;
}

std::optional<int> ANSWERHELPVERSIONERROR(const cArgs& A, const std::string& PROGRAM,
                                          const std::string& USAGE, const std::string& VERSION) {
  if (A.HAS("--help") || A.HAS("-h")) {
    std::cout << USAGE;
    return 0;
  }
  if (A.HAS("--version")) {
    std::cout << PROGRAM << " " << VERSION << "\n";
    return 0;
  }
  if (!A.ERROR().empty()) {
    std::cerr << PROGRAM << ": " << A.ERROR() << "\n" << USAGE;
    return 2;
  }
  return std::nullopt;
}
