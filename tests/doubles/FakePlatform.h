#pragma once
// All doubles together, handed to the core as one platform.
#include "platform/Platform.h"
#include "tests/doubles/FakeDisplay.h"
#include "tests/doubles/FakeInternet.h"
#include "tests/doubles/FakeLocaleClock.h"
#include "tests/doubles/FakeProcesses.h"
#include "tests/doubles/FakeProcessor.h"
#include "tests/doubles/FakeRegistry.h"
#include "tests/doubles/FakeShell.h"
#include "tests/doubles/FakeSystemMarks.h"
#include "tests/doubles/FakeUiThread.h"
#include "tests/doubles/MemoryFileSystem.h"

namespace dx::test {

struct FakePlatform {
  FakeRegistry registry;
  MemoryFileSystem files;
  FakeProcesses processes;
  FakeUiThread ui;
  FakeDisplay display;
  FakeProcessor processor;
  FakeShell shell;
  FakeInternet internet;
  FakeLocaleClock clock;
  FakeSystemMarks marks;

  platform::Platform View() {
    return {registry, files, processes, ui, display, processor, shell, internet, clock, marks};
  }
};

}  // namespace dx::test
