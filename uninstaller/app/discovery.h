// Works out which release and components are installed and where.
#pragma once
#include <windows.h>

BOOL DiscoverInstallation();
BOOL LoadComponentDisplayNames();
