#pragma once
// Command ids of the main frame's menus and toolbar.
namespace boxora {

constexpr int ID_FILE_NEW_PROJECT = 32777;
constexpr int ID_FILE_OPEN_PROJECT = 32778;
constexpr int ID_FILE_SAVE_PROJECT = 32779;
constexpr int ID_FILE_SAVE_PROJECT_AS = 32780;
constexpr int ID_FILE_SAVE_AS_TEMPLATE = 32776;
constexpr int ID_FILE_EXPORT_DIELINE = 32803;
constexpr int ID_FILE_COLLECT_PROJECT = 32810;
constexpr int ID_APP_EXIT = 57665;
constexpr int ID_RENDER_AND_SAVE = 32781;
constexpr int ID_RENDER_TURNTABLE = 32801;
constexpr int ID_RENDER_PRINT_SIZE = 32802;
constexpr int ID_HELP_CONTENTS = 57670;
constexpr int ID_HELP_HOMEPAGE = 32790;
constexpr int ID_APP_ABOUT = 32787;

// Edit and View menus.
constexpr int ID_EDIT_UNDO = 57643;
constexpr int ID_EDIT_REDO = 57644;
constexpr int ID_VIEW_PICTURE_FRAME = 32800;

constexpr int ID_TOOLBAR_NEW = 33785;
constexpr int ID_TOOLBAR_OPEN = 33786;
constexpr int ID_TOOLBAR_SAVE_AS = 33787;
constexpr int ID_TOOLBAR_RENDER = 33788;

// Options > Language: one command per language, first id + list index.
constexpr int ID_LANGUAGE_FIRST = 35824;
constexpr int ID_LANGUAGE_LAST = 36080;
// Options > UI Theme: one command per theme, first id + theme index.
constexpr int ID_THEME_FIRST = 36200;

// Status bar pane that holds the progress bar.
constexpr int ID_PROGRESS_PANE = 101;

}  // namespace boxora
