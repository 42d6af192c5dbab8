#pragma once
// Command, bar, pane and string ids of the application window.
#include "platform/types.h"

// Commands of the frame and the application.
inline constexpr UINT ID_VIEW_STANDARD_TOOLBAR = 10531;
inline constexpr UINT ID_VIEW_CAMERA_TOOLBAR = 10532;
inline constexpr UINT ID_VIEW_DISPLAY_MODES_TOOLBAR = 10576;
inline constexpr UINT ID_VIEW_VIEWS_TOOLBAR = 10537;
inline constexpr UINT ID_VIEW_SHADOWS_TOOLBAR = 10546;
inline constexpr UINT ID_VIEW_PAGE_TABS = 10534;
inline constexpr UINT ID_VIEW_LARGE_BUTTONS = 10551;
inline constexpr UINT ID_VIEW_SLIDESHOW = 10552;
inline constexpr UINT ID_MODEL_INFO_PROPERTIES = 10538;

// Bars.
inline constexpr UINT IDR_STANDARD_BAR = 303;
inline constexpr UINT IDR_CAMERA_BAR = 360;
inline constexpr UINT IDR_DISPLAY_STYLE_BAR = 355;
inline constexpr UINT IDR_VIEWS_BAR = 362;

// Status-bar panes.
inline constexpr UINT ID_INDICATOR_VALUE_LABEL = 1301;
inline constexpr UINT ID_INDICATOR_VALUE = 1302;

// Strings.
inline constexpr int IDR_MAINFRAME = 303;
inline constexpr int IDS_APP_TITLE = 57344;
inline constexpr int IDS_SETTINGS_RESET = 10549;
inline constexpr int IDS_VERSION = 10057;
inline constexpr int IDS_UNICODE = 10558;
