// The modal window of a CDialog: the platform's ways of closing a dialog (Esc, the close box)
// reach the dialog's OnCancel.
#pragma once

#include <QDialog>

namespace qvtouch::ui {

class CDialog;

class DialogWindow final : public QDialog {
 public:
  DialogWindow(CDialog& dialog, QWidget* parent);

  void reject() override;

 private:
  CDialog& dialog_;
};

}  // namespace qvtouch::ui
