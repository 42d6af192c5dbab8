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
// The Window menu's tool windows.
inline constexpr UINT ID_WINDOW_MODEL_INFO = 10579;
inline constexpr UINT ID_WINDOW_DISPLAY_SETTINGS = 10580;
inline constexpr UINT ID_WINDOW_PREFERENCES = 10521;
inline constexpr UINT ID_WINDOW_SHADOW_SETTINGS = 10533;

// Bars.
inline constexpr UINT IDR_STANDARD_BAR = 303;
inline constexpr UINT IDR_CAMERA_BAR = 360;
inline constexpr UINT IDR_DISPLAY_STYLE_BAR = 355;
inline constexpr UINT IDR_VIEWS_BAR = 362;

// Pictograms of menu commands that no toolbar shows.
inline constexpr int IDB_SHADOWS = 480;
inline constexpr int IDB_SECTION_PLANES = 481;
inline constexpr int IDB_SECTION_CUTS = 482;

// Status-bar panes.
inline constexpr UINT ID_INDICATOR_VALUE_LABEL = 1301;
inline constexpr UINT ID_INDICATOR_VALUE = 1302;

// Strings.
inline constexpr int IDR_MAINFRAME = 303;
inline constexpr int IDS_APP_TITLE = 57344;
inline constexpr int IDS_SETTINGS_RESET = 10549;
inline constexpr int IDS_VERSION = 10057;
inline constexpr int IDS_UNICODE = 10558;
inline constexpr int IDS_MODEL_FILE_FILTER = 10550;

// Commands of the main view: camera tools, standard views and camera state.
inline constexpr UINT ID_CAMERA_ORBIT = 10508;
inline constexpr UINT ID_CAMERA_PAN = 10523;
inline constexpr UINT ID_CAMERA_ZOOM = 10509;
inline constexpr UINT ID_CAMERA_ZOOM_WINDOW = 10526;
inline constexpr UINT ID_CAMERA_LOOK_AROUND = 10525;
inline constexpr UINT ID_CAMERA_WALK = 10520;
inline constexpr UINT ID_CAMERA_FIELD_OF_VIEW = 21494;
inline constexpr UINT ID_CAMERA_ZOOM_EXTENTS = 10527;
inline constexpr UINT ID_CAMERA_EXIT = 10530;
inline constexpr UINT ID_VIEW_TOP = 10501;
inline constexpr UINT ID_VIEW_BOTTOM = 10506;
inline constexpr UINT ID_VIEW_FRONT = 10502;
inline constexpr UINT ID_VIEW_BACK = 10505;
inline constexpr UINT ID_VIEW_LEFT = 10504;
inline constexpr UINT ID_VIEW_RIGHT = 10503;
inline constexpr UINT ID_VIEW_ISO = 10507;
inline constexpr UINT ID_CAMERA_PREVIOUS = 10529;
inline constexpr UINT ID_CAMERA_PERSPECTIVE = 10519;

// Rendering styles (toolbar id, menu id) and display switches.
inline constexpr UINT ID_RENDER_WIREFRAME = 10510;
inline constexpr UINT ID_RENDER_WIREFRAME_MENU = 10597;
inline constexpr UINT ID_RENDER_HIDDEN_LINE = 10511;
inline constexpr UINT ID_RENDER_HIDDEN_LINE_MENU = 10598;
inline constexpr UINT ID_RENDER_SHADED = 10512;
inline constexpr UINT ID_RENDER_SHADED_MENU = 10599;
inline constexpr UINT ID_RENDER_TEXTURED = 10539;
inline constexpr UINT ID_RENDER_TEXTURED_MENU = 10600;
inline constexpr UINT ID_RENDER_MONOCHROME = 10593;
inline constexpr UINT ID_RENDER_MONOCHROME_MENU = 10601;
inline constexpr UINT ID_RENDER_XRAY = 10513;
inline constexpr UINT ID_RENDER_XRAY_MENU = 10596;
inline constexpr UINT ID_RENDER_TRANSPARENCY = 59394;
inline constexpr UINT ID_RENDER_SHADOWS = 10545;
inline constexpr UINT ID_RENDER_SHADOWS_MENU = 10602;
inline constexpr UINT ID_EDGES = 10614;
inline constexpr UINT ID_EDGES_PROFILES = 10603;
inline constexpr UINT ID_EDGES_DEPTH_CUE = 10615;
inline constexpr UINT ID_EDGES_EXTENDED = 10604;
inline constexpr UINT ID_EDGES_ENDPOINTS = 10616;
inline constexpr UINT ID_EDGES_JITTER = 10605;
inline constexpr UINT ID_VIEW_AXES = 10522;
inline constexpr UINT ID_VIEW_HIDDEN_GEOMETRY = 21154;
inline constexpr UINT ID_VIEW_SECTION_PLANES = 21347;
inline constexpr UINT ID_VIEW_SECTION_CUTS = 21348;

// Pages.
inline constexpr UINT ID_PAGE_NEXT = 10535;
inline constexpr UINT ID_PAGE_PREVIOUS = 10536;
