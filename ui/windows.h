// The three windows: their numbers, controls, geometry, fonts and texts.
#pragma once

#include "app/program.h"

namespace trelvin2 {

// Fonts by number, loaded once at start-up.
inline constexpr int kFontCourier10 = 1;
inline constexpr int kFontArial9Bold = 2;
inline constexpr int kFontArial9 = 3;
inline constexpr int kFontArial11Bold = 4;
inline constexpr int kFontArial12Bold = 28;
inline constexpr int kFontArial10 = 29;
inline constexpr int kBannerImage = 0;

// Main window and its controls.
inline constexpr int kMainWindow = 0;
inline constexpr int kBannerControl = 0;
inline constexpr int kDeviceNameControl = 1;
inline constexpr int kProgressBar = 2;
inline constexpr int kStatusLabelControl = 3;
inline constexpr int kStatusLine = 4;
inline constexpr int kStartButton = 5;
inline constexpr int kVersionControl = 6;
inline constexpr int kChosenHeadingControl = 7;
inline constexpr int kProgressCaptionControl = 9;
inline constexpr int kChosenBaudControl = 25;
inline constexpr int kChosenProtocolControl = 26;
inline constexpr int kProgressMaximum = 4000;

// Port window.
inline constexpr int kPortWindow = 10;
inline constexpr int kPortList = 11;
inline constexpr int kPortCaptionControl = 12;
inline constexpr int kPortOkButton = 13;
inline constexpr int kPortMessageControl = 14;

// Settings window.
inline constexpr int kSettingsWindow = 27;
inline constexpr int kRateList = 19;
inline constexpr int kRateCaptionControl = 20;
inline constexpr int kFramingList = 21;
inline constexpr int kFramingCaptionControl = 22;
inline constexpr int kSaveButton = 23;
inline constexpr int kSettingsHintControl = 24;

inline constexpr const char* kMainWindowTitle = "RS232-Einstellung für das Trelvin 2";
inline constexpr const char* kPortWindowTitle = "RS232 Port zum Modem";
inline constexpr const char* kSettingsWindowTitle = "RS232 Konfigurationdaten";
inline constexpr const char* kBaudPrefix = "     Baud  = ";
inline constexpr const char* kProtocolPrefix = "Protokoll  = ";

void OpenMainWindow(Program& program);
void OpenPortWindow(Program& program);
void OpenSettingsWindow(Program& program);

}  // namespace trelvin2
