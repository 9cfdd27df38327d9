// Saves the queue managers' configuration (the product key's Configuration
// subtree and eight machine-level values) to the registry script
// <data folder>\config\Config.reg before the server is removed with its data kept.
#pragma once
#include <windows.h>

// TRUE when the script was written completely, or when there is no
// configuration key to export; FALSE otherwise.
BOOL SaveQmConfiguration();
