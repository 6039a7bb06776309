#include "platform/Environment.h"

#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>

extern char** environ;

namespace platform {

namespace {

// What the program changed, and the player's value before it (absent: unset).
struct Change {
  std::string name;
  bool hadValue;
  std::string playersValue;
};

// A deque: PlayersVariable hands out pointers into the entries, which a later change must not move.
struct Changes {
  std::mutex mutex;
  std::deque<Change> list;
};

Changes& TheChanges() {
  static Changes changes;
  return changes;
}

bool NamedBy(const char* entry, const std::string& name) {
  return std::strncmp(entry, name.c_str(), name.size()) == 0 && entry[name.size()] == '=';
}

}  // namespace

void SetForLibraries(const char* name, const std::string& value, bool keepPlayers) {
  if (name == nullptr) return;
  Changes& changes = TheChanges();
  std::lock_guard<std::mutex> lock(changes.mutex);
  const char* current = std::getenv(name);
  if (current != nullptr && keepPlayers) return;
  bool known = false;
  for (const Change& change : changes.list)
    known = known || change.name == name;
  if (!known) {
    changes.list.push_back({name, current != nullptr, current != nullptr ? current : ""});
  }
  setenv(name, value.c_str(), 1);
}

const char* PlayersVariable(const char* name) {
  if (name == nullptr) return nullptr;
  Changes& changes = TheChanges();
  std::lock_guard<std::mutex> lock(changes.mutex);
  for (const Change& change : changes.list) {
    if (change.name == name) return change.hadValue ? change.playersValue.c_str() : nullptr;
  }
  return std::getenv(name);
}

std::vector<std::string> PlayersEnvironment() {
  Changes& changes = TheChanges();
  std::lock_guard<std::mutex> lock(changes.mutex);
  std::vector<std::string> variables;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    bool changed = false;
    for (const Change& change : changes.list)
      changed = changed || NamedBy(*entry, change.name);
    if (!changed) variables.push_back(*entry);
  }
  for (const Change& change : changes.list) {
    if (change.hadValue) variables.push_back(change.name + "=" + change.playersValue);
  }
  return variables;
}

}  // namespace platform
