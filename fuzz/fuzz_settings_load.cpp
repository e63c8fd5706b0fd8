// The start-up's settings load on the doubles, with every registry entry it reads (the
// game's key and the settings key) taken from the input: present or not, its type and
// its bytes; the display's modes and the stored demo and results folder too.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/MainForm.h"
#include "app/SettingsStore.h"
#include "common/Errors.h"
#include "tests/doubles/FakeMainFormHost.h"
#include "tests/doubles/FakePlatform.h"

namespace {

using dx::platform::RegistryValue;
using dx::platform::RegistryValueType;

constexpr const char* kGameKey = "SOFTWARE\\id\\Quake 4";
constexpr const char* kSettingsKey = "SOFTWARE\\Tamberlin\\Dextrel";

constexpr const char* kGameValues[] = {"Version", "InstallPath", "InstallLog"};
constexpr const char* kSettingsValues[] = {
    "640", "800", "1024", "1280", "1600", "2048", "hdw1", "hdw2", "hdw3", "CusW", "CusH", "CusRes", "RunNumber",
    "AspectRatio", "SMP", "ForceAmbientLight", "AmbientLightV", "Demo", "Demoname", "Quality", "ResultPath",
    "AFLevel", "AALevel", "Note", "UseProxy", "ProxyServer", "ProxyPort", "ProxyUsername", "ProxyPassword",
    "News", "Display Memory", "Driver Version", "Sound"};

// Short, mostly well-formed values find the interesting paths sooner than noise.
std::string ValueText(FuzzedDataProvider& input) {
  switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0: return std::string(1, static_cast<char>('0' + input.ConsumeIntegralInRange(0, 9)));
    case 1: return input.ConsumeBool() ? "1.3" : "1.4.2";
    default: return input.ConsumeRandomLengthString(48);
  }
}

void PutValue(dx::test::FakeRegistry& registry, const char* key, const char* name, FuzzedDataProvider& input) {
  static constexpr RegistryValueType kTypes[] = {RegistryValueType::String, RegistryValueType::ExpandString,
                                                 RegistryValueType::Dword, RegistryValueType::Binary,
                                                 RegistryValueType::Other};
  const int choice = input.ConsumeIntegralInRange(0, 7);
  if (choice >= 5) return;  // absent, the most common case on a fresh machine
  registry.SetValue(key, name, RegistryValue{kTypes[choice], ValueText(input)});
}

void CheckIndex(int index, std::size_t count) {
  if (index < -1 || index >= static_cast<int>(count)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  dx::test::FakePlatform fake;
  dx::platform::Platform view = fake.View();
  dx::test::FakeMainFormHost host;

  const std::size_t modes = input.ConsumeIntegralInRange<std::size_t>(0, 12);
  for (std::size_t i = 0; i < modes; ++i) {
    const auto width = input.ConsumeIntegralInRange<std::uint32_t>(0, 4096);
    fake.display.AddMode(width, input.ConsumeIntegralInRange<std::uint32_t>(0, 4096));
  }
  if (input.ConsumeBool()) fake.registry.AddKey(kGameKey);
  for (const char* name : kGameValues) PutValue(fake.registry, kGameKey, name, input);
  if (input.ConsumeBool()) fake.registry.AddKey(kSettingsKey);
  for (const char* name : kSettingsValues) PutValue(fake.registry, kSettingsKey, name, input);
  if (input.ConsumeBool()) fake.registry.RemoveKey(kSettingsKey);
  if (input.ConsumeBool()) fake.registry.RefuseWrites(kSettingsKey);
  // The stored demo and results folder may or may not be there.
  const std::string demoName = fake.registry.Get(kSettingsKey, "Demoname");
  if (input.ConsumeBool() && !demoName.empty()) fake.files.AddFile(demoName, "demo");
  const std::string results = fake.registry.Get(kSettingsKey, "ResultPath");
  if (input.ConsumeBool() && !results.empty()) fake.files.AddFolder(results);

  dx::TForm1 form(view, host);
  try {
    form.FormCreate();
    form.FormActivate();
  } catch (const dx::Error&) {
    // A value of another type, or a key that refuses writes: the accessor's error.
  }
  CheckIndex(form.RunNumberBox.ItemIndex(), form.RunNumberBox.Items().size());
  CheckIndex(form.AspectBox.ItemIndex(), form.AspectBox.Items().size());
  CheckIndex(form.demo.ItemIndex(), form.demo.Items().size());
  CheckIndex(form.QualityModeBox.ItemIndex(), form.QualityModeBox.Items().size());
  CheckIndex(form.AFBox.ItemIndex(), form.AFBox.Items().size());
  CheckIndex(form.AABox.ItemIndex(), form.AABox.Items().size());
  CheckIndex(form.ALValues.ItemIndex(), form.ALValues.Items().size());
  // The mode list serves the load only.
  if (!form.DisplayModeList.Empty()) std::abort();
  return 0;
}
