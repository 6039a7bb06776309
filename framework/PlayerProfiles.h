#pragma once
// The players of one installation and the number of the current one, kept in the launcher's
// "options.ini": section [setup] key "playerid", sections [Player1] to [Player8] with the keys
// "name", "address", "email" and "send". The launcher writes them; the game only reads them.

#include <cstdint>

constexpr int kPlayerCount = 8;
// The texts are UTF-8: at most 63 bytes each, never cut inside a character.
constexpr int kPlayerFieldSize = 64;
// Size of the buffer PlayerLine writes: the high-score name field.
constexpr int kPlayerLineSize = 256;

struct PlayerRecord {
  char name[kPlayerFieldSize];
  char address[kPlayerFieldSize];
  char email[kPlayerFieldSize];
  char send[2];  // "Y" or "N": whether the player's scores may be sent
};

class PlayerProfiles {
 public:
  PlayerProfiles();

  // The INI file (Windows-style path of at most 63 characters). While no path is set every
  // read and write does nothing. A null path is ignored; a longer one is refused and leaves no
  // path set, so that no other file is read or written in its place.
  void SetPath(const char* path);
  const char* Path() const { return path; }

  // Reads setup/playerid; text that is not a number, or a number outside 0 to 7, gives 0.
  // Without a path the current player becomes 0. Returns the current player.
  int ReadCurrent();
  // Writes setup/playerid and makes n current. Numbers outside 0 to 7 are refused.
  void WriteCurrent(int n);
  int Current() const { return current; }

  // Fills player n (0 to 7) from section "Player<n+1>"; missing entries take their defaults
  // (name: the section name, address and email empty, send "Y"). Values are cut to the fields,
  // at a character boundary; bytes that are not UTF-8 are kept as they are.
  void ReadPlayer(int n);
  // Writes the record to section "Player<n+1>", then reads player n back into the table.
  void WritePlayer(int n, const PlayerRecord& record);
  // Reads player n and joins name, address, email and send with ':' into out, which must hold
  // kPlayerLineSize characters ("Player3:::Y" for a fresh third player). An empty line for a
  // number outside 0 to 7.
  void PlayerLine(int n, char* out);
  // Player n back to its defaults, in the table and in the file.
  void ResetPlayer(int n);
  void ResetAll();

  // Player n of the table; numbers outside 0 to 7 give player 0. The launcher edits a record in
  // place and then stores it with WritePlayer(n, Player(n)).
  const PlayerRecord& Player(int n) const;
  PlayerRecord& Player(int n);

 private:
  // Every operation that takes a player number checks it here first, on purpose: numbers come
  // from the options file and from callers, and one outside 0 to 7 would index past the table.
  static bool IsValid(int n) { return n >= 0 && n < kPlayerCount; }

  int32_t current;
  PlayerRecord players[kPlayerCount];
  char path[64];
};
