// The calibration page's button: the calibration program found by ProgramFilesDir and started
// without waiting, or a message when it cannot be found.
#include <QPushButton>
#include <QTest>
#include <fstream>

#include "cpl/resource.h"
#include "cpl/tab_page1.h"
#include "tests/cpl/cpl_test_support.h"
#include "tests/platform/ui/qt_test_support.h"
#include "tests/support/wait.h"

namespace qvtouch::cpl {
namespace {

using ui::testing::Child;
using ui::testing::MessageBoxCloser;
using ui::testing::SheetHost;

const bool kApplication = ui::testing::UseQtApplication();

class CalibrationPage : public testing::StoreTest {
 protected:
  // A stand-in calibration program under folder/QVSerTouch that notes each run in `ran`.
  void InstallProgram(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder / "QVSerTouch");
    const auto program = folder / "QVSerTouch" / "qvsercalib";
    std::ofstream(program) << "#!/bin/sh\necho run >> \"" << Ran().string() << "\"\n";
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
  }
  std::filesystem::path Ran() const { return Root() / "ran"; }
  int Runs() const {
    std::ifstream in(Ran());
    int runs = 0;
    for (std::string line; std::getline(in, line);) ++runs;
    return runs;
  }
  void PressCalibrate() {
    TabPage1 page;
    const SheetHost host({&page});
    QTest::mouseClick(Child<QPushButton>(host.Page(0), IDC_CALIBRATE), Qt::LeftButton);
  }
};

TEST_F(CalibrationPage, StartsTheProgramUnderProgramFilesDirEachTimeWithoutWaiting) {
  const auto folder = Root() / "Program Files";
  InstallProgram(folder);
  testing::SetProgramFilesDir(folder.string());
  const MessageBoxCloser closer;
  PressCalibrate();
  PressCalibrate();
  EXPECT_TRUE(qvtouch::testing::WaitUntil([this] { return Runs() == 2; }));
  EXPECT_TRUE(closer.Seen().empty());
}

TEST_F(CalibrationPage, WithoutTheCurrentVersionKeySaysItCannotFindTheProgram) {
  const MessageBoxCloser closer;
  PressCalibrate();
  ASSERT_EQ(closer.Seen().size(), 1u);
  EXPECT_EQ(closer.Seen()[0].Text, "Can't fine qvsercalib.exe file.");
  EXPECT_EQ(closer.Seen()[0].Caption, "cpl_test") << "the module's name: this test program";
  EXPECT_EQ(closer.Seen()[0].Icon, QMessageBox::NoIcon);
  EXPECT_TRUE(closer.Seen()[0].Owned) << "owned by the page";
}

TEST_F(CalibrationPage, AFolderTooLongForThePathSaysItCannotFindTheProgram) {
  for (const std::size_t length : {234u, 400u}) {
    testing::SetProgramFilesDir("/" + std::string(length - 1, 'x'));
    const MessageBoxCloser closer;
    PressCalibrate();
    ASSERT_EQ(closer.Seen().size(), 1u) << length;
    EXPECT_EQ(closer.Seen()[0].Text, "Can't fine qvsercalib.exe file.");
  }
  const auto folder = Root() / std::string(233 - Root().string().size() - 1, 'y');
  ASSERT_EQ(folder.string().size(), 233u);
  InstallProgram(folder);
  testing::SetProgramFilesDir(folder.string());
  PressCalibrate();
  EXPECT_TRUE(qvtouch::testing::WaitUntil([this] { return Runs() == 1; }))
      << "233 characters and the program's 26 fill the path buffer";
}

}  // namespace
}  // namespace qvtouch::cpl
