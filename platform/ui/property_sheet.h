// CPropertySheet: pages under tabs, created as a child window of a dialog.
//
//   sheet.AddPage(&page1);
//   sheet.AddPage(&page2);
//   sheet.Create(this, WS_CHILD | WS_VISIBLE);  // shows page1
//
// On Windows it is the platform's own property sheet (comctl32) made a child window, without the
// buttons of a sheet of its own, as large as its tabs and pages. On Linux the sheet lays every page
// out in its own font (kPropertySheetFont), whatever font the page's template names, takes the
// size of its largest page (wider when a tab's caption needs it), and stacks its tabs in rows above
// it when they do not fit in one. Its window holds the tabs (object name "tabs", a TabRows) and the
// pages (object name "pages", a QStackedWidget whose widgets are the pages' windows, each named by
// its template's id).
#pragma once

#include <vector>

#include "platform/ui/wnd.h"

#ifndef _WIN32
#include <QPointer>
#include <QStackedWidget>

#include "platform/ui/tab_rows.h"
#endif

namespace qvtouch::ui {

class CPropertyPage;

class CPropertySheet : public CWnd {
 public:
  // Pages are added before Create; the sheet does not own them.
  void AddPage(CPropertyPage* page);
  // Creates the sheet in parent at (0, 0), visible with WS_VISIBLE, and shows its first page.
  BOOL Create(CWnd* parent, DWORD style);

  int GetPageCount() const { return static_cast<int>(pages_.size()); }
  // The page shown, or -1 (null) before Create.
  int GetActiveIndex() const;
  CPropertyPage* GetActivePage() const;
  // Shows the page, as choosing its tab does.
  BOOL SetActivePage(int index);

 private:
  std::vector<CPropertyPage*> pages_;
#ifndef _WIN32
  std::vector<bool> created_;  // per page, in this sheet window
  int active_ = -1;
  QPointer<TabRows> tabs_;
  QPointer<QStackedWidget> pageWindows_;
#endif
};

}  // namespace qvtouch::ui
