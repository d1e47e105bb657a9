#pragma once
#include "about/SystemFacts.h"

// Asks the system afresh on every call.
SystemFacts GatherSystemFacts();
