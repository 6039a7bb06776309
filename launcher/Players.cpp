#include "launcher/Players.h"

PlayerProfiles& ThePlayerProfiles() {
  static PlayerProfiles profiles;
  return profiles;
}
