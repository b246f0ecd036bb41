// The Control Panel host's command line: listing the items of an applet library or a folder,
// opening by name, and the errors of bad arguments and of libraries that are not applets; and the
// user's mouse settings that it sets up before an item opens.
#include <dlfcn.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/cpl/cpl_test_support.h"
#include "tools/control/control_host.h"
#include "tools/control/user_profile.h"

namespace qvtouch::cpl {
namespace {

struct Result {
  int Status;
  std::string Out;
  std::string Err;
};

Result Control(std::vector<std::string_view> arguments) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = control::RunControl(arguments, out, err);
  return {status, out.str(), err.str()};
}

class ControlHost : public testing::StoreTest {
 protected:
  std::filesystem::path Folder() const {
    const auto folder = Root() / "applets";
    std::filesystem::create_directories(folder);
    return folder;
  }
};

TEST_F(ControlHost, ListsTheItemOfAnAppletLibrary) {
  const Result result = Control({"--list", QVTCPL_LIBRARY});
  EXPECT_EQ(result.Status, 0);
  EXPECT_EQ(result.Out,
            std::string("QVTouch Settings\tQVTouch ControlPanel\t") + QVTCPL_LIBRARY + "\n");
  EXPECT_EQ(result.Err, "");
}

TEST_F(ControlHost, ListsTheAppletLibrariesOfAFolderAndSaysWhichDoNotLoad) {
  const auto folder = Folder();
  std::filesystem::create_symlink(QVTCPL_LIBRARY, folder / "QVTcpl.so");
  std::ofstream(folder / "broken.so") << "not a library";
  std::ofstream(folder / "notes.txt") << "not an applet";
  const Result result = Control({"--list", folder.string()});
  EXPECT_EQ(result.Status, 0);
  EXPECT_EQ(result.Out,
            "QVTouch Settings\tQVTouch ControlPanel\t" + (folder / "QVTcpl.so").string() + "\n");
  EXPECT_NE(result.Err.find("control: " + (folder / "broken.so").string()), std::string::npos)
      << result.Err;
}

TEST_F(ControlHost, SaysWhatIsWrongWithItsArguments) {
  struct Case {
    std::vector<std::string_view> Arguments;
    int Status;
    std::string Err;
  };
  const std::string missing = (Root() / "missing.so").string();
  const std::string empty = Folder().string();
  for (const Case& c : {
           Case{{"--bogus"},
                2,
                "control: unknown option --bogus (control --help shows the usage)\n"},
           Case{{"a", "b", "c"},
                2,
                "control: too many arguments (control --help shows the usage)\n"},
           Case{{"--list", QVTCPL_LIBRARY, "QVTouch Settings"},
                2,
                "control: --list takes no item name (control --help shows the usage)\n"},
           Case{{missing, "QVTouch Settings"},
                1,
                "control: no such applet library or folder: " + missing + "\n"},
           Case{{"--list", empty}, 1, "control: no applet libraries (*.so) in " + empty + "\n"},
           Case{{QVTCPL_LIBRARY, "Sound"},
                1,
                "control: no item \"Sound\"; the items are \"QVTouch Settings\"\n"},
       }) {
    const Result result = Control(c.Arguments);
    EXPECT_EQ(result.Status, c.Status) << c.Err;
    EXPECT_EQ(result.Err, c.Err);
    EXPECT_EQ(result.Out, "");
  }
  const Result help = Control({"--help"});
  EXPECT_EQ(help.Status, 0);
  EXPECT_EQ(help.Out.rfind("usage: control [--list] [APPLET_PATH_OR_FOLDER] [ITEM_NAME]\n", 0), 0u);
}

TEST_F(ControlHost, RefusesALibraryWithoutTheEntryPoint) {
  // The C library loads, but is no applet.
  Dl_info info{};
  ASSERT_NE(dladdr(reinterpret_cast<const void*>(&dlopen), &info), 0);
  const Result result = Control({"--list", info.dli_fname});
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(result.Err,
            std::string("control: ") + info.dli_fname + ": no CPlApplet: not an applet library\n");
}

TEST_F(ControlHost, GivesANewUserThePlatformsMouseSettingsAndLeavesAUsersOwn) {
  control::GiveUserTheDefaultMouseSettings();
  EXPECT_EQ(testing::StoredMouseBytes("DoubleClickSpeed"), std::string("500\0", 4));
  EXPECT_EQ(testing::StoredMouseBytes("DoubleClickHeight"), std::string("4\0", 2));
  EXPECT_EQ(testing::StoredMouseBytes("DoubleClickWidth"), std::string("4\0", 2));

  testing::DeleteMouseKey();
  testing::SetMouseText("DoubleClickSpeed", "900");
  control::GiveUserTheDefaultMouseSettings();
  EXPECT_EQ(testing::StoredMouseBytes("DoubleClickSpeed"), std::string("900\0", 4));
  EXPECT_FALSE(testing::StoredMouseBytes("DoubleClickHeight").has_value())
      << "an absent value of an existing key is the applet's business";
}

TEST(AppletLibrary, ExportsOnlyItsEntryPoint) {
  void* library = dlopen(QVTCPL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  EXPECT_NE(dlsym(library, "CPlApplet"), nullptr);
  for (const char* internal : {"RegOpenKeyExA", "CreateFileA", "MessageBoxA", "theApp",
                               "_ZN10CQuvoPanel17LoadPanelSettingsEv"}) {
    EXPECT_EQ(dlsym(library, internal), nullptr) << internal;
  }
  dlclose(library);
}

}  // namespace
}  // namespace qvtouch::cpl
