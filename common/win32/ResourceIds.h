#pragma once
// Resource identifiers of the program.
#define IDI_APP 1
#define IDR_UPGRADE_HELPER 200

#define IDB_WINDOW 300
#define IDB_LOGO 301
#define IDB_RUN_UP 302
#define IDB_RUN_DOWN 303
#define IDB_EXIT 304
#define IDB_MINIMIZE 305
#define IDB_ICON_BROWSE 306
#define IDB_ICON_OPEN 307
#define IDB_ICON_UPDATE 308
#define IDB_ICON_CLOSE 309
#define IDB_WIZARD 310

#define IDJ_SPLASH 400
#define IDJ_DIALOG 401
