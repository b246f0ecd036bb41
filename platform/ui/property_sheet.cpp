#include "platform/ui/property_sheet.h"

#include "platform/ui/dialog_units.h"
#include "platform/ui/property_page.h"
#include "platform/ui/template_text.h"

namespace qvtouch::ui {
namespace {

// A page's window: as large as its template in the sheet's base units.
class PageWindow final : public QWidget {
 public:
  PageWindow(QSize size, int templateId) : size_(size) {
    setMinimumSize(size);
    setObjectName(QString::number(templateId));
  }
  QSize sizeHint() const override { return size_; }

 private:
  QSize size_;
};

}  // namespace

void CPropertySheet::AddPage(CPropertyPage* page) {
  pages_.push_back(page);
}

BOOL CPropertySheet::Create(CWnd* parent, DWORD style) {
  if (parent == nullptr || parent->GetSafeHwnd() == nullptr || pages_.empty()) return FALSE;
  auto* sheet = new QWidget(parent->GetSafeHwnd());
  m_hWnd = sheet;
  const QFont font = TemplateFont(kPropertySheetFont);
  sheet->setFont(font);
  const BaseUnits units = FontBaseUnits(font);

  pageWindows_ = new QStackedWidget(sheet);
  pageWindows_->setObjectName(QStringLiteral("pages"));
  pageWindows_->setFrameShape(QFrame::StyledPanel);
  QStringList captions;
  for (CPropertyPage* page : pages_) {
    const DialogTemplate& pageTemplate = page->Template();
    pageWindows_->addWidget(new PageWindow(ToPixels(pageTemplate.Size, units), pageTemplate.Id));
    captions << TemplateText(pageTemplate.Title);
  }
  tabs_ = new TabRows(sheet);
  tabs_->setObjectName(QStringLiteral("tabs"));
  tabs_->SetTabs(captions, pageWindows_->sizeHint().width());
  tabs_->setGeometry(QRect(QPoint(0, 0), tabs_->sizeHint()));
  tabs_->OnChosen([this](int index) { SetActivePage(index); });
  // As wide as the tabs, which are at least as wide as the largest page; every page takes the
  // whole area, also those not shown yet.
  const QSize area(tabs_->width(), pageWindows_->sizeHint().height());
  pageWindows_->setGeometry(QRect(QPoint(0, tabs_->height()), area));
  for (int index = 0; index < pageWindows_->count(); ++index) {
    pageWindows_->widget(index)->setGeometry(pageWindows_->contentsRect());
  }
  sheet->resize(area.width(), tabs_->height() + area.height());

  created_.assign(pages_.size(), false);
  active_ = -1;
  SetActivePage(0);
  sheet->setVisible((style & WS_VISIBLE) != 0);
  return TRUE;
}

int CPropertySheet::GetActiveIndex() const {
  return active_;
}

CPropertyPage* CPropertySheet::GetActivePage() const {
  return active_ < 0 ? nullptr : pages_[static_cast<std::size_t>(active_)];
}

BOOL CPropertySheet::SetActivePage(int index) {
  if (pageWindows_.isNull() || index < 0 || index >= GetPageCount()) return FALSE;
  if (index == active_) return TRUE;
  // The page left reads its controls back; the page chosen is created the first time.
  if (active_ >= 0) pages_[static_cast<std::size_t>(active_)]->UpdateData(TRUE);
  const auto page = static_cast<std::size_t>(index);
  active_ = index;
  if (!created_[page]) {
    created_[page] = true;
    pages_[page]->CreatePage(pageWindows_->widget(index), pageWindows_->font());
  }
  pageWindows_->setCurrentIndex(index);
  tabs_->SetCurrent(index);
  return TRUE;
}

}  // namespace qvtouch::ui
