// The PE reader behind the export and import checks, on this test program
// itself and on damaged copies of it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "host/PeImage.h"
#include "tests/TestPaths.h"

namespace {

std::vector<char> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

std::string WriteScratch(const std::vector<char>& bytes) {
  char dir[MAX_PATH], path[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  GetTempFileNameA(dir, "pe", 0, path);
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

}  // namespace

TEST(PeImageTest, ReadsTheImportsOfAProgram) {
  host::PeImage image;
  std::string error;
  ASSERT_TRUE(host::ReadPeImage(testing_paths::ExecutablePath(), &image, &error)) << error;
  bool kernel = false;
  for (const std::string& m : image.importedModules) kernel |= lstrcmpiA(m.c_str(), "KERNEL32.dll") == 0;
  EXPECT_TRUE(kernel);
  EXPECT_TRUE(image.exports.empty());
}

TEST(PeImageTest, DamagedImagesGiveAnErrorNotACrash) {
  const std::vector<char> good = ReadAll(testing_paths::ExecutablePath());
  ASSERT_GT(good.size(), 1024u);
  uint32_t ntOffset;
  std::memcpy(&ntOffset, good.data() + 0x3C, 4);

  std::vector<std::vector<char>> damaged;
  damaged.emplace_back(good.begin(), good.begin() + 100);  // cut inside the headers
  damaged.push_back(good);
  std::memset(damaged.back().data() + 0x3C, 0xFF, 4);  // NT header offset far outside
  damaged.push_back(good);
  damaged.back()[ntOffset] = 'X';  // bad signature
  damaged.push_back(good);
  // Import directory at an address no section holds.
  const uint32_t importRva = 0x7FFFFFF0;
  std::memcpy(damaged.back().data() + ntOffset + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                  offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory) + 8 * IMAGE_DIRECTORY_ENTRY_IMPORT,
              &importRva, 4);
  damaged.emplace_back();  // empty file

  for (size_t i = 0; i < damaged.size(); ++i) {
    const std::string path = WriteScratch(damaged[i]);
    host::PeImage image;
    std::string error;
    EXPECT_FALSE(host::ReadPeImage(path, &image, &error)) << "case " << i;
    EXPECT_FALSE(error.empty()) << "case " << i;
    DeleteFileA(path.c_str());
  }
  std::string error;
  host::PeImage image;
  EXPECT_FALSE(host::ReadPeImage("C:\\no\\such\\file.pdl", &image, &error));
}
