// The whole activation pass on profiles of real machines (profiles/
// machines.json, with its sources): the registry as those systems keep it on
// a scratch tree, the system answers of a 32-bit process there (the native
// machine among them) through the query table, and every value label against
// what a user of the machine sees.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "FakeQueries.h"
#include "ScratchRegistry.h"
#include "dialog/SysDlg.h"
#include "tests/TestPaths.h"
#include "tests/toolkit/TestSupport.h"

using gather_test::ScratchRegistry;
using nlohmann::json;

namespace {

const json& Profiles() {
  static const json profiles = [] {
    std::ifstream file(testing_paths::BesideExecutable("machines.json"));
    return json::parse(file, nullptr, false);
  }();
  return profiles;
}

std::map<std::string, toolkit::TControl*> ControlsByName(const dialog::TSysInfoDlg& dlg) {
  std::map<std::string, toolkit::TControl*> controls;
#define ZX_CONTROL_NAME(kind, name, ...) controls[#name] = dlg.name;
  ZX_SYSDLG_CONTROLS(ZX_CONTROL_NAME)
#undef ZX_CONTROL_NAME
  return controls;
}

void WriteValue(ScratchRegistry& scratch, const json& value) {
  const std::string key = value.at("key");
  const std::string name = value.at("name");
  const std::string type = value.at("type");
  if (type == "REG_SZ") {
    scratch.SetText(key, name.c_str(), value.at("data").get<std::string>());
  } else if (type == "REG_DWORD") {
    scratch.SetDword(key, name.c_str(), value.at("data").get<DWORD>());
  } else if (type == "REG_MULTI_SZ") {
    std::string data;
    for (const json& item : value.at("data")) data += item.get<std::string>() + '\0';
    data += '\0';
    scratch.Set(key, name.c_str(), REG_MULTI_SZ, data.data(), static_cast<DWORD>(data.size()));
  } else {
    FAIL() << "type " << type << " of " << name << " has no writer";
  }
}

class MachineProfileTest : public ::testing::TestWithParam<int> {};

std::string ProfileName(const ::testing::TestParamInfo<int>& info);

}  // namespace

TEST_P(MachineProfileTest, EveryValueLabelShowsWhatTheMachinesUserSees) {
  ASSERT_FALSE(Profiles().is_discarded()) << "machines.json beside the test is missing or not JSON";
  const json& profile = Profiles().at("profiles").at(static_cast<size_t>(GetParam()));
  SCOPED_TRACE(profile.at("name").get<std::string>());
  ScratchRegistry scratch;
  ASSERT_TRUE(scratch.valid());
  for (const json& value : profile.at("registry")) WriteValue(scratch, value);
  gather_test::FakeQueries queries;
  const json& version = profile.at("version");
  gather_test::fake.version = {version.at("major"), version.at("minor"), version.at("build"),
                               version.at("platformId")};
  const json& systemInfo = profile.at("systemInfo");
  gather_test::fake.processor = {systemInfo.at("processorArchitecture"), systemInfo.at("processorType")};
  gather_test::fake.nativeMachine =
      static_cast<uint16_t>(std::stoul(systemInfo.at("nativeMachine").get<std::string>(), nullptr, 16));
  const json& memory = profile.at("memory");
  gather_test::fake.memory = {memory.at("totalPhys"), memory.at("availPhys"), memory.at("totalPageFile"),
                              memory.at("availPageFile")};
  gather_test::fake.computer = {true, profile.at("computerName")};
  gather_test::fake.user = {true, profile.at("userName")};

  dialog::TSysInfoDlg dlg;
  std::string error;
  try {
    dlg.FormActivate();
  } catch (const std::exception& e) {
    error = e.what();
  }
  EXPECT_EQ(error, "") << "the pass runs to its end";

  const json& labels = profile.at("labels");
  for (const auto& [name, control] : ControlsByName(dlg)) {
    if (name.rfind("lbl", 0) != 0) continue;
    ASSERT_TRUE(labels.contains(name)) << "the table has no row for " << name;
    EXPECT_EQ(toolkit_test::ShownText(control), labels.at(name).get<std::string>()) << name;
  }
  const auto controls = ControlsByName(dlg);
  for (const auto& [name, visible] : profile.at("visible").items()) {
    EXPECT_EQ(controls.at(name)->Visible(), visible.get<bool>()) << name;
  }
}

namespace {
std::string ProfileName(const ::testing::TestParamInfo<int>& info) {
  static const char* const kNames[] = {"WindowsXPSP3", "Windows7SP1x64", "Windows10_22H2x64",
                                       "Windows11_23H2x64", "Windows11_24H2ARM64"};
  return kNames[info.param];
}
}  // namespace

INSTANTIATE_TEST_SUITE_P(RealMachines, MachineProfileTest, ::testing::Range(0, 5), ProfileName);
