#include "tools/control/applet_session.h"

#include <cstring>

namespace qvtouch::control {
namespace {

// A text field of the record, up to its first zero byte or its end.
template <std::size_t N>
std::string Field(const CHAR (&text)[N]) {
  return {text, strnlen(text, N)};
}

}  // namespace

AppletSession::AppletSession(const std::vector<std::filesystem::path>& libraries,
                             std::string& problems) {
  for (const std::filesystem::path& path : libraries) {
    std::string error;
    auto library = AppletLibrary::Load(path, error);
    if (!library) {
      problems += error + '\n';
      continue;
    }
    if (library->Send(nullptr, CPL_INIT) == 0) {
      problems += path.string() + ": the applet refused to start (CPL_INIT)\n";
      continue;
    }
    Inquire(*library);
    libraries_.push_back(std::move(library));
  }
}

AppletSession::~AppletSession() {
  for (auto library = libraries_.rbegin(); library != libraries_.rend(); ++library) {
    for (const ItemSource& source : sources_) {
      if (source.Library == library->get()) {
        (*library)->Send(nullptr, CPL_STOP, source.Number, source.Data);
      }
    }
    (*library)->Send(nullptr, CPL_EXIT);
  }
}

void AppletSession::Inquire(const AppletLibrary& library) {
  const LONG count = library.Send(nullptr, CPL_GETCOUNT);
  for (LONG number = 0; number < count; ++number) {
    NEWCPLINFO info{};
    library.Send(nullptr, CPL_NEWINQUIRE, number, reinterpret_cast<LPARAM>(&info));
    items_.push_back({Field(info.szName), Field(info.szInfo), library.Path()});
    sources_.push_back({&library, static_cast<UINT>(number), info.lData});
  }
}

void AppletSession::Open(std::size_t item, HWND hwndCPl) const {
  const ItemSource& source = sources_.at(item);
  source.Library->Send(hwndCPl, CPL_DBLCLK, source.Number, source.Data);
}

}  // namespace qvtouch::control
