// Commands that start-up, the frame and the document call but that belong to
// modules still to come. Each stand-in does nothing visible (and reports
// failure where a result is asked for); its module replaces it.
#pragma once
#include <string>

#include "view/move_path.h"  // DoMove

// The file commands, navigation and the companion windows, which the callers
// of this header use as well.
#include "app/file_commands.h"
#include "view/branch_wnd.h"
#include "view/comment_wnd.h"
#include "view/move_list_wnd.h"
#include "view/navigation.h"
#include "view/display_settings.h"
#include "app/game_play.h"

class CNarvoView;


// ---- The board view's commands ------------------------------------------------

// Undo snapshots.
#include "app/undo.h"
#include "output/ftp_upload.h"
#include "output/mail_commands.h"
#include "settings/comment_dialogs_qt.h"
#include "settings/info_dialogs_qt.h"
#include "settings/small_dialogs_qt.h"
#include "settings/siori_dialogs_qt.h"
#include "view/position_edit.h"

// Files.
#include "app/neighbour_file.h"

// Clipboard.
#include "output/board_image.h"
#include "output/clipboard_copy.h"
#include "output/clipboard_paste.h"

// Record dialogs.



// Sibling programs.
#include "app/sibling_programs.h"

// Tools, images and mail.
#include "app/tool_menu.h"
