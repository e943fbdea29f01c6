/* Resource and control identifiers of the installer.
 *
 * Plain #defines only: this header is read both by the C++ code and by the
 * resource compiler (windres), which understands nothing else. Control ids
 * are unique within one dialog template, not across templates (1024 is the
 * port group in the wizard and the Configure button in the network port
 * dialog).
 */
#ifndef LPS_RES_RESOURCE_H
#define LPS_RES_RESOURCE_H

/* ---- Version (drives the VERSIONINFO block) ---------------------------- */
#define VER_MAJOR 1
#define VER_MINOR 2
#define VER_PATCH 1
#define VER_BUILD 0
#define VER_FILEVERSION VER_MAJOR, VER_MINOR, VER_PATCH, VER_BUILD
#define VER_VERSION_STR "1.2.1"
#define VER_PRODUCT_NAME_STR "Label Printer Driver Setup"
#define VER_COMPANY_NAME_STR "Label Printer Driver Setup Project"
#define VER_ORIGINAL_FILENAME_STR "LabelPrinterSetup.exe"

/* ---- Manifest ----------------------------------------------------------- */
/* Same value as CREATEPROCESS_MANIFEST_RESOURCE_ID / RT_MANIFEST 24. */
#define IDR_MANIFEST 1

/* ---- Dialog templates --------------------------------------------------- */
#define IDD_INSTALL 102            /* wizard dialog */
#define IDD_SELECT_LANGUAGE_CN 133 /* language choice, Chinese (PRC) */
#define IDD_SELECT_LANGUAGE_EN 136 /* language choice, English (UK) */
#define IDD_SELECT_PORT 138        /* list of every spooler port */
#define IDD_TCP_PORT_CONFIG 140    /* network ports */

/* ---- Icons -------------------------------------------------------------- */
#define IDI_MAIN 128     /* window icon of the wizard, also the file icon */
#define IDI_LANGUAGE 134 /* picture of the language dialogs */

/* ---- Bitmaps ------------------------------------------------------------ */
/* 78 x 13, 24 bpp: six 13 x 13 images; index = (checked ? 3 : 0) + look,
 * look 0 normal, 1 hot, 2 pressed. */
#define IDB_CHECKBOX 130
#define CHECKBOX_IMAGE_SIZE 13
#define CHECKBOX_IMAGE_COUNT 6
/* 163 x 295 picture at the left of the welcome page. */
#define IDB_WELCOME 131
#define WELCOME_BITMAP_WIDTH 163
#define WELCOME_BITMAP_HEIGHT 295

/* ---- Embedded payload container ---------------------------------------- */
/* Custom resource type "INSTALL", numeric id 142. The .rc file spells the
 * type as the bare word INSTALL; code passes the string below. */
#define IDR_INSTALL_PAYLOAD 142
#define INSTALL_PAYLOAD_TYPE_A "INSTALL"
#define INSTALL_PAYLOAD_TYPE_W L"INSTALL"

/* ---- Initial data of a dialog template ---------------------------------- */
/* Resource type of the DLGINIT block (class-library convention, not in the
 * Windows headers). Its data is a sequence of entries
 *   WORD control id, WORD message, DWORD byte count, byte count bytes
 * ended by a WORD 0; entries are not aligned. The strings are 8-bit text in
 * the code page of the template's language, NUL included in the count. */
#define RT_DLGINIT_ID 240
#define DLGINIT_CB_ADDSTRING 0x0403 /* Win16 CB_ADDSTRING: add to a combo box */
#define DLGINIT_LB_ADDSTRING 0x0401 /* Win16 LB_ADDSTRING: add to a list box */
#define DLGINIT_CODE_PAGE_CN 936    /* template 133 is Chinese (PRC) */

/* ---- Controls of the language dialogs (133, 136) ------------------------ */
/* OK is IDOK (1), Cancel is IDCANCEL (2); the icon has no id (-1). */
#define IDC_LANGUAGE_LIST 1008
#define IDC_LANGUAGE_PROMPT 1045

/* ---- Controls of the wizard dialog (102) -------------------------------- */
#define IDC_NEXT 1001
#define IDC_BROWSE 1002
#define IDC_BACK 1003
#define IDC_PROGRESS 1004
#define IDC_CANCEL_FINISH 1007
#define IDC_PORT_GROUP 1024
#define IDC_MODEL 1025
#define IDC_PRINTER_NAME_LABEL 1027
#define IDC_MODEL_LABEL 1028
#define IDC_SET_DEFAULT 1029
#define IDC_PRINTER_NAME 1030
#define IDC_PORT_LABEL 1036
#define IDC_BAUD_LABEL 1040
#define IDC_PORT 1043
#define IDC_DATA_BITS_LABEL 1046
#define IDC_DATA_BITS 1047
#define IDC_BAUD 1048
#define IDC_PARITY 1049
#define IDC_STOP_BITS_LABEL 1050
#define IDC_STOP_BITS 1051
#define IDC_FLOW_CONTROL 1052
#define IDC_FLOW_CONTROL_LABEL 1053
#define IDC_PARITY_LABEL 1054

/* ---- Controls of the port dialogs (138, 140) ---------------------------- */
/* OK is IDOK (1), Cancel is IDCANCEL (2) in both. */
#define IDC_PORT_LIST 1009
#define IDC_TCP_GROUP 1021
#define IDC_DELETE_PORT 1022
#define IDC_NEW_PORT 1023
#define IDC_CONFIGURE_PORT 1024

/* ---- Child controls created in code, not from a template --------------- */
#define IDC_FLAT_EDIT_INNER 1001 /* the edit inside the folder field */

#endif /* LPS_RES_RESOURCE_H */
