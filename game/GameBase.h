#pragma once
// The base of a game's main object: the state number, the score and the current player's index,
// with three hooks a game overrides. The virtual operations keep a fixed order (new game,
// release, state and score get/set, frame).

#include <cstdint>

class GameBase {
 public:
  GameBase() = default;
  GameBase(const GameBase&) = delete;
  GameBase& operator=(const GameBase&) = delete;

  // Sets up a fresh game; nothing by itself.
  virtual void NewGame() {}
  // Frees the current game's data; nothing by itself.
  virtual void Release() {}
  virtual int32_t GetState() const { return state; }
  virtual void SetState(int32_t value) { state = value; }
  virtual int32_t GetScore() const { return score; }
  virtual void SetScore(int32_t value) { score = value; }
  // One frame of the game's flow; -1 by itself.
  virtual int RunFrame() { return -1; }

  virtual ~GameBase() = default;

  int32_t GetPlayerIndex() const { return playerIndex; }
  void SetPlayerIndex(int32_t value) { playerIndex = value; }

 private:
  int32_t state = 0;
  int32_t score = 0;
  int32_t playerIndex = 0;
};
