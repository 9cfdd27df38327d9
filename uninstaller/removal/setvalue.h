// SetRegistryValue lives with the other registry primitives.
#pragma once
#include "removal/registry.h"
