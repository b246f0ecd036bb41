#include "platform/ui/wnd.h"

#include <QGuiApplication>
#include <QScreen>

#include "platform/ui/message_box.h"
#include "platform/ui/win_app.h"

namespace qvtouch::ui {
namespace {

CRect FromQRect(const QRect& rect) {
  return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

}  // namespace

HWND CWnd::GetSafeHwnd() const {
  return m_hWnd.data();
}

void CWnd::GetWindowRect(CRect* rect) const {
  if (m_hWnd.isNull()) return;
  const QRect frame = m_hWnd->isWindow() ? m_hWnd->frameGeometry()
                                         : QRect(m_hWnd->mapToGlobal(QPoint(0, 0)), m_hWnd->size());
  *rect = FromQRect(frame);
}

void CWnd::GetClientRect(CRect* rect) const {
  if (m_hWnd.isNull()) return;
  *rect = FromQRect(m_hWnd->rect());
}

void CWnd::ScreenToClient(CRect* rect) const {
  if (m_hWnd.isNull()) return;
  const QPoint topLeft = m_hWnd->mapFromGlobal(QPoint(rect->left, rect->top));
  *rect = {topLeft.x(), topLeft.y(), topLeft.x() + rect->Width(), topLeft.y() + rect->Height()};
}

BOOL CWnd::MoveWindow(int x, int y, int width, int height) {
  if (m_hWnd.isNull()) return FALSE;
  if (m_hWnd->isWindow()) {
    const QSize frame = m_hWnd->frameGeometry().size() - m_hWnd->size();
    m_hWnd->move(x, y);
    m_hWnd->resize(QSize(width, height) - frame);
  } else {
    m_hWnd->setGeometry(x, y, width, height);
  }
  return TRUE;
}

BOOL CWnd::SetWindowPos(int x, int y, int width, int height, UINT flags) {
  if (m_hWnd.isNull()) return FALSE;
  m_hWnd->move(x, y);
  if ((flags & SWP_NOSIZE) == 0) m_hWnd->resize(width, height);
  return TRUE;
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add) {
  if (m_hWnd.isNull()) return FALSE;
  const Qt::FocusPolicy policy = m_hWnd->focusPolicy();
  if ((add & WS_TABSTOP) != 0)
    m_hWnd->setFocusPolicy(static_cast<Qt::FocusPolicy>(policy | Qt::TabFocus));
  if ((remove & WS_TABSTOP) != 0) {
    m_hWnd->setFocusPolicy(static_cast<Qt::FocusPolicy>(policy & ~Qt::TabFocus));
  }
  return TRUE;
}

BOOL CWnd::ModifyStyleEx(DWORD /*remove*/, DWORD /*add*/) {
  return m_hWnd.isNull() ? FALSE : TRUE;
}

void CWnd::SetWindowText(LPCSTR text) {
  if (m_hWnd.isNull()) return;
  const QString shown = QString::fromUtf8(text != nullptr ? text : "");
  if (m_hWnd->isWindow()) {
    m_hWnd->setWindowTitle(shown);
  } else {
    m_hWnd->setProperty("text", shown);
  }
}

void CWnd::GetWindowText(std::string& text) const {
  if (m_hWnd.isNull()) return;
  const QString shown =
      m_hWnd->isWindow() ? m_hWnd->windowTitle() : m_hWnd->property("text").toString();
  text = shown.toStdString();
}

int CWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type) const {
  return MessageBoxA(GetSafeHwnd(), text, caption != nullptr ? caption : AfxGetAppName(), type);
}

CRect DesktopClientRect() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return {};
  const QSize size = screen->geometry().size();
  return {0, 0, size.width(), size.height()};
}

}  // namespace qvtouch::ui
