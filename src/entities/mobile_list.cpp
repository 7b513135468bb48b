#include "entities/mobile_list.h"

int32_t COMPARENAMES(std::string_view A, std::string_view B) {
  const std::size_t N = std::min(A.size(), B.size());
  for (std::size_t I = 0; I < N; ++I) {
    const auto CA = static_cast<unsigned char>(LOWERCHAR(A[I]));
    const auto CB = static_cast<unsigned char>(LOWERCHAR(B[I]));
    if (CA != CB) {
      return CA < CB ? -1 : 1;
    }
  }
  if (A.size() == B.size()) {
    return 0;
  }
  return A.size() < B.size() ? -1 : 1;
}

int32_t SQUAREINDEXOF(const cMobile& M) {
  const auto* P = dynamic_cast<const cMobilePosition*>(&M);
  return P != nullptr ? P->FINDEX : -1;
}

void cListeMobilesRef::INSERT(int32_t INDEX, cMobile* M) {
  INDEX = std::clamp(INDEX, 0, COUNT());
  FITEMS.insert(FITEMS.begin() + INDEX, M);
}

void cListeMobilesRef::DELETE(int32_t INDEX) {
  if (INDEX >= 0 && INDEX < COUNT()) {
    FITEMS.erase(FITEMS.begin() + INDEX);
  }
}

bool cListeMobilesRef::REMOVE(const cMobile* M) {
  const int32_t INDEX = INDEXOF(M);
  DELETE(INDEX);
  return INDEX >= 0;
}

cMobile* cListeMobiles::ADD(std::unique_ptr<cMobile> M) {
  cMobile* RAW = M.get();
  if (RAW != nullptr) {
    FITEMS.push_back(std::move(M));
  }
  return RAW;
}

cMobile* cListeMobiles::INSERT(int32_t INDEX, std::unique_ptr<cMobile> M) {
  cMobile* RAW = M.get();
  if (RAW != nullptr) {
    INDEX = std::clamp(INDEX, 0, COUNT());
    FITEMS.insert(FITEMS.begin() + INDEX, std::move(M));
  }
  return RAW;
}

void cListeMobiles::DELETE(int32_t INDEX) {
  EXTRACT(INDEX);
}

bool cListeMobiles::REMOVE(const cMobile* M) {
  return EXTRACT(M) != nullptr;
}

std::unique_ptr<cMobile> cListeMobiles::EXTRACT(int32_t INDEX) {
  if (INDEX < 0 || INDEX >= COUNT()) {
    return nullptr;
  }
  std::unique_ptr<cMobile> M = std::move(FITEMS[static_cast<std::size_t>(INDEX)]);
  FITEMS.erase(FITEMS.begin() + INDEX);
  return M;
}

void cListeMobiles::OUTPUTMOBILE(cBuffer& OUTPUT, cMobile& MOBILE) {
  MOBILE.TOBUFFER(OUTPUT);
}

std::unique_ptr<cMobile> cListeMobiles::INPUTMOBILE(cBuffer& INPUT) {
  auto M = std::make_unique<cMobile>();
  M->FROMBUFFER(INPUT);
  return M;
}

void cListeMobiles::TOBUFFER(cBuffer& OUTPUT) {
  OUTPUT.WRITELN("nbLines:%d", COUNT());
  for (const auto& M : FITEMS) {
    OUTPUTMOBILE(OUTPUT, *M);
  }
}

void cListeMobiles::FROMBUFFER(cBuffer& INPUT) {
  const int32_t N = STRTOINT(AFTERTOKEN(INPUT.READLN(), ':'));
  for (int32_t I = 0; I < N; ++I) {
    cListeMobiles::ADD(INPUTMOBILE(INPUT));
  }
}

cMobilePosition* cListeMobilesPosition::ADD(std::unique_ptr<cMobilePosition> M) {
  cMobilePosition* RAW = M.get();
  cListeMobiles::ADD(std::move(M));
  SORT(sSortByIndex);
  return RAW;
}

std::pair<int32_t, int32_t> cListeMobilesPosition::SQUARERANGE(int32_t X, int32_t Y) {
  SORT(sSortByIndex);
  const int32_t TARGET = MAP2INDEX(X, Y);
  int32_t FROM = 0;
  while (FROM < COUNT() && SQUAREINDEXOF(*GET(FROM)) != TARGET) {
    ++FROM;
  }
  int32_t TO = FROM;
  while (TO < COUNT() && SQUAREINDEXOF(*GET(TO)) == TARGET) {
    ++TO;
  }
  return {FROM, TO};
}

std::unique_ptr<cMobilePosition> cListeMobilesPosition::NEW(int32_t UID) {
  return NEWPIECE<cMobilePosition>(UID);
}

cMobilePosition* cListeMobilesPosition::WIZARD(cMobile* MOBILE, cListeMobiles* LSTREF,
                                               tcoordMap POSITION) {
  auto M = NEW(FINDAVAILUID());
  M->SETPOSITION(POSITION);
  M->FMODELE = MOBILE;
  if (MOBILE != nullptr) {
    M->FNAME = MOBILE->FNAME;
  }
  M->LSTMODELES = LSTREF;
  return ADD(std::move(M));
}

std::unique_ptr<cMobile> cListeMobilesPosition::INPUTMOBILE(cBuffer& INPUT) {
  auto M = std::make_unique<cMobilePosition>();
  M->FROMBUFFER(INPUT);
  return M;
}
