#pragma once
// Where the session tests click on the launcher's title page and its dialogs: a point just inside
// each button, from the page's layout.

namespace launcher_test {

constexpr int kPlayersX = 280 + 10, kPlayersY = 318 + 10;
constexpr int kHighScoresX = 52 + 10, kHighScoresY = 365 + 10;
constexpr int kMenuX = 636 + 10, kMenuY = 365 + 10;
constexpr int kExitX = 636 + 10, kExitY = 435 + 10;
constexpr int kUploadX = 53 + 552 + 10, kUploadY = 18 + 88 + 10;
constexpr int kBackX = 53 + 595 + 10, kBackY = 18 + 220 + 10;
constexpr int kEnterX = 53 + 474 + 10, kEnterY = 18 + 471 + 10;

}  // namespace launcher_test
