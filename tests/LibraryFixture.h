// Loads the built plug-in library as the host does, once per test.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "TestPaths.h"
#include "host/PlugInLibrary.h"
#include "host/RecordCheck.h"

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(lib_.Load(testing_paths::PlugInPath(), &error)) << error;
  }

  // Runs InitPlugInLib over a zeroed record and returns it.
  plugin::TPlugInLibInfo LibInfo() const {
    plugin::TPlugInLibInfo info{};
    lib_.Init(&info);
    return info;
  }

  plugin::TPlugInInfo PlugInInfo() const {
    plugin::TPlugInInfo info{};
    host::PlugInLibrary::LibProc(LibInfo(), plugin::kRequestPlugInInfo, &info);
    return info;
  }

  static uint32_t U32(const std::vector<uint8_t>& record, size_t offset) {
    return host::ReadU32(record.data() + offset);
  }

  host::PlugInLibrary lib_;
};
