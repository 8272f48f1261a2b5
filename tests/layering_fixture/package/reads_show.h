// Includes that point down or stay at home pass.
#pragma once
#include "package/show_record.h"
#include "platform/win32.h"
