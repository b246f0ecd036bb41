#include "tools/control/control_host.h"

#include <QApplication>
#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>
#include <string>

#include "tools/control/applet_session.h"
#include "tools/control/command_line.h"
#include "tools/control/display.h"
#include "tools/control/user_profile.h"

namespace qvtouch::control {
namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

void PrintUsage(std::ostream& out) {
  out << "usage: control [--list] [APPLET_PATH_OR_FOLDER] [ITEM_NAME]\n"
         "Opens the Control Panel item ITEM_NAME (or the only item there is) of the applet\n"
         "library APPLET_PATH_OR_FOLDER, or of the *.so libraries in that folder (default "
      << DefaultAppletsFolder().string()
      << ").\n  --list  print the items: NAME, DESCRIPTION and LIBRARY, separated by tabs\n";
}

// The applet libraries that the path names, or none with the reason in `problem`.
std::vector<std::filesystem::path> AppletLibraries(const std::filesystem::path& path,
                                                   std::string& problem) {
  std::error_code error;
  if (!std::filesystem::is_directory(path, error)) {
    if (std::filesystem::exists(path, error)) return {path};
    problem = "no such applet library or folder: " + path.string();
    return {};
  }
  std::vector<std::filesystem::path> libraries;
  for (const auto& entry : std::filesystem::directory_iterator(path, error)) {
    if (entry.is_regular_file(error) && entry.path().extension() == ".so") {
      libraries.push_back(entry.path());
    }
  }
  std::sort(libraries.begin(), libraries.end());
  if (libraries.empty()) problem = "no applet libraries (*.so) in " + path.string();
  return libraries;
}

bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

std::string ItemNames(const std::vector<AppletItem>& items) {
  std::string names;
  for (const AppletItem& item : items) names += (names.empty() ? "\"" : ", \"") + item.Name + '"';
  return names;
}

// The index of the item to open; with none named, the only one.
std::optional<std::size_t> ChooseItem(const std::vector<AppletItem>& items,
                                      const std::optional<std::string>& name, std::ostream& err,
                                      int& exitStatus) {
  exitStatus = kExitFailure;
  if (items.empty()) {
    err << "control: the applets offer no items\n";
    return std::nullopt;
  }
  if (!name) {
    if (items.size() == 1) return 0;
    err << "control: name the item to open: " << ItemNames(items) << '\n';
    exitStatus = kExitUsage;
    return std::nullopt;
  }
  const auto found = std::find_if(items.begin(), items.end(), [&name](const AppletItem& item) {
    return SameName(item.Name, *name);
  });
  if (found == items.end()) {
    err << "control: no item \"" << *name << "\"; the items are " << ItemNames(items) << '\n';
    return std::nullopt;
  }
  return static_cast<std::size_t>(found - items.begin());
}

// The QApplication that the applets' windows run in: the caller's, or one of this host's own;
// null with the reason in `problem` when there is none and none can be made.
std::unique_ptr<QApplication> OwnApplication(std::string& problem) {
  if (QCoreApplication::instance() != nullptr) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
      problem = "the program runs no QApplication to show the applet in";
    }
    return nullptr;
  }
  problem = DisplayProblem();
  if (!problem.empty()) return nullptr;
  static int argc = 1;
  static char name[] = "control";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QApplication>(argc, argv);
}

}  // namespace

std::filesystem::path DefaultAppletsFolder() {
  return QVTOUCH_APPLETS_DIR;
}

int RunControl(const std::vector<std::string_view>& arguments, std::ostream& out,
               std::ostream& err) {
  auto parsed = ParseControlOptions(arguments);
  if (const auto* problem = std::get_if<std::string>(&parsed)) {
    err << "control: " << *problem << " (control --help shows the usage)\n";
    return kExitUsage;
  }
  const auto& options = std::get<ControlOptions>(parsed);
  if (options.Help) {
    PrintUsage(out);
    return kExitSuccess;
  }
  std::string problem;
  const auto libraries = AppletLibraries(options.Applets.value_or(DefaultAppletsFolder()), problem);
  if (libraries.empty()) {
    err << "control: " << problem << '\n';
    return kExitFailure;
  }
  // Created before the libraries load and destroyed after they are unloaded.
  std::unique_ptr<QApplication> application;
  if (!options.List) {
    application = OwnApplication(problem);
    if (!problem.empty()) {
      err << "control: " << problem << '\n';
      return kExitFailure;
    }
  }
  std::string problems;
  const AppletSession session(libraries, problems);
  for (std::size_t start = 0, end = 0; (end = problems.find('\n', start)) != std::string::npos;
       start = end + 1) {
    err << "control: " << std::string_view(problems).substr(start, end - start) << '\n';
  }
  if (options.List) {
    for (const AppletItem& item : session.Items()) {
      out << item.Name << '\t' << item.Info << '\t' << item.Library.string() << '\n';
    }
    return session.Items().empty() ? kExitFailure : kExitSuccess;
  }
  int exitStatus = kExitSuccess;
  const auto item = ChooseItem(session.Items(), options.Item, err, exitStatus);
  if (!item) return exitStatus;
  GiveUserTheDefaultMouseSettings();
  session.Open(*item, nullptr);
  return kExitSuccess;
}

}  // namespace qvtouch::control
