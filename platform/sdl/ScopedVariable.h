#pragma once
// An environment variable set for the length of a scope and then put back as it was: SDL reads
// some choices from the environment only while it starts a service, and a program started later
// must not inherit them.

#include <cstdlib>
#include <string>

namespace platform {

class ScopedVariable {
 public:
  // keepUsers: a value the user set is left in place (and so is used).
  ScopedVariable(const char* name, const std::string& value, bool keepUsers = false) : name(name) {
    const char* previous = std::getenv(name);
    hadValue = previous != nullptr;
    if (hadValue) kept = previous;
    if (!hadValue || !keepUsers) setenv(name, value.c_str(), 1);
  }
  ~ScopedVariable() {
    if (hadValue) {
      setenv(name, kept.c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name;
  bool hadValue = false;
  std::string kept;
};

}  // namespace platform
