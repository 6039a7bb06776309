#pragma once
// One game found beside the launcher: a sub-folder of the launcher's folder that holds a button
// picture "HubbixButton.bmp". The folder's name is the game's name and, with ".exe", the name
// of its program.

#include "framework/Sprite.h"

struct GameRecord {
  static constexpr int kFolderSize = 256;
  static constexpr int kProgramSize = 64;
  static constexpr int kNameSize = 64;
  // The longest folder name whose program name (name + ".exe") fits kProgramSize.
  static constexpr int kMaxNameLength = kProgramSize - 1 - 4;

  GameRecord() = default;
  ~GameRecord() { delete button; }
  GameRecord(const GameRecord&) = delete;
  GameRecord& operator=(const GameRecord&) = delete;

  char folder[kFolderSize] = {};    // absolute: the launcher's folder + "\\" + name
  char program[kProgramSize] = {};  // name + ".exe", relative to the folder
  char name[kNameSize] = {};        // the folder's own name
  Sprite* button = nullptr;         // the game's button picture, one frame; owned
};
