#include "platform/ui/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <iostream>

namespace {

constexpr UINT kIconMask = 0x000000F0;
constexpr LPCSTR kDefaultCaption = "Error";

QMessageBox::Icon IconOf(UINT type) {
  switch (type & kIconMask) {
    case MB_ICONERROR:
      return QMessageBox::Critical;
    case MB_ICONWARNING:
      return QMessageBox::Warning;
    case MB_ICONINFORMATION:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  if (caption == nullptr) caption = kDefaultCaption;
  if (text == nullptr) text = "";
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
    std::cerr << caption << ": " << text << '\n';
    return IDOK;
  }
  QMessageBox box(IconOf(type), QString::fromLocal8Bit(caption), QString::fromLocal8Bit(text),
                  QMessageBox::Ok, owner);
  box.exec();
  return IDOK;
}
