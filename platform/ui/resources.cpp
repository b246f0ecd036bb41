#include "platform/ui/resources.h"

#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <map>
#include <memory>

namespace qvtouch::ui {

HICON LoadIconResource(LPCSTR name) {
  static std::map<int, std::unique_ptr<const QIcon>> loaded;
  const std::optional<int> number = name == nullptr ? std::nullopt : ResourceNumber(name);
  // Pictures need a running QGuiApplication; a host that shows none (a listing) gets no icon.
  if (!number || qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
    return nullptr;
  }
  const auto found = loaded.find(*number);
  if (found != loaded.end()) return found->second.get();
  const QString path = QStringLiteral(":/icons/%1.png").arg(*number);
  if (!QFile::exists(path)) return nullptr;
  return loaded.emplace(*number, std::make_unique<const QIcon>(path)).first->second.get();
}

}  // namespace qvtouch::ui
