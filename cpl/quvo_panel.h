// CQuvoPanel: the applet's one item, "QVTouch Settings". It holds the settings record that the
// settings dialog shows and edits; the record keeps its values from one opening to the next for
// as long as the library stays loaded.
#pragma once

#include <array>

#include "cpl/control_panel.h"

class QUvoDlg1;

class CQuvoPanel : public CControlPanel {
 public:
  // Opens the settings: checks that the driver runs, loads the record, runs the dialog, saves on
  // OK and makes the driver reload its settings. Always 0.
  LONG OnDblclk(HWND hwndCPl, UINT uAppNum, LONG_PTR lData) override;
  LONG OnNewInquire(UINT uAppNum, NEWCPLINFO* pInfo) override;

  // The record from the driver's settings key and the user's "Control Panel\Mouse" key. A value
  // that is absent keeps the record's value; a key that does not open gives defaults and an
  // error box.
  void LoadPanelSettings();
  // The record into the same keys; an error box for a key that does not open.
  void SavePanelSettings();

  // The settings record.
  DWORD BeepMode = 0;             // BeepMode: kBeepNone, kBeepOnPress, kBeepOnRelease
  DWORD BeepFreq1 = 0;            // Hz
  DWORD BeepTime1 = 0;            // ms
  DWORD BeepFreq2 = 0;            // saved equal to BeepFreq1
  DWORD BeepTime2 = 0;            // saved equal to BeepTime1
  DWORD MouseMode = 0;            // 0 to 3
  DWORD Port = 0;                 // COM port, 1 to 4
  HANDLE DeviceHandle = nullptr;  // the driver's control device while the dialog runs
  int DoubleClickHeight = 0;      // pixels; saved as the double-click width too
  int DoubleClickSpeed = 0;       // ms
  DWORD DoubleScreenPost = 0;     // screen placement code
  DWORD RBNDelay = 0;             // right-button delay, touch reports

 private:
  void LoadMouseSettings();
  void ShowInDialog(QUvoDlg1& dialog) const;
  void TakeFromDialog(const QUvoDlg1& dialog);

  // The double-click texts as last read: blanks at first, then the text of the last opening that
  // found the value. Each is one byte longer than a query may fill, so it is always terminated.
  std::array<char, 6> speedText_{' ', ' ', ' ', ' ', ' ', '\0'};
  std::array<char, 5> heightText_{' ', ' ', ' ', ' ', '\0'};
};
