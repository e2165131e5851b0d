// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend.h"

FrontEnd::~FrontEnd() = default;
