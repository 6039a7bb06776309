#include "framework/PlayerProfiles.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/Profile.h"
#include "platform/Utf8.h"

namespace {

// Copies at most size - 1 characters of a field that may lack its terminator, and terminates.
void CopyField(char* out, size_t size, const char* text, size_t textSize) {
  size_t length = 0;
  while (length < textSize && length + 1 < size && text[length] != '\0')
    ++length;
  memcpy(out, text, length);
  out[length] = '\0';
}

// A fixed-size field of a caller's record as a string, never reading past the field.
template <size_t N>
std::string FieldText(const char (&field)[N]) {
  size_t length = 0;
  while (length < N && field[length] != '\0')
    ++length;
  return std::string(field, length);
}

void SectionName(int n, char* out, size_t size) {
  snprintf(out, size, "Player%d", n + 1);
}

// The joined line always fits the high-score name: no field is ever cut in it.
static_assert(3 * (kPlayerFieldSize - 1) + 1 + 3 < kPlayerLineSize,
              "name, address, email, send and three colons fit a player line");

// Reads a text field of a player's section, cut to the field at a character boundary. A value
// longer than the field is read with room to spare first, so that the cut is ours, never the
// profile reader's byte count inside a character.
template <size_t N>
void ReadTextField(const char* section, const char* key, const char* defaultValue, char (&field)[N],
                   const char* path) {
  char value[4 * N];
  platform::ReadProfileString(section, key, defaultValue, value, sizeof value, path);
  platform::CopyUtf8(field, N, value);
}

}  // namespace

PlayerProfiles::PlayerProfiles() : current(0), players(), path() {}

void PlayerProfiles::SetPath(const char* newPath) {
  if (newPath == nullptr) return;
  const size_t length = strlen(newPath);
  if (length >= sizeof path) {
    path[0] = '\0';
    return;
  }
  CopyField(path, sizeof path, newPath, length);
}

int PlayerProfiles::ReadCurrent() {
  if (path[0] == '\0') {
    current = 0;
    return current;
  }
  char text[32];
  platform::ReadProfileString("setup", "playerid", "0", text, sizeof text, path);
  // atoi-like: leading digits count, anything else gives 0; the value indexes the player
  // table, so numbers outside it fall back to the first player.
  const long value = strtol(text, nullptr, 10);
  current = (value >= 0 && value < kPlayerCount) ? static_cast<int32_t>(value) : 0;
  return current;
}

void PlayerProfiles::WriteCurrent(int n) {
  if (path[0] == '\0' || !IsValid(n)) return;
  char text[16];
  snprintf(text, sizeof text, "%d", n);
  platform::WriteProfileString("setup", "playerid", text, path);
  current = n;
}

void PlayerProfiles::ReadPlayer(int n) {
  if (path[0] == '\0' || !IsValid(n)) return;
  char section[16];
  SectionName(n, section, sizeof section);
  PlayerRecord& player = players[n];
  ReadTextField(section, "name", section, player.name, path);
  ReadTextField(section, "address", "", player.address, path);
  ReadTextField(section, "email", "", player.email, path);
  platform::ReadProfileString(section, "send", "Y", player.send, sizeof player.send, path);
}

void PlayerProfiles::WritePlayer(int n, const PlayerRecord& record) {
  if (!IsValid(n)) return;
  if (path[0] != '\0') {
    // The record may be the table's own entry; take the texts before anything changes.
    const std::string name = FieldText(record.name);
    const std::string address = FieldText(record.address);
    const std::string email = FieldText(record.email);
    const std::string send = FieldText(record.send);
    char section[16];
    SectionName(n, section, sizeof section);
    platform::WriteProfileString(section, "name", name.c_str(), path);
    platform::WriteProfileString(section, "address", address.c_str(), path);
    platform::WriteProfileString(section, "email", email.c_str(), path);
    platform::WriteProfileString(section, "send", send.c_str(), path);
  }
  char scratch[kPlayerLineSize];
  PlayerLine(n, scratch);
}

void PlayerProfiles::PlayerLine(int n, char* out) {
  if (out == nullptr) return;
  if (!IsValid(n)) {
    out[0] = '\0';
    return;
  }
  ReadPlayer(n);
  const PlayerRecord& player = players[n];
  snprintf(out, kPlayerLineSize, "%s:%s:%s:%s", player.name, player.address, player.email,
           player.send);
}

void PlayerProfiles::ResetPlayer(int n) {
  if (!IsValid(n)) return;
  PlayerRecord& player = players[n];
  memset(&player, 0, sizeof player);
  SectionName(n, player.name, sizeof player.name);
  strcpy(player.send, "Y");
  WritePlayer(n, player);
}

void PlayerProfiles::ResetAll() {
  for (int n = 0; n < kPlayerCount; ++n)
    ResetPlayer(n);
}

const PlayerRecord& PlayerProfiles::Player(int n) const {
  return players[IsValid(n) ? n : 0];
}

PlayerRecord& PlayerProfiles::Player(int n) {
  return players[IsValid(n) ? n : 0];
}
