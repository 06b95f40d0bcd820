#pragma once
// Control identifiers of the program's windows. The black-box test driver finds controls by these,
// so they are part of the program's outside interface: change them only together with the tests.

// Wizard (TfrmMain).
enum WizardControlId {
    IDC_FRA_TITLE = 1001,
    IDC_LBL_TITLE_A1,
    IDC_LBL_TITLE_A2,
    IDC_IMG_TITLE1,
    IDC_LBL_TITLE_MESSAGE,
    IDC_FRA_README,
    IDC_TXT_README,
    IDC_CHK_EULA_READ,
    IDC_GRP_MESSAGE,
    IDC_LBL_MESSAGE,
    IDC_GRP_SETUP_FOLDER,
    IDC_TXT_FOLDER,
    IDC_BTN_REFER,
    IDC_GRP_OPTION,
    IDC_CHK_OVERWRITE,
    IDC_FRA_SHORTCUT,
    IDC_CHK_SCUT_DESKTOP,
    IDC_CHK_SCUT_STARTMENU,
    IDC_CHK_SCUT_STARTUP,
    IDC_CHK_SCUT_SENDTO,
    IDC_LBL_UNSETUP_INFO,
    IDC_FRA_SELECT_TYPE,
    IDC_LBL_SELECT_TYPE_MSG,
    IDC_OPT_SELECT_TYPE1,
    IDC_OPT_SELECT_TYPE2,
    IDC_BTN_EVENT,
    IDC_BTN_END,
    IDC_LBL_FORM_SHARE,
};

// Progress window (TfrmStatus).
enum StatusControlId {
    IDC_STATUS_GRP_MESSAGE = 2001,
    IDC_STATUS_LBL_MESSAGE,
    IDC_STATUS_FRA_STATUS,
    IDC_STATUS_LBL_STATUS,
    IDC_STATUS_PRG_STATUS,
    IDC_STATUS_BTN_ABORT,
};

// Delete confirmation dialog (TfrmCustomDlg).
enum CustomDlgControlId {
    IDC_CUSTOM_LBL_MESSAGE = 3001,
    IDC_CUSTOM_BTN_YES,
    IDC_CUSTOM_BTN_NO,
    IDC_CUSTOM_BTN_DELETE,
    IDC_CUSTOM_BTN_SAVE,
};

// Background window (TfrmBack).
enum BackControlId {
    IDC_BACK_LBL_BACK_TITLE2 = 4001,
    IDC_BACK_LBL_PRG_TITLE2,
    IDC_BACK_LBL_PRG_TITLE1,
    IDC_BACK_LBL_BACK_TITLE1,
};
