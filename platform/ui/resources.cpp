#include "platform/ui/resources.h"

#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <map>
#include <memory>
#include <string>

namespace qvtouch::ui {

HICON LoadIconResource(LPCSTR path) {
  static std::map<std::string, std::unique_ptr<const QIcon>> loaded;
  // Pictures need a running QGuiApplication; a host that shows none (a listing) gets no icon.
  if (path == nullptr || qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
    return nullptr;
  }
  const auto found = loaded.find(path);
  if (found != loaded.end()) return found->second.get();
  const QString name = QString::fromUtf8(path);
  if (!QFile::exists(name)) return nullptr;
  return loaded.emplace(path, std::make_unique<const QIcon>(name)).first->second.get();
}

}  // namespace qvtouch::ui
