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
// Controls of the album window and the change-access dialog
// ---------------------------------------------------------------------------
#define IDC_ALBUM_COUNT 1002
#define IDC_ALBUM_LIST 1003
#define IDC_REFRESH 1004
#define IDC_DEBUG_DUMP 1005
#define IDC_SELECT_ALL 1006
#define IDC_SELECT_NONE 1007
#define IDC_SELECT_BY_PATTERN 1008
#define IDC_PATTERN 1009
#define IDC_INVERT_SELECTION 1010
#define IDC_DELETE_ALBUMS 1011
#define IDC_NEW_ALBUM 1012
#define IDC_UPLOAD 1013
#define IDC_ACCESS_LIST 1018        // batch access level (album window) / the levels (change access)
#define IDC_WHOLE_TITLE 1019
#define IDC_URL_LIST 1021
#define IDC_ACTIONS_GROUP 1024
#define IDC_BATCH_KIND 1025         // 0 access level, 1 commenting
#define IDC_BATCH_COMMENTING 1026   // 0 on, 1 off
#define IDC_BATCH_APPLY 1027
#define IDC_PHOTO_LIST 1029
#define IDC_IGNORE_CASE 1034
#define IDC_SELECTED_COUNT 1035
#define IDC_CALENDAR 1036
#define IDC_CHANGE_ACCESS 1039
#define IDC_ACCEPT_ACCESS 1042
#define IDC_QUICK_MODE 1043
#define IDC_SELECT_GROUP 5902
#define IDC_WEB_LINK 5921

// ---------------------------------------------------------------------------
// Strings: album window
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
#define IDS_BATCH_ACCESS 5040        // items of the batch change boxes
#define IDS_BATCH_COMMENTING 5041
#define IDS_COMMENTING_ON 5042
#define IDS_COMMENTING_OFF 5043
#define IDS_LOAD_FAILED_TITLE 5044    // added to the window title after a failed refresh
#define IDS_PATTERN_CAPTION 5045
#define IDS_PATTERN_INVALID 5046      // %s: the reason
#define IDS_EMPTY_LIST 5201
#define IDS_NO_SELECTION_DELETE 5301
#define IDS_CONFIRM_DELETE 5302
#define IDS_NO_SELECTION_URL 5303
#define IDS_NO_SELECTION_CHANGE 5304
#define IDS_NO_SELECTION_PHOTOS 5305
#define IDS_LOG_DELETED 5503
#define IDS_LOG_ACCESS_CHANGED 5504
#define IDS_LOG_ACCESS_NOT_CHANGED 5505
#define IDS_LOG_COMMENTING_CHANGED 5506
#define IDS_LOG_COMMENTING_NOT_CHANGED 5507
#define IDS_LOG_REQUEST_FAILED 5602
#define IDS_LOG_STATUS_FORMAT 5603
#define IDS_LOG_BODY_FORMAT 5604
#define IDS_REQUEST_FAILED_FORMAT 5605
#define IDS_LOG_DELETE_FAILED 5606
#define IDS_DELETE_FAILED_FORMAT 5607
#define IDS_CHANGE_FAILED_FORMAT 5608
#define IDS_WEB_ADDRESS 5802
#define IDS_PHOTOS_UNREADABLE_FORMAT 5620 // %s: the titles, one a line
#define IDS_OUTCOME_UNKNOWN_FORMAT 5621   // %s: the album's title
#define IDS_CREATE_OUTCOME_UNKNOWN 5622
#define IDS_COPY_FAILED 5623
#define IDS_CAPTION_COPY 5624
#define IDS_ABOUT_SECONDS 5625          // %d: seconds
#define IDS_ABOUT_MINUTE 5626
#define IDS_ABOUT_MINUTES 5627          // %d: minutes
#define IDS_ABOUT_HOUR 5628
#define IDS_ABOUT_HOURS 5629            // %d: hours
#define IDS_PHOTO_LIST_CAPTION_FORMAT 5630 // %s: the template's caption, %s: the album or "3 albums", %s: "15 photos"

// ---------------------------------------------------------------------------
// Long work of the album window and the sign-in window: progress and log
// ---------------------------------------------------------------------------
#define IDS_LOG_ACTION_STOPPED 5640     // %d albums done, %d albums in all, %s: the first album not changed
#define IDS_PROGRESS_ALBUMS_FORMAT 5641 // %d albums done, %d albums in all
#define IDS_PROGRESS_REFRESH 5642
#define IDS_PROGRESS_DELETE 5643
#define IDS_PROGRESS_CHANGE 5644
#define IDS_PROGRESS_SIGN_IN 5645
#define IDS_PROGRESS_WAITING 5646
#define IDS_PROGRESS_CREATE 5647
#define IDS_PROGRESS_SAVE 5648

// ---------------------------------------------------------------------------
// New album, photo list and URL dialogs
// ---------------------------------------------------------------------------
// The new album dialog's create button is IDC_NEW_ALBUM and its access level
// box IDC_ACCESS_LIST, as in the album window.
#define IDC_NEW_ALBUM_TITLE 1014
#define IDC_NEW_ALBUM_SUMMARY 1015
#define IDC_NEW_ALBUM_DATE 1016
#define IDC_NEW_ALBUM_LOCATION 1017
#define IDC_URL_TEXT 1022
#define IDC_URL_COPY 1023
#define IDC_PHOTOS 1030             // the photo list's list control
#define IDC_NEW_ALBUM_DATE_LABEL 5912
#define IDC_NEW_ALBUM_LOCATION_LABEL 5913
#define IDC_NEW_ALBUM_ACCESS_LABEL 5914
#define IDC_NEW_ALBUM_FRAME 5915    // frames the title and the description
#define IDC_NEW_ALBUM_DATE_FORMAT 5916
#define IDC_NEW_ALBUM_DATE_HINT 5917 // what is wrong with the date, while it is typed

#define IDS_MEDIA_STILL 5022        // media column of a still photo
#define IDS_MEDIA_VIDEO 5023        // media column of a video, before its size and length
#define IDS_PHOTO_COLUMN_FIRST 5100 // headers of the photo list, 5100 to 5113
#define IDS_PHOTO_COLUMN_ALBUM 5100
#define IDS_PHOTO_COLUMN_NUMBER 5101
#define IDS_PHOTO_COLUMN_TITLE 5102
#define IDS_PHOTO_COLUMN_VIEWS 5103
#define IDS_PHOTO_COLUMN_COMMENTS 5104
#define IDS_PHOTO_COLUMN_STARS 5105
#define IDS_PHOTO_COLUMN_TAKEN 5106
#define IDS_PHOTO_COLUMN_WIDTH 5107
#define IDS_PHOTO_COLUMN_HEIGHT 5108
#define IDS_PHOTO_COLUMN_SIZE 5109
#define IDS_PHOTO_COLUMN_CAPTION 5110
#define IDS_PHOTO_COLUMN_PAGE 5111  // shown as column 12
#define IDS_PHOTO_COLUMN_ID 5112    // shown as column 11
#define IDS_PHOTO_COLUMN_MEDIA 5113
#define IDS_NEW_ALBUM_NO_TITLE 5306
#define IDS_NEW_ALBUM_DATE_FORM 5307
#define IDS_NEW_ALBUM_DATE_INVALID 5308
#define IDS_NEW_ALBUM_NOT_LEAP_YEAR 5309 // %d: the year
#define IDS_NEW_ALBUM_NO_31ST 5310       // %d: the month
#define IDS_CAPTION_ESTIMATE 5400
#define IDS_ESTIMATE_FORMAT 5401    // %d photos, %s how long ("about 2 minutes")
#define IDS_LOG_ALBUM_CREATED 5502  // %s: the title
#define IDS_LOG_CREATE_FAILED 5609
#define IDS_CREATE_FAILED_FORMAT 5610 // %s: the HTTP status, %s: the reply
#define IDS_URL_ENTRY_TEXT 5800     // %s title, %d photos, %s address
#define IDS_URL_ENTRY_HTML 5801     // %s title, %d photos, %s address, %s address

// ---------------------------------------------------------------------------
// Progress window of a long photo list load
// ---------------------------------------------------------------------------
#define IDD_PROGRESS 211
#define IDC_LOAD_TEXT 1045            // "n of N photos"
#define IDC_LOAD_PROGRESS 1046
#define IDS_LOAD_PROGRESS_FORMAT 5402 // %d photos done, %d photos in all
#define IDS_LOAD_CANCELLING 5403

// ---------------------------------------------------------------------------
// Preview pane of the photo list
// ---------------------------------------------------------------------------
#define IDC_PREVIEW 5930              // the selected photo's picture
#define IDC_PREVIEW_SHOW 5931         // check box: the pane shown
#define IDS_PREVIEW_LOADING 5932
#define IDS_PREVIEW_FAILED 5933       // the picture could not be fetched or read
#define IDS_PREVIEW_VIDEO 5934        // %d: the video's length in seconds
#define IDS_PREVIEW_NO_ADDRESS 5935   // the feed gives the photo no picture address

// ---------------------------------------------------------------------------
// Server dialog (from the sign-in window) and the texts of failed connections
// ---------------------------------------------------------------------------
#define IDD_SERVER 220
#define IDC_SERVER 1100              // sign-in window: opens the server dialog
#define IDC_SERVER_HOST 1101         // sign-in window: the photo server's host
#define IDC_ACCOUNT_SERVER 1102
#define IDC_PHOTO_SERVER 1103
#define IDC_ACCOUNT_SERVER_HINT 1104 // what is wrong with the address, while it is typed
#define IDC_PHOTO_SERVER_HINT 1105
#define IDC_SERVER_DEFAULTS 1106     // puts the original addresses back
#define IDC_ACCEPT_UNTRUSTED 1107
#define IDC_UNTRUSTED_WARNING 1108
#define IDS_SERVER_HOST_FORMAT 6000  // %s: the photo server's host
#define IDS_ADDRESS_EMPTY 6001
#define IDS_ADDRESS_SCHEME 6002
#define IDS_ADDRESS_HOST 6003
#define IDS_ADDRESS_PORT 6004
#define IDS_ADDRESS_EXTRA 6005
#define IDS_ADDRESS_IPV6 6006
// Texts of the service client (app/ServiceTextTable.cpp); %s and %u as noted
// in service/ServiceTexts.h.
#define IDS_SERVICE_NEXT_LINK_ELSEWHERE 6010
#define IDS_SERVICE_EDIT_LINK_ELSEWHERE 6011
#define IDS_SERVICE_DETAILS_UNREADABLE 6012
#define IDS_SERVICE_HOST_NOT_FOUND 6020
#define IDS_SERVICE_CONNECTION_REFUSED 6021
#define IDS_SERVICE_TIMED_OUT 6022
#define IDS_SERVICE_CERTIFICATE_UNTRUSTED 6023
#define IDS_SERVICE_SECURE_FAILED 6024
#define IDS_SERVICE_NOT_HTTP 6025
#define IDS_SERVICE_CONNECTION_FAILED 6026
#define IDS_SERVICE_FEED_WITHOUT_END 6027
#define IDS_CAPTION_ERROR 6032         // first of the new album dialog's two failure boxes
#define IDS_COUNT_ALBUM 6050           // %d: 1
#define IDS_COUNT_ALBUMS 6051          // %d: any other count
#define IDS_COUNT_PHOTO 6052
#define IDS_COUNT_PHOTOS 6053
#define IDS_CONFIRM_DELETE_FORMAT 6054 // %s: the albums' count text, %s: the photos'

// ---------------------------------------------------------------------------
// Album properties: the edit album dialog and the command that opens it
// ---------------------------------------------------------------------------
// The dialog's fields are those of the new album dialog (IDC_NEW_ALBUM_*,
// IDC_ACCESS_LIST); it sends with IDOK.
#define IDR_ALBUM_LIST_MENU 140       // context menu of the album list (first submenu)
#define IDD_EDIT_ALBUM 221
#define IDC_ALBUM_PROPERTIES 1060     // album window button, menu item and Alt+Enter
#define IDC_EDIT_ALBUM_COMMENTING 1061
#define IDS_NO_SELECTION_PROPERTIES 5320
#define IDS_PROPERTIES_ONE_ALBUM 5321
#define IDS_EDIT_ALBUM_CONFLICT 5322  // %s: the title
#define IDS_EDIT_ALBUM_GONE 5323      // %s: the title; the album was deleted elsewhere
#define IDS_LOG_ALBUM_EDITED 5520     // %s: the title, %s: the fields changed
#define IDS_LOG_EDIT_FAILED 5521      // %s: the title
#define IDS_LOG_EDIT_CONFLICT 5522    // %s: the title
#define IDS_LOG_EDIT_GONE 5523        // %s: the title
#define IDS_FIELD_TITLE 5530          // names of the fields in the log line
#define IDS_FIELD_SUMMARY 5531
#define IDS_FIELD_LOCATION 5532
#define IDS_FIELD_DATE 5533
#define IDS_FIELD_ACCESS 5534
#define IDS_FIELD_COMMENTING 5535

// ---------------------------------------------------------------------------
// Upload of photos and videos into an album (IDC_UPLOAD, dropped files)
// ---------------------------------------------------------------------------
#define IDS_UPLOAD_ONE_ALBUM 6100       // none or several albums selected
#define IDS_UPLOAD_DROP_TARGET 6101     // files dropped off the rows, not one album selected
#define IDS_CAPTION_UPLOAD 6102
#define IDS_PROGRESS_UPLOAD 6103        // the progress window's caption
#define IDS_PROGRESS_UPLOAD_FORMAT 6104 // %d file, %d files, %d KB sent, %d KB in all, %s name
#define IDS_UPLOAD_SUMMARY 6105         // %s album, %d uploaded, %d refused, %d failed
#define IDS_UPLOAD_ITEM_LINE 6106       // %s file name, %s reason
#define IDS_UPLOAD_UNKNOWN_TYPE 6107
#define IDS_UPLOAD_EMPTY 6108
#define IDS_UPLOAD_UNREADABLE 6109
#define IDS_UPLOAD_OVER_LIMIT 6110      // %d: the limit in MB
#define IDS_UPLOAD_SIGNED_OUT 6111
#define IDS_UPLOAD_NOT_OWNER 6112
#define IDS_UPLOAD_QUOTA_FULL 6113
#define IDS_UPLOAD_ALBUM_FULL 6114
#define IDS_UPLOAD_TOO_LARGE 6115
#define IDS_UPLOAD_TYPE_REFUSED 6116
#define IDS_UPLOAD_STATUS 6117          // %s: the HTTP status
#define IDS_UPLOAD_NOT_SENT 6118
#define IDS_UPLOAD_STOPPED 6119
#define IDS_UPLOAD_UNKNOWN_OUTCOME 6120
#define IDS_UPLOAD_CANCELLED 6121
#define IDS_LOG_UPLOADED 6122           // %s album, %s file, %d bytes
#define IDS_LOG_UPLOAD_FAILED 6123      // %s album, %s file, %s reason
#define IDS_UPLOAD_FILTER_IMAGES 6124
#define IDS_UPLOAD_FILTER_VIDEOS 6125
#define IDS_UPLOAD_FILTER_ALL 6126
#define IDS_UPLOAD_DIALOG_TITLE 6127
#define IDS_UPLOAD_FOLDER 6128          // the reason for a dropped folder
#define IDS_UPLOAD_ONLY_FOLDERS 6129    // nothing but folders dropped
#define IDS_UPLOAD_MORE_LINES 6180      // %d: the files not listed in the summary

// ---------------------------------------------------------------------------
// Backup of the selected albums into a folder
// ---------------------------------------------------------------------------
#define IDC_BACKUP 1072                   // album window button and album list menu item
#define IDS_NO_SELECTION_BACKUP 6130
#define IDS_PROGRESS_BACKUP 6131          // the progress window's caption
#define IDS_BACKUP_PROGRESS_FORMAT 6132   // %d album, %d albums, %d files done, %d files, %s bytes, %s current file
#define IDS_BACKUP_SUMMARY_FORMAT 6133    // %d downloaded, %d already there, %d failed
#define IDS_BACKUP_ALBUMS_FAILED_FORMAT 6134 // %d albums whose photo list could not be read
#define IDS_BACKUP_REASONS 6135           // before the first failures, one a line
#define IDS_BACKUP_CANCELLED 6136
#define IDS_BACKUP_DISK_FAILED_FORMAT 6137 // %s the path, %s the system's reason
#define IDS_CAPTION_BACKUP 6138
#define IDS_BACKUP_PICK_TITLE 6139        // the folder picker's title
#define IDS_BYTES_FORMAT 6140             // %s: megabytes with one decimal
#define IDS_BACKUP_FINISHED 6160          // the summary's first line, by how the run ended
#define IDS_BACKUP_CANCELLED_HEADING 6161
// Why a file or an album was not saved
#define IDS_BACKUP_FAIL_NO_ADDRESS 6162
#define IDS_BACKUP_FAIL_STATUS 6163       // %d: the HTTP status
#define IDS_BACKUP_FAIL_CUT_SHORT 6164    // %s bytes received, %s bytes expected
#define IDS_BACKUP_FAIL_TOO_LONG 6165     // %s: the bytes expected
#define IDS_BACKUP_FAIL_TIMED_OUT 6166
#define IDS_BACKUP_FAIL_CONNECTION 6167   // %s: the system's reason
#define IDS_BACKUP_FAIL_DISK 6168         // %s: the system's reason
#define IDS_BACKUP_FAIL_IN_THE_WAY 6169
#define IDS_BACKUP_FAIL_FEED 6170         // %s: the HTTP status, or the reason
#define IDS_BACKUP_FAIL_FOLDER_TAKEN 6171 // %s: the folder
#define IDS_LOG_BACKUP_ALBUM 6172         // %s album, %d downloaded, %d already there, %d failed
#define IDS_LOG_BACKUP_FAILED 6173        // %s what was not saved, %s why

// ---------------------------------------------------------------------------
// Keys, copies and help of the lists and windows
// ---------------------------------------------------------------------------
#define IDC_URL_COPIED 1070           // URL dialog: says that Copy copied
#define IDC_PHOTO_COPY 1071           // photo list: copies the selected rows (or all)
#define IDS_ALBUMS_HELP 5091          // F1 in the album window
#define IDS_COPIED 5650               // URL dialog, after Copy

// Upload of a folder (Upload folder..., a dropped folder): only what is new
#define IDD_FOLDER_UPLOAD 250                // the question before a folder upload
#define IDC_UPLOAD_FOLDER 1170               // album window button and list menu
#define IDC_FOLDER_UPLOAD_TARGET 1171        // question: the folder and the album
#define IDC_FOLDER_UPLOAD_COUNTS 1172        // question: new, already there, cannot upload
#define IDC_FOLDER_UPLOAD_LIST 1173          // question: the files that cannot be uploaded
#define IDC_FOLDER_UPLOAD_LIST_LABEL 1174
#define IDS_FOLDER_NEW_FILES 6500            // %d files, %s size
#define IDS_FOLDER_NEW_FILE 6501             // %s size
#define IDS_FOLDER_NO_NEW_FILES 6502
#define IDS_FOLDER_THERE 6503                // %d files already in the album
#define IDS_FOLDER_CANNOT 6504               // %d files that cannot be uploaded
#define IDS_FOLDER_CANNOT_ONE 6505
#define IDS_FOLDER_INTO_ALBUM 6506           // %s folder, %s album
#define IDS_FOLDER_INTO_NEW_ALBUM 6507       // %s folder, %s title of the new album
#define IDS_FOLDER_SIZE 6508                 // %s megabytes
#define IDS_FOLDER_PROGRESS 6509             // %d file, %d files, %s MB sent, %s MB in all, %s time left, %s name
#define IDS_FOLDER_SECONDS_LEFT 6510         // %d seconds
#define IDS_FOLDER_MINUTES_LEFT 6511         // %d minutes
#define IDS_FOLDER_SUMMARY 6512              // %s album, %d sent, %d skipped, %d refused, %d failed
#define IDS_FOLDER_SUMMARY_CANCELLED 6513
#define IDS_FOLDER_PICK_TITLE 6514
#define IDS_FOLDER_ONE_ALBUM 6515            // several albums selected
#define IDS_FOLDER_DROP_ONE 6516             // several folders dropped
#define IDS_FOLDER_UNREADABLE 6517           // %s folder, %s system words
#define IDS_FOLDER_FEED_FAILED 6518          // %s album, %s status or cause
#define IDS_FOLDER_CREATE_FAILED 6519        // %s title, %s status or cause
#define IDS_PROGRESS_FOLDER_COMPARE 6520     // progress caption while the folder is compared
#define IDS_PROGRESS_FOLDER_CREATE 6521      // progress caption while the album is made
#define IDS_LOG_FOLDER_PLAN 6522             // %s folder, %s album, %d new, %d there, %d cannot
#define IDS_FOLDER_EMPTY 6523                // %s folder

// ---------------------------------------------------------------------------
// First run, a server out of reach, the backup's progress and summary
// ---------------------------------------------------------------------------
#define IDD_ACTION_MESSAGE 230          // a message box with one more button
#define IDC_MESSAGE_ICON 1120
#define IDC_MESSAGE_ACTION 1121         // the button that leads on
#define IDC_SERVER_EXAMPLE 1122         // Server dialog: the example address on a line of its own
#define IDS_UNREACHABLE_ACCOUNT_SERVER 6300 // %s the address, %s the system's reason
#define IDS_UNREACHABLE_PHOTO_SERVER 6301   // %s the address, %s the system's reason
#define IDS_SERVER_BUTTON 6302          // the action button that opens the Server dialog
#define IDS_BACKUP_WHERE 6303           // %s: the folder the albums went into
#define IDS_BACKUP_OPEN_FOLDER 6304     // the action button that opens it
#define IDS_BACKUP_ALBUM_PROGRESS 6305  // %s album, %d album, %d albums, %d files done, %d files, %s bytes, %s file
#define IDS_BYTES_OF_FORMAT 6306        // %s megabytes so far, %s megabytes in all
#define IDS_PREVIEW_NO_PHOTOS 6307      // the photo list is empty
#define IDS_PREVIEW_NO_SELECTION 6308   // no row is selected
#define IDS_CONFIRM_DELETE_ONE 6309     // %s the album's title, %s the photos' count text
// ---------------------------------------------------------------------------
// The photo list's commands on the selected photos
// ---------------------------------------------------------------------------
#define IDR_PHOTO_LIST_MENU 150       // context menu of the photo list (first submenu)
#define IDD_PHOTO_PROPERTIES 240
#define IDD_MOVE_PHOTOS 241
#define IDC_PHOTO_TITLE 1140          // photo properties: the title (one photo only)
#define IDC_PHOTO_SUMMARY 1141        // the caption
#define IDC_PHOTO_KEYWORDS 1142       // the tags, comma separated
#define IDC_PHOTO_PROPERTIES_NOTE 1143 // how many photos the fields act on
#define IDC_MOVE_ALBUMS 1144          // move: the albums to choose from
#define IDC_PHOTO_TITLE_LABEL 1145
#define ID_PHOTO_OPEN 32820
#define ID_PHOTO_PROPERTIES 32821
#define ID_PHOTO_MOVE 32822
#define ID_PHOTO_SAVE 32823
#define ID_PHOTO_DELETE 32824
#define IDS_PHOTO_DELETE_ONE 6400         // %s photo, %s album
#define IDS_PHOTO_DELETE_MANY 6401        // %d photos, %s album
#define IDS_PHOTO_DELETE_MANY_ALBUMS 6402 // %d photos, %d albums
#define IDS_PHOTO_CAPTION_DELETE 6403
#define IDS_PHOTO_PROGRESS_CHANGE 6404
#define IDS_PHOTO_PROGRESS_MOVE 6405
#define IDS_PHOTO_PROGRESS_DELETE 6406
#define IDS_PHOTO_PROGRESS_SAVE 6407
#define IDS_PHOTO_PROGRESS_FORMAT 6408    // %d done, %d in all
#define IDS_PHOTO_LOG_CHANGED 6409        // %s photo
#define IDS_PHOTO_LOG_CHANGE_FAILED 6410  // %s photo, %s HTTP status
#define IDS_PHOTO_LOG_MOVED 6411          // %s photo, %s album
#define IDS_PHOTO_LOG_MOVE_FAILED 6412    // %s photo, %s HTTP status
#define IDS_PHOTO_LOG_DELETED 6413        // %s photo
#define IDS_PHOTO_LOG_DELETE_FAILED 6414  // %s photo, %s HTTP status
#define IDS_PHOTO_LOG_UNKNOWN 6415        // %s photo
#define IDS_PHOTO_LOG_STALE 6416          // %s photo
#define IDS_PHOTO_LOG_SAVED 6417          // %s file
#define IDS_PHOTO_LOG_SAVE_FAILED 6418    // %s file, %s why
#define IDS_PHOTO_LOG_STOPPED 6419        // %d done, %d in all
#define IDS_PHOTO_STALE 6420              // %s photo: changed meanwhile, entries kept
#define IDS_PHOTO_JOB_SUMMARY 6421        // %d done, %d in all, %s the photos not done
#define IDS_PHOTO_ALBUM_FULL 6422         // %s album, %d room, %d selected
#define IDS_PHOTO_MOVE_NONE 6423
#define IDS_PHOTO_SAVE_PICK_TITLE 6424
#define IDS_PHOTO_STATE_UNKNOWN 6425
#define IDS_PHOTO_STATE_STALE 6426
#define IDS_PHOTO_STATE_FAILED 6427       // %s HTTP status
#define IDS_PHOTO_CAPTION_RESULT 6428
#define IDS_PHOTO_MOVE_COLUMN_ALBUM 6429
#define IDS_PHOTO_MOVE_COLUMN_COUNT 6430
#define IDS_PHOTO_LOG_KEPT 6431           // %s file
#define IDS_PREVIEW_TAGS 6432             // %s the tags
#define IDS_PHOTO_SEVERAL_NOTE 6433       // %d photos: fields left alone change nothing
#define IDS_PHOTO_SAVE_SUMMARY 6434       // %d saved, %d already there, %d failed, %s folder
#define IDS_PHOTO_SAVE_DISK_FAILED 6435   // %s folder, %s why
