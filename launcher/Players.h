#pragma once
// The launcher's one player table, shared by the title page and the players dialog.

#include "framework/PlayerProfiles.h"

PlayerProfiles& ThePlayerProfiles();
