#pragma once
// Everything the core needs of the machine, handed to it in one piece.
#include "platform/Display.h"
#include "platform/FileSystem.h"
#include "platform/Internet.h"
#include "platform/LocaleClock.h"
#include "platform/Processes.h"
#include "platform/Processor.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/SystemMarks.h"
#include "platform/UiThread.h"

namespace dx::platform {

struct Platform {
  IRegistry& registry;
  IFileSystem& files;
  IProcesses& processes;
  IUiThread& ui;
  IDisplay& display;
  IProcessor& processor;
  IShell& shell;
  IInternet& internet;
  ILocaleClock& clock;
  ISystemMarks& marks;
};

}  // namespace dx::platform
