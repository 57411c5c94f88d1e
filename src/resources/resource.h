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
#define IDD_MANAGER 2003
