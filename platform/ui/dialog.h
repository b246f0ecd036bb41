// CDialog: a dialog built from its template (on Windows the platform's own dialog, on Linux Qt
// widgets), with dialog data exchange and the command notifications of its controls; the base of
// property pages.
//
//   class MyDialog : public ui::CDialog {
//    public:
//     MyDialog() : CDialog(kTemplate) { MapCommand(BN_CLICKED, IDC_TEST, &MyDialog::OnTest); }
//    protected:
//     void DoDataExchange(ui::CDataExchange* pDX) override { DDX_Slider(pDX, IDC_LEVEL, m_level); }
//     void OnTest();
//     int m_level = 0;
//   };
//
// The object outlives its window: DoModal creates the window and its controls, and destroys them
// before it returns; the members keep what the data exchange last read.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/ui/dialog_template.h"
#include "platform/ui/wnd.h"

#ifndef _WIN32
class QFont;
#endif

namespace qvtouch::ui {

class CDataExchange;
#ifndef _WIN32
class DialogWindow;
#endif

class CDialog : public CWnd {
 public:
  // parent: the window that owns the dialog while it runs (null: none).
  explicit CDialog(const DialogTemplate& dialogTemplate, HWND parent = nullptr);
  ~CDialog() override;

  // Creates the dialog, runs OnInitDialog, shows it modally and waits until EndDialog. Returns
  // EndDialog's result (IDOK, IDCANCEL), or -1 when it cannot be shown (on Linux: no
  // QApplication to show it in).
  int DoModal();
  void EndDialog(int result);

  // Moves the members into the controls (FALSE) or the controls into the members (TRUE).
  BOOL UpdateData(BOOL saveAndValidate = TRUE);

  // The control with that id, or null.
  CWnd* GetDlgItem(int id) const;
  // Checks the radio button `check` and clears the others with ids first to last.
  void CheckRadioButton(int first, int last, int check);
  // The lowest id from first to last of a checked radio button, or 0 when none is checked.
  int GetCheckedRadioButton(int first, int last) const;

  const DialogTemplate& Template() const { return *template_; }

 protected:
  // After the controls exist: moves the members into them. TRUE lets the platform give the focus
  // to the first control (on Linux the window does that by itself, and the result is not used).
  virtual BOOL OnInitDialog();
  virtual void DoDataExchange(CDataExchange* pDX);
  // The OK button and Enter: reads the controls back and ends the dialog with IDOK.
  virtual void OnOK();
  // The Cancel button, Esc and the close box: ends the dialog with IDCANCEL.
  virtual void OnCancel();
  // A slider was moved by the user (mouse, keyboard or touch); its new position is readable.
  virtual void OnHScroll(int id);

  // Calls the handler when the control `id` sends the notification (BN_CLICKED, CBN_SELCHANGE).
  template <typename Derived>
  void MapCommand(UINT code, int id, void (Derived::*handler)()) {
    commands_.push_back({code, id, [this, handler] { (static_cast<Derived*>(this)->*handler)(); }});
  }

#ifdef _WIN32
  // The dialog procedure of the dialog whose WM_INITDIALOG carries it as lParam.
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
#else
  // Builds the controls of the template into window, in font, and returns them in template
  // order; used by DoModal and by a property sheet for its pages.
  std::vector<QWidget*> CreateControls(QWidget* window, const QFont& font);
#endif

 private:
  struct Command {
    UINT Code;
    int Id;
    std::function<void()> Handler;
  };

  // Runs the handler mapped to the notification; else BN_CLICKED from IDOK or IDCANCEL runs
  // OnOK or OnCancel.
  void Notify(UINT code, int id);

  const DialogTemplate* template_;
  HWND parent_;
  std::vector<Command> commands_;
#ifdef _WIN32
  // Wrappers of the controls that GetDlgItem handed out, by id.
  mutable std::map<int, std::unique_ptr<CWnd>> controls_;
#else
  friend class DialogWindow;
  void Connect(QWidget* control, int id);
  std::map<int, std::unique_ptr<CWnd>> controls_;
#endif
};

}  // namespace qvtouch::ui
