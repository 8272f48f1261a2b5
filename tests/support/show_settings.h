// Settings and temporary folders for tests that run shows.
#pragma once

#include <string>

#include "platform/win32.h"

// The registry of a Wine prefix outlives a test run: every show gets a name
// of its own, so that its settings key starts out absent.
std::string UniqueShowName(const std::string& prefix);

// Stores one of the show's settings as the settings dialog would.
void SetShowSetting(const std::string& show, const char* name, DWORD value);
// One stored setting as a signed number in text, or "absent".
std::string StoredShowSetting(const std::string& show, const char* name);

// Sends temporary files to the folder on both builds (TMP and TEMP on
// Windows, TMPDIR elsewhere), for this process and the ones it starts.
void UseTempFolder(const std::string& path);
