// Resource ids: the program's icon, the window layouts and their controls.
// The form model and the window host use the same numbers.
#pragma once

#define IDI_TOLLERVY 1

// TollervyMain: the start-up window with the progress of a switch.
#define IDD_TOLLERVYMAIN 100
#define IDC_STATUSMESS 101
#define IDC_STATUSDETAIL 102
#define IDC_STATUSBAR 103

// FormLogOn: the logon dialog.
#define IDD_FORMLOGON 200
#define IDC_LABELLOGONINFO 201
#define IDC_PICTUREICON 202
#define IDC_LABELLOGONUSER 203
#define IDC_TEXTLOGONUSER 204
#define IDC_LABELLOGONPASS 205
#define IDC_TEXTLOGONPASS 206
#define IDC_COMMANDOK 207
#define IDC_COMMANDCANCEL 208

// FormMenu: the hidden owner of the notification-area icon and its menu.
#define IDD_FORMMENU 300
#define IDM_MNUTASK 301
#define IDM_MNUINI 302
#define IDM_MNUEND 303

// LervIni: the settings dialog. Each page's controls and ids are in
// pages/<Page>.rc, included into the dialog's layout.
#define IDD_LERVINI 400
#define IDC_INITAB 401
#define IDC_OKINIBTN 402
#define IDC_CANCELINIBTN 403
#define IDC_SETINIBTN 404

// FormDelete, FilePathFrm, DirPathFrm: their layouts and ids are in
// FormDelete.rc, FilePathFrm.rc and DirPathFrm.rc.
#define IDD_FORMDELETE 900
#define IDD_FILEPATHFRM 1000
#define IDD_DIRPATHFRM 1100
