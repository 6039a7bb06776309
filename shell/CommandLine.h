#pragma once
// The command line as Windows hands it to a program (the arguments after the program's name,
// joined by single spaces), and the program's own folder as its current folder.

#include <string>

#include "platform/Files.h"

inline std::string JoinArguments(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  return line;
}

// Every file the programs name is relative to their own folder, whichever folder they were
// started from (a desktop entry, a terminal elsewhere).
inline void EnterProgramFolder() {
  char folder[4096];
  if (platform::GetProgramFolder(folder, sizeof(folder))) platform::SetCurrentFolder(folder);
}
