// The main of the test programs that need the toolkit's application object,
// as the library creates it at load.
#include <gtest/gtest.h>

#include "toolkit/Application.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  toolkit::CreateApplication();
  const int result = RUN_ALL_TESTS();
  toolkit::DestroyApplication();
  return result;
}
