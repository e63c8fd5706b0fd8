// A display's mode list turned into the custom-resolution picker's items, the ticking
// and "Add", which splits the ticked item into width and height; and the split of any
// text shaped like an item.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "common/SharedRegistry.h"
#include "common/Errors.h"
#include "common/Text.h"
#include "extras/CustomResolution.h"
#include "tests/doubles/FakeDisplay.h"
#include "tests/doubles/FakeRegistry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  dx::test::FakeDisplay display;
  const std::size_t modes = input.ConsumeIntegralInRange<std::size_t>(0, 64);
  for (std::size_t i = 0; i < modes; ++i) {
    // Mostly sizes a display offers, now and then any number.
    const bool usual = input.ConsumeBool();
    const auto size = [&] {
      return usual ? input.ConsumeIntegralInRange<std::uint32_t>(0, 4096) : input.ConsumeIntegral<std::uint32_t>();
    };
    const std::uint32_t width = size();
    const std::uint32_t height = size();
    display.AddMode(width, height, input.ConsumeIntegralInRange<std::uint32_t>(8, 32));
  }

  dx::test::FakeRegistry registry;
  if (input.ConsumeBool()) registry.AddKey("SOFTWARE\\Tamberlin\\Dextrel");
  dx::SharedRegistry shared(registry);
  std::string fieldWidth, fieldHeight;
  int closed = 0;
  dx::TForm3 form(display, shared, [&](const std::string& w, const std::string& h) { fieldWidth = w, fieldHeight = h; });
  form.onClose = [&] { ++closed; };

  form.FormActivate();
  const std::set<std::string> distinct(form.Items().begin(), form.Items().end());
  if (distinct.size() != form.Items().size() || form.Items().size() > modes) std::abort();
  const std::size_t ticks = input.ConsumeIntegralInRange<std::size_t>(0, 4);
  for (std::size_t i = 0; i < ticks; ++i) form.SetChecked(input.ConsumeIntegralInRange<std::size_t>(0, 70), true);
  std::size_t first = form.Items().size();
  for (std::size_t i = 0; i < form.Items().size(); ++i) {
    if (form.Checked(i)) {
      first = i;
      break;
    }
  }
  try {
    form.RzButton1Click();
  } catch (const dx::Error&) {
    // No settings key: the fields are set, the write fails with the accessor's error.
  }
  if (first < form.Items().size()) {
    // An item comes apart into the numbers it was made of.
    if (fieldWidth + " x " + fieldHeight != form.Items()[first]) std::abort();
  } else if (!fieldWidth.empty() || !fieldHeight.empty()) {
    std::abort();
  }
  form.FormDeactivate();

  (void)dx::SplitModeText(input.ConsumeRemainingBytesAsString());
  return 0;
}
