// The applet's resource numbers: dialog templates, controls and pictures.
#pragma once

// Dialog templates.
inline constexpr int IDD_CONTROL_PANEL = 4004;  // QUvoDlg1
inline constexpr int IDD_CALIBRATION = 107;     // TabPage1
inline constexpr int IDD_SOUND = 4001;          // TabPage2
inline constexpr int IDD_MOUSE = 102;           // TabPage3
inline constexpr int IDD_COM_PORT = 106;        // TabPage4
inline constexpr int IDD_ABOUT = 4006;          // TabPage5
inline constexpr int IDD_SCREEN_POS = 4011;     // CScreenPos

// QUvoDlg1: the hidden frame that places the property sheet.
inline constexpr int IDC_SHEET_FRAME = 4005;

// TabPage1.
inline constexpr int IDC_CALIBRATE = 4002;

// TabPage2.
inline constexpr int IDC_BEEP_TONE = 4003;
inline constexpr int IDC_DURATION = 4004;
inline constexpr int IDC_BEEP_ON = 4006;
inline constexpr int IDC_BEEP_TONE_TEXT = 4011;
inline constexpr int IDC_DURATION_TEXT = 4012;
inline constexpr int IDC_TEST_BEEP = 4014;

// TabPage3.
inline constexpr int IDC_CLICK_FIELD = 4003;
inline constexpr int IDC_CLICK_SPEED = 4004;
inline constexpr int IDC_MOUSE_MODE = 4008;
inline constexpr int IDC_CLICK_FIELD_TEXT = 4016;
inline constexpr int IDC_CLICK_SPEED_TEXT = 4017;
inline constexpr int IDC_RIGHT_DELAY = 4019;

// TabPage4.
inline constexpr int IDC_DEVICE_INSTALL_ON = 4009;
inline constexpr int IDC_PORT = 4010;

// CScreenPos.
inline constexpr int IDC_SINGLE_MONITOR = 4021;
inline constexpr int IDC_ON_PRIMARY = 4022;
inline constexpr int IDC_ON_SLAVE = 4023;
inline constexpr int IDC_ON_LEFT = 4024;
inline constexpr int IDC_ON_RIGHT = 4025;
inline constexpr int IDC_ON_TOP = 4026;
inline constexpr int IDC_ON_BOTTOM = 4027;

// TabPage5.
inline constexpr int IDC_LOGO = 4015;

// Pictures, by resource number.
inline constexpr const char* kFrameIconResource = "#1";      // none in this applet
inline constexpr const char* kAppletIconResource = "#4001";  // 32 x 32, 16 colours
inline constexpr const char* kLogoBitmapResource = "#4007";  // 267 x 54
