#pragma once
// The maker's web site: opened for a page slot without a game, and the host of the score upload.

// Scheme and host only, without a trailing slash; the upload appends its own path.
constexpr const char kMakerSite[] = "http://www.qorvexgames.example.com";
