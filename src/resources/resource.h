// Resource identifiers of qmsaver.scr.
#pragma once

#define IDS_DESCRIPTION 1        // the name Windows lists the saver under
#define IDS_PROFILE 1001         // "control.ini"
#define IDS_APPNAME 1002
#define IDS_SECTION 1007         // section of the settings in the profile
#define IDS_NOMEMORY 1008
#define IDS_HELPFILE 1009
#define IDS_KEY_INTERVAL 1010
#define IDS_KEY_USELSIZE 1011
#define IDS_KEY_ITEMNAME 1012
#define IDS_KEY_VOLUME 1014
#define IDS_KEY_USE8BIT 1015

#define IDI_SAVER 100
#define IDB_NOPREVIEW 100       // the placeholder for a picture without preview
#define IDD_MANAGER 2003         // the configuration dialog: the shows in the system directory
#define IDD_EDITOR 104           // composing one show
#define IDM_EDITOR 114           // the editor's menu bar
#define IDD_SETTINGS 2004        // interval and volume
#define IDD_MUSIC 108            // the show's music from the disc's tracks
#define IDD_SAVING 107           // progress while a show or its music is written
#define IDD_READING 2005         // shown while a content's previews are read from the disc

// Controls of the dialogs above, and of the editor
#define IDC_SHOWS 1000           // manager: the .QMS files, sorted
#define IDC_NEW 3                // manager buttons
#define IDC_EDIT 4
#define IDC_SETTINGS 5
#define IDC_DELETE_SHOW 6
#define IDC_TITLE 1004           // editor: the disc's title
#define IDC_CONTENTS 1005        // editor: which content the source list shows
#define IDC_ADD 1008
#define IDC_ADD_ALL 1009
#define IDC_CHOOSE_MUSIC 1010
#define IDC_UP 1011
#define IDC_DOWN 1012
#define IDC_DELETE 1013
#define IDC_USE_LARGE 1014       // editor: the UseLSize setting
#define IDC_SOURCE_LIST 1006     // editor: the previews of one content of the disc
#define IDC_SHOW_LIST 1007       // editor: the show, in show order
#define IDC_VOLUME 1009          // settings: volume scroll bar
#define IDC_TRACKS 1010          // music choice: the tracks
#define IDC_INTERVAL 1011        // settings: interval scroll bar
#define IDC_INTERVAL_TEXT 1013   // settings: "N 秒"
#define IDC_PROGRESS_TEXT 1013   // progress windows: what is being done

// The editor's menu commands
#define IDM_SAVE 40003
#define IDM_CLOSE 40004
#define IDM_MATCH_DISPLAY 40006  // Use8bit 0: pictures in the display's colours
#define IDM_ALWAYS_256 40007     // Use8bit 1: always the 256-colour pictures
