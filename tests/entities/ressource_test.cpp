#include "entities/ressource.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "support/fixtures.h"

TEST(Ressources, ArraysReadByNameAndWrapAndSchedulesAreTheSmallestEqualInstallments) {
  testsupport::cThreeRessources RESS;
  cArrayRessources A;
  A.FROMSTRING("100/20/3");
  EXPECT_EQ(A.GETRESS("Pierre") + A.GETRESS("mithril"), 3);
  A.SETRESS("BOIS", 7);
  A.SETRESS("mithril", 9);
  EXPECT_EQ(A.TOSTRING(), "100/7/3");
  // Missing values keep theirs, extra ones are ignored, bad ones read as 0.
  A.FROMSTRING("5");
  EXPECT_EQ(A.TOSTRING(), "5/7/3");
  A.FROMSTRING("x/70000/2/4");
  EXPECT_EQ(A.TOSTRING(), "0/4464/2");
  cArrayRessources B;
  B.FROMSTRING("7/1/0");
  A.SUB(B);
  EXPECT_EQ(A.TOSTRING(), "65529/4463/2");
  A.ADD(B);
  EXPECT_EQ(A.TOSTRING(), "0/4464/2");

  cRessParTour R(4);
  R.CALCUL(0, 100, 10);
  R.CALCUL(1, 30, 4);
  R.CALCUL(2, 0, 5);
  R.CALCUL(3, 9, 6);
  EXPECT_EQ(R.TOSTRING(), "10:1/15:2/0:1/3:2");
  R.CALCUL(3, 0, 0);
  R.CALCUL(9, 10, 2);
  EXPECT_EQ(R.TOSTRING(), "10:1/15:2/0:1/0:0");
  // Read after a key; countdowns are not part of the text.
  cRessParTour BACK(4);
  BACK.FROMSTRING("ressPerTurn:10:1/15:2/0:1/0:0");
  EXPECT_TRUE(BACK.CTRLRESSTOUR[1].TOURS == 2 && BACK.CTRLRESSTOUR[1].CURRENT == 0);
  BACK.FROMSTRING("k:1:1/2:2/3:3/4:4/5:5");
  EXPECT_EQ(BACK.TOSTRING(), "1:1/2:2/3:3/4:4");
  // Intervals past 8 bits are kept; past 16 bits they are held, not wrapped.
  BACK.FROMSTRING("k:1:300/2:70000/3:65535");
  EXPECT_EQ(BACK.TOSTRING(), "1:300/2:65535/3:65535/4:4");
  EXPECT_THROW(BACK.FROMSTRING("ressPerTurn:10"), cConversionError);
  EXPECT_THROW(BACK.FROMSTRING("ressPerTurn:a:1"), cConversionError);
}
