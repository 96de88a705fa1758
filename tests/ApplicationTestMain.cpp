// The main of the test programs that need the toolkit's application object,
// as the library creates it at load.
#include <gtest/gtest.h>

#include "tests/ApplicationScope.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  const ApplicationScope application;
  return RUN_ALL_TESTS();
}
