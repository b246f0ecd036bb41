// CDialog: a dialog built from its template as Qt widgets, with dialog data exchange and the
// command notifications of its controls; the base of property pages.
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

class QFont;

namespace qvtouch::ui {

class CDataExchange;
class DialogWindow;

class CDialog : public CWnd {
 public:
  // parent: the window that owns the dialog while it runs (null: none).
  explicit CDialog(const DialogTemplate& dialogTemplate, HWND parent = nullptr);
  ~CDialog() override;

  // Creates the dialog, runs OnInitDialog, shows it modally and waits until EndDialog. Returns
  // EndDialog's result (IDOK, IDCANCEL), or -1 when there is no QApplication to show it in.
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
  // to the first control; here the window does that by itself, so the result is not used.
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

  // Builds the controls of the template into window, in font, and returns them in template
  // order; used by DoModal and by a property sheet for its pages.
  std::vector<QWidget*> CreateControls(QWidget* window, const QFont& font);

 private:
  friend class DialogWindow;
  struct Command {
    UINT Code;
    int Id;
    std::function<void()> Handler;
  };

  void Connect(QWidget* control, int id);
  void Notify(UINT code, int id);

  const DialogTemplate* template_;
  HWND parent_;
  std::map<int, std::unique_ptr<CWnd>> controls_;
  std::vector<Command> commands_;
};

}  // namespace qvtouch::ui
