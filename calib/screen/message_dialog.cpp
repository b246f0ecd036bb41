#include "calib/screen/message_dialog.h"

#include <string>

#include "platform/ui/dialog.h"

namespace qvtouch::calib {
namespace {

constexpr int kMessageText = 1001;

constexpr ui::ControlTemplate kControls[] = {
    {kMessageText, ui::ControlKind::Text, "", {10, 11, 139, 22}, {.CentredVertically = true}},
    {IDOK, ui::ControlKind::DefaultPushButton, "OK", {38, 38, 38, 13}},
    {IDCANCEL, ui::ControlKind::PushButton, "Cancel", {84, 38, 38, 13}},
};
// "MyMsg" is always replaced by the caption.
constexpr ui::DialogTemplate kMessageTemplate{
    104, "MyMsg", {159, 59}, {"MS Sans Serif", 8}, kControls, {.X = 240, .Y = 180}};

class MessageDialog final : public ui::CDialog {
 public:
  MessageDialog(HWND owner, std::string_view text, std::string_view caption)
      : CDialog(kMessageTemplate, owner), text_(text), caption_(caption) {}

 protected:
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    if (ui::CWnd* message = GetDlgItem(kMessageText)) message->SetWindowText(text_.c_str());
    SetWindowText(caption_.c_str());
    return TRUE;
  }

 private:
  std::string text_;
  std::string caption_;
};

}  // namespace

int RunMessageDialog(HWND owner, std::string_view text, std::string_view caption) {
  MessageDialog dialog(owner, text, caption);
  return dialog.DoModal();
}

}  // namespace qvtouch::calib
