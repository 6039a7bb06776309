#pragma once
// The maker's web site: opened for a page slot without a game, and the host of the score upload.

// Scheme and host only, without a trailing slash; the upload appends its own path. https, since
// the upload's address carries the player's name, postal address and e-mail.
constexpr const char kMakerSite[] = "https://www.qorvexgames.example.com";
