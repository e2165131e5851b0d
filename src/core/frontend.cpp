#include "frontend.h"

FrontEnd::~FrontEnd() = default;
