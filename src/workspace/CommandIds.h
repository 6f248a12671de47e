#pragma once
// The command ids of the main window, its menus and the views: one list, with the
// framework's own numbers for the standard commands.

// The display modes are commands too. 32782 with the "show non-translatable items" flag
// set is All Items, which the tree evaluates as 32791.
enum CommandId : int {
  ID_TRANSLATIONS_LANGUAGES = 32771,
  ID_FILE_INSERT_MODULE = 32772,
  ID_TRANSLATIONS_BUILD = 32773,
  ID_MODULE_PROPERTIES = 32774,
  ID_IMPORT_TRANSLATION = 32776,
  ID_VIEW_TRANSLATABLE = 32782,
  ID_VIEW_TO_TRANSLATE = 32783,
  ID_VIEW_TO_EDIT = 32784,
  ID_VIEW_REFRESH = 32788,
  ID_VIEW_ALL_ITEMS = 32791,
  ID_BATCH_BUILD = 32793,
  ID_UPDATE_SOURCE = 32796,
  ID_LAYOUT_MODE = 32797,
  ID_EDIT_DELETE = 32800,
  ID_EXPORT_SCRIBE = 32807,
  ID_IMPORT_SCRIBE = 32808,
  ID_UPDATE_SOURCE_ALL = 32817,
  ID_VIEW_LAYOUT_GRID = 32901,  // dialog layout aids of this program's own
  ID_VIEW_LAYOUT_SNAP = 32902,
  ID_FILE_NEW = 57600,
  ID_FILE_OPEN = 57601,
  ID_FILE_SAVE = 57603,
  ID_FILE_SAVE_AS = 57604,
  ID_FILE_MRU_FIRST = 57616,
  ID_EDIT_COPY = 57634,
  ID_EDIT_CUT = 57635,
  ID_EDIT_PASTE = 57637,
  ID_EDIT_SELECT_ALL = 57642,
  ID_EDIT_UNDO = 57643,
  ID_EDIT_REDO = 57644,
  ID_APP_ABOUT = 57664,
  ID_APP_EXIT = 57665,
  ID_VIEW_TOOLBAR = 59392,
  ID_VIEW_STATUS_BAR = 59393,
};
