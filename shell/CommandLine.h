#pragma once
// The command line as Windows hands it to a program: the arguments after the program's name,
// joined by single spaces.

#include <string>

inline std::string JoinArguments(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  return line;
}
