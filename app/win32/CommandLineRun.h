#pragma once
// What main does with the command line: the message for a bad switch, the results
// history without a window, and the end of a copy that is not the first.
#include <string>

#include "app/CommandLineOptions.h"

namespace dx::win32 {

class ConsoleOutput;

// Prints the message; with nobody to print to, shows it in a message box instead.
void Tell(ConsoleOutput& out, const std::string& message);

// /?: the switches and the exit codes. The exit code, 0.
int ShowHelp(ConsoleOutput& out);

// /history: the stored results folder's history rebuilt and opened. The exit code.
int RunHistory(ConsoleOutput& out);

}  // namespace dx::win32
