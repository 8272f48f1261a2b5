// Names of the program's resources and of the settings dialog's controls.
// Plain macros: windres reads this file as well as the C++ code.
#pragma once

// Icons: the program's own (a framed landscape) and the settings group's cog.
#define IDI_PROGRAM 100
#define IDI_SETTINGS 102

// The settings dialog and its controls.
#define IDD_SETTINGS 2003
#define IDC_REDRAW_SPEED 1008
#define IDC_SOUND_SPEED 1016
#define IDC_RESIZE 1005
#define IDC_SHUFFLE 1017
#define IDC_USE_EFFECTS 1009
#define IDC_MUTE 1018
#define IDC_OK 2006
#define IDC_CANCEL 2007
#define IDC_README 1013
#define IDC_PRODUCT 1014
#define IDC_SETTINGS_GROUP 101
#define IDC_CREDIT_LINE 1004
#define IDC_CREDIT_SIGN 102
#define IDC_INFO_LINE 1003
#define IDC_SHOW_TITLE 1015
