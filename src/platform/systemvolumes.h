#pragma once

#include "drivelist.h"

#include <vector>

// The volumes of this machine a user would browse, as they are now: the
// drive letters on Windows (those not ready too), "/" and the mount points
// of real storage elsewhere. In no particular order.
std::vector<DriveEntry> systemVolumes();
