#include <gtest/gtest.h>

#include "toolkit/Application.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  toolkit::CreateApplication();
  const int result = RUN_ALL_TESTS();
  toolkit::DestroyApplication();
  return result;
}
