#include "ui/windows.h"

namespace trelvin2 {

void OpenMainWindow(Program& program) {
  Toolkit& tk = program.toolkit;
  const auto& font = program.font_handles;
  if (!tk.OpenWindow(kMainWindow, 229, 109, 492, 183, kMainWindowTitle, kWindowSizable)) return;
  tk.CreateImageField(kBannerControl, 300, 10, 180, 20, program.banner_image);
  tk.CreateTextField(kDeviceNameControl, 10, 10, 120, 20, "Trelvin 2  ", kTextCentred);
  tk.SetControlFont(kDeviceNameControl, font[kFontCourier10]);
  tk.CreateProgressBar(kProgressBar, 10, 60, 470, 20, 0, kProgressMaximum, kProgressSmooth);
  tk.CreateTextField(kStatusLabelControl, 10, 155, 40, 20, "Status", kTextLeft);
  tk.SetControlFont(kStatusLabelControl, font[kFontArial9Bold]);
  tk.CreateTextField(kStatusLine, 70, 155, 410, 20, "", kTextSunken);
  tk.SetControlFont(kStatusLine, font[kFontArial9]);
  tk.CreateButton(kStartButton, 10, 100, 200, 30, "Einstellungen anpassen");
  tk.SetControlFont(kStartButton, font[kFontArial11Bold]);
  tk.CreateTextField(kVersionControl, 140, 10, 140, 20, "Version: ", kTextLeft);
  tk.SetControlFont(kVersionControl, font[kFontCourier10]);
  tk.CreateTextField(kChosenHeadingControl, 250, 85, 300, 30, "Gewählte Einstellungen", kTextLeft);
  // Controls 25 and 26 keep the default font; the heading gets its font only after them.
  tk.CreateTextField(kChosenBaudControl, 250, 105, 300, 30, kBaudPrefix, kTextLeft);
  tk.CreateTextField(kChosenProtocolControl, 250, 125, 300, 30, kProtocolPrefix, kTextLeft);
  tk.SetControlFont(kChosenHeadingControl, font[kFontCourier10]);
  tk.CreateTextField(kProgressCaptionControl, 10, 40, 470, 20, "Fortschritt", kTextCentred);
  tk.SetControlFont(kProgressCaptionControl, font[kFontCourier10]);
}

void OpenPortWindow(Program& program) {
  Toolkit& tk = program.toolkit;
  const auto& font = program.font_handles;
  if (!tk.OpenWindow(kPortWindow, 288, 280, 258, 90, kPortWindowTitle,
                     kWindowSizable | kWindowCentred)) {
    return;
  }
  tk.CreateComboBox(kPortList, 20, 30, 130, 300);
  tk.SetControlFont(kPortList, font[kFontCourier10]);
  tk.CreateTextField(kPortCaptionControl, 20, 10, 130, 20, "COM - Port", kTextCentred);
  tk.SetControlFont(kPortCaptionControl, font[kFontArial9Bold]);
  tk.CreateButton(kPortOkButton, 170, 30, 75, 26, "OK");
  tk.SetControlFont(kPortOkButton, font[kFontArial9Bold]);
  // Where the port choice's two messages become visible to the operator.
  tk.CreateTextField(kPortMessageControl, 20, 62, 225, 20, "", kTextLeft);
  tk.SetControlFont(kPortMessageControl, font[kFontArial9]);
}

void OpenSettingsWindow(Program& program) {
  Toolkit& tk = program.toolkit;
  if (!tk.OpenWindow(kSettingsWindow, 0, 0, 400, 110, kSettingsWindowTitle,
                     kWindowFixed | kWindowCentred)) {
    return;
  }
  // Start-up loads fonts 28 and 29 without keeping their handles: fetch them by number.
  tk.CreateComboBox(kRateList, 20, 30, 120, 30);
  tk.SetControlFont(kRateList, tk.FontHandle(kFontArial12Bold));
  tk.CreateTextField(kRateCaptionControl, 20, 10, 120, 20, "Baudrate", kTextCentred);
  tk.SetControlFont(kRateCaptionControl, tk.FontHandle(kFontArial10));
  tk.CreateComboBox(kFramingList, 160, 30, 90, 30);
  tk.SetControlFont(kFramingList, tk.FontHandle(kFontArial12Bold));
  tk.CreateTextField(kFramingCaptionControl, 160, 10, 90, 20, "Protokoll", kTextCentred);
  tk.SetControlFont(kFramingCaptionControl, tk.FontHandle(kFontArial10));
  tk.CreateButton(kSaveButton, 270, 30, 110, 30, "Speichern");
  tk.SetControlFont(kSaveButton, tk.FontHandle(kFontArial12Bold));
  tk.CreateTextField(kSettingsHintControl, 50, 70, 300, 50,
                     "Bitte wählen Sie das zukünftige Übertragungsprotokoll und die Baudrate mit "
                     "der das Modem angesprochen werden soll",
                     kTextCentred);
}

}  // namespace trelvin2
