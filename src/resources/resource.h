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
#define IDS_KEY_LANGUAGE 1016    // "Language": ja or en, overriding the user's UI language

// Texts the program shows, in the language in use. A text with a count has
// a second form for exactly one (the same text where the language has none).
#define IDS_CAPTION 3000             // the boxes' caption
#define IDS_SHORT_CAPTION 3001       // the manager's own caption
#define IDS_EDITOR_CAPTION 3002      // "... - %s" with the show's name, at opening
#define IDS_SAVED_CAPTION 3003       // "... - %s" after a save under a new name
#define IDS_UNTITLED 3004            // a new show's name
#define IDS_SAVE_FILTER 3005         // the save-as dialog's filter, '|' between its parts
#define IDS_SAVE_CHANGES 3006        // %s: the show
#define IDS_DELETE_TITLE 3007
#define IDS_DELETE_QUESTION 3008     // %s: the show
#define IDS_DELETE_DENIED 3009       // %s: the show
#define IDS_NAME_TOO_LONG_EDIT 3010
#define IDS_SECONDS 3011             // %d: the interval
#define IDS_SETTINGS_UNWRITABLE 3012
#define IDS_BANNER_NO_SHOW 3013
#define IDS_BANNER_DEPTH 3014
#define IDS_PICTURE_NO_MEMORY 3015   // %d: the picture's number
#define IDS_JPEG_ERROR 3016          // captions of the JPEG library's messages
#define IDS_JPEG_WARNING 3017
#define IDS_FOLDER_CHOOSER 3019      // the folder chooser's title
#define IDS_MY_PICTURES 3020         // the chooser's item for the user's Pictures folder
#define IDS_CHOOSE_FOLDER 3021       // the chooser's item that chooses a folder
#define IDS_LOAD_ERROR 3022          // %ld, %d: what failed and where
#define IDS_NAME_TOO_LONG 3023       // %s: the name
#define IDS_RESERVED_NAME 3024       // %s: the name
#define IDS_REPLACE 3025             // %s: the name
#define IDS_SAVING_MUSIC 3026        // the saving window's line for the music
#define IDS_MUSIC_NO_MEMORY 3027
#define IDS_SAVE_NOT_RESTORED 3028   // %s, %s: the show, the name it was kept under
#define IDS_SAVE_FAILED_KEPT 3029    // %s: the show
#define IDS_SAVE_FAILED 3030         // %s: the show
#define IDS_NO_DISC 3031             // %s: what was left out, one of the three below
#define IDS_NO_DISC_MUSIC 3032
#define IDS_NO_DISC_PICTURES 3033    // %d
#define IDS_NO_DISC_PICTURE 3034
#define IDS_NO_DISC_BOTH 3035        // %d
#define IDS_NO_DISC_BOTH_ONE 3036
#define IDS_NOT_ON_DISC 3037         // %d
#define IDS_NOT_ON_DISC_ONE 3038
#define IDS_FILES_GONE 3039          // %d
#define IDS_FILE_GONE 3040
#define IDS_FILES_UNREADABLE 3041    // %d, %s: how many, the first
#define IDS_FILE_UNREADABLE 3042
#define IDS_LEFT_IN_LIST 3043
#define IDS_INSERT_DISC 3044
#define IDS_SHOW_TOO_LARGE 3045      // %d: how many of the pictures a show can hold
#define IDS_SHOW_GETTING_FULL 3046   // %d: likewise, when the show list passes it
#define IDS_PHOTOS_FOUND 3047        // %d: pictures found so far in a folder
#define IDS_PHOTO_FOUND 3048

#define IDI_SAVER 100
#define IDB_NOPREVIEW 100       // the placeholder for a picture without preview
#define IDD_MANAGER 2003         // the configuration dialog: the shows in the system directory
#define IDD_EDITOR 104           // composing one show
#define IDM_EDITOR 114           // the editor's menu bar
#define IDD_SETTINGS 2004        // interval and volume
#define IDD_MUSIC 108            // the show's music from the disc's tracks
#define IDD_SAVING 107           // progress while a show or its music is written
#define IDD_READING 2005         // shown while a content's previews are read from the disc
#define IDD_LISTING 2006         // counts a folder's pictures as they are found; Cancel stops

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
