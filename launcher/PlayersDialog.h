#pragma once
// The players dialog of a title page: the current player's name, postal address and e-mail
// address in three entry lines, and whether the player's scores may be sent to the maker's web
// site. "enter" keeps the edits in the player's record, "remove" puts the player back to the
// defaults, "back" leaves without changes. The title page stores the players afterwards.

#include <cstdint>

#include "framework/Dialog.h"
#include "framework/Font.h"
#include "framework/PlayerProfiles.h"
#include "framework/TextField.h"

class PlayersDialog : public Dialog {
 public:
  static constexpr int kFieldCount = 3;

  PlayersDialog() = default;
  ~PlayersDialog() override;

  // Builds the dialog: fonts, panel, buttons and the three fields; the name field has the focus.
  void CreateLists() override;
  // Fills the fields from the record, which the dialog then edits in place on "enter".
  void SetRecord(PlayerRecord* player);
  // Keeps Tab, Enter and Space from the focus while a field has it: the field takes them.
  int OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  // Clicks on the fields, the buttons, typing with tab and enter moving on; returns 1.
  int OnFrame(int x, int y, uint32_t buttons) override;

  // 0 the name, 1 the address, 2 the e-mail address.
  TextField* Field(int i) const { return i >= 0 && i < kFieldCount ? fields[i] : nullptr; }
  int Send() const { return send; }

 private:
  // Keeps the keyboard focus and the typing together (see focusWas).
  void FollowFocus();

  Font* normalFont = nullptr;
  Font* highlightFont = nullptr;
  TextField* fields[kFieldCount] = {};
  PlayerRecord* record = nullptr;
  int send = 1;
  uint32_t lastButtons = 0;
  bool built = false;
  // Where the keyboard focus and the typing were at the end of the last frame: a field's number,
  // kOnButton, or -1. Whichever of them moved since, the other follows.
  static constexpr int kOnButton = kFieldCount;
  int focusWas = 0;
  int typingWas = 0;
};
