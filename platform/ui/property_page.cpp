#include "platform/ui/property_page.h"

namespace qvtouch::ui {

void CPropertyPage::CreatePage(QWidget* window, const QFont& sheetFont) {
  m_hWnd = window;
  CreateControls(window, sheetFont);
  OnInitDialog();
}

}  // namespace qvtouch::ui
