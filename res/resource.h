// Resource and control ids shared by the program and every language module.
// Each number is written here once.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// ---------------------------------------------------------------------------
// Icons and menus
// ---------------------------------------------------------------------------
#define IDI_APP 128                 // window icon of every dialog but the URL list
#define IDR_LIST_MENU 129           // context menu of the lists (first submenu)
#define ID_LIST_COPY 32776
#define ID_LIST_SELECT_ALL 32777

// ---------------------------------------------------------------------------
// Dialog templates
// ---------------------------------------------------------------------------
#define IDD_ABOUT 200
#define IDD_LOGIN 201
#define IDD_ALBUMS 203              // album window
#define IDD_NEW_ALBUM 204
#define IDD_URL_LIST 205
#define IDD_PHOTO_LIST 206
#define IDD_LANGUAGE 207
#define IDD_CHANGE_ACCESS 210

// ---------------------------------------------------------------------------
// Controls and commands of the login dialog, about box and language dialog
// ---------------------------------------------------------------------------
#define IDC_ACCOUNT 1000            // account name (login) / account line (album window)
#define IDC_PASSWORD 1001
#define IDC_VERSION 1020            // "Ver. x.y.z.w <suffix>" line of every dialog that has one
#define IDC_LOG_PATH 1028
#define IDC_CHANGE_LANGUAGE 1031
#define IDC_LANGUAGE_LIST 1032
#define IDC_PUBLIC_ONLY 1044
#define IDC_SUPPORT_LINK 5920
#define ID_APP_ABOUT 57664

// ---------------------------------------------------------------------------
// Strings: general
// ---------------------------------------------------------------------------
#define IDS_LANGUAGE_NAME 5000      // the module's language name, e.g. "English"
#define IDS_VERSION_SUFFIX 5003     // ends every version line
#define IDS_LOG_FILE_LABEL 5019     // written directly before the log path
#define IDS_LOGIN_HELP 5090         // long text; also proves strings over 255 characters load whole

// Message box captions
#define IDS_CAPTION_EMPTY_LIST 5200     // command on an empty list (information)
#define IDS_CAPTION_NO_SELECTION 5300   // command without a selection (warning)
#define IDS_CAPTION_REQUEST_FAILED 5600 // a service request failed (error)
#define IDS_CAPTION_SIGN_IN_FAILED 5601

// Sign-in failures: IDS_LOGIN_ERROR_FIRST + index of the ClientLogin error
#define IDS_LOGIN_ERROR_FIRST 5700
#define IDS_LOGIN_ERROR_BAD_AUTHENTICATION 5700
#define IDS_LOGIN_ERROR_NOT_VERIFIED 5701
#define IDS_LOGIN_ERROR_TERMS_NOT_AGREED 5702
#define IDS_LOGIN_ERROR_CAPTCHA_REQUIRED 5703
#define IDS_LOGIN_ERROR_UNKNOWN 5704
#define IDS_LOGIN_ERROR_ACCOUNT_DELETED 5705
#define IDS_LOGIN_ERROR_ACCOUNT_DISABLED 5706
#define IDS_LOGIN_ERROR_SERVICE_DISABLED 5707
#define IDS_LOGIN_ERROR_SERVICE_UNAVAILABLE 5708
#define IDS_LOGIN_ERROR_INTERNAL 5709   // any other error name, or none

// ---------------------------------------------------------------------------
// Strings: album window (names reserved; texts come with the window)
// ---------------------------------------------------------------------------
#define IDS_COLUMN_TITLE 5006
#define IDS_COLUMN_PHOTOS 5007
#define IDS_COLUMN_PUBLISHED 5008
#define IDS_COLUMN_UPDATED 5009
#define IDS_COLUMN_ACCESS 5010
#define IDS_COLUMN_ALBUM_ID 5011
#define IDS_COLUMN_WEB_ADDRESS 5012
#define IDS_ACCESS_FIRST 5014           // + access level index
#define IDS_ACCESS_PUBLIC 5014
#define IDS_ACCESS_PRIVATE 5015
#define IDS_ACCESS_PROTECTED 5016
#define IDS_ACCESS_NONE 5017
#define IDS_ROW_COUNT_FORMAT 5018
#define IDS_PROTECTED_LINK_TIP 5020
#define IDS_COLUMN_SIZE 5021
#define IDS_LOG_REQUEST_FAILED 5602
#define IDS_LOG_STATUS_FORMAT 5603
#define IDS_LOG_BODY_FORMAT 5604
#define IDS_REQUEST_FAILED_FORMAT 5605
#define IDS_WEB_ADDRESS 5802
