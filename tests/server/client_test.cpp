#include "server/client.h"

#include <gtest/gtest.h>

#include <vector>

TEST(ClientList, RemovingAClientMovesTheLaterOnesUp) {
  cListClients L;
  std::vector<cClientInfos*> P;
  for (uint32_t I = 0; I < 3; ++I) {
    auto C = std::make_unique<cClientInfos>(-1, I);
    P.push_back(C.get());
    L.ADD(std::move(C));
  }
  L.DEL(0);
  ASSERT_EQ(L.GETCOUNT(), 2);
  EXPECT_EQ(L.GETCLIENT(0), P[1]);
  L.DEL(P[2]);
  ASSERT_EQ(L.GETCOUNT(), 1);
  EXPECT_EQ(L.GETCLIENT(0), P[1]);
  L.DEL(5);
  L.DEL(-1);
  EXPECT_EQ(L.GETCOUNT(), 1);
  L.CLEAR();
  EXPECT_EQ(L.GETCOUNT(), 0);
}
