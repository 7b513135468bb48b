#include "server/client.h"

#include <gtest/gtest.h>

TEST(ClientList, ARemovedClientIsFoundNoMoreAndTheLaterOnesMoveUp) {
  cListClients L;
  std::vector<cClientInfos*> P;
  for (uint32_t I = 0; I < 3; ++I) {
    auto C = std::make_unique<cClientInfos>(-1, I);
    C->FID = 1 + I;
    P.push_back(C.get());
    L.ADD(std::move(C));
  }
  L.DEL(0);
  L.DEL(P[2]);
  L.DEL(5);
  L.DEL(-1);
  ASSERT_EQ(L.GETCOUNT(), 1);
  EXPECT_EQ(L.GETCLIENT(0), P[1]);
  EXPECT_EQ(L.FINDID(2), P[1]);
  EXPECT_EQ(L.FINDID(1), nullptr);
  EXPECT_EQ(L.FINDID(3), nullptr);
}
