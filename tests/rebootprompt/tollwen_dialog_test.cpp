// Tollwen's dialog on the offscreen platform against a store of the test's own: the RunOnce value
// it writes as it opens, whatever the answer, and the restart that only "Yes" asks for.
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "rebootprompt/tollwen_app.h"
#include "rebootprompt/tollwen_dlg.h"
#include "tests/platform/ui/qt_test_support.h"
#include "tests/rebootprompt/run_once_test_support.h"

namespace qvtouch::rebootprompt {
namespace {

using ui::testing::Child;
using ui::testing::WhenModal;

const bool kApplication = ui::testing::UseQtApplication();

constexpr const char* kValueName = "qvsercalib";

// The command line for a program-files folder.
std::string Scheduled(const std::string& folder) {
  return '"' + folder + R"(\QVSerTouch\qvsercalib.exe")";
}

class TollwenDialog : public testing::RunOnceStoreTest {
 protected:
  // Runs the program's start-up; the answer ends the dialog. Notes the RunOnce value as it was
  // while the dialog was shown.
  void Run(const std::function<void(QWidget& dialog)>& answer) {
    WhenModal([this, answer](QWidget& dialog) {
      whileShown_ = RunOnceValue(kValueName);
      answer(dialog);
    });
    CTollwenApp app;
    EXPECT_EQ(app.InitInstance(), FALSE);
  }

  static void Click(QWidget& dialog, int id) {
    QTest::mouseClick(Child<QPushButton>(dialog, id), Qt::LeftButton);
  }

  std::optional<std::string> whileShown_;
};

// The dialog as template 102 describes it, with its whole text readable in the font here.
void ExpectTemplate102(const QWidget& dialog) {
  EXPECT_EQ(dialog.windowTitle(), "QVHWTOUCH SETUP");
  const auto* text = dialog.findChild<QLabel*>();
  const auto* yes = Child<QPushButton>(dialog, IDOK);
  const auto* no = Child<QPushButton>(dialog, IDCANCEL);
  ASSERT_TRUE(text != nullptr && yes != nullptr && no != nullptr);
  EXPECT_EQ(text->text(),
            "The install application must reboot system to complete the setup.Click OK to "
            "reboot system now,or CANCEL then reboot later.\n\n Would you like to reboot the "
            "system now ?");
  EXPECT_LE(text->heightForWidth(text->width()), text->height()) << "the whole text shows";
  EXPECT_EQ(yes->text(), "Yes");
  EXPECT_EQ(no->text(), "No");
  EXPECT_TRUE(yes->isDefault());
  EXPECT_FALSE(no->isDefault());
}

TEST_F(TollwenDialog, ShowsTemplate102) {
  WhenModal([](QWidget& dialog) {
    ExpectTemplate102(dialog);
    dialog.close();
  });
  CTollwenDlg dlg;
  dlg.DoModal();
}

TEST_F(TollwenDialog, EveryAnswerLeavesTheCalibrationScheduledAndOnlyYesRestarts) {
  const std::string folder = (Root() / "Program Files").string();
  SetProgramFilesDir(folder);
  struct Answer {
    const char* Name;
    std::function<void(QWidget&)> Give;
    bool Restarts;
  };
  const Answer answers[] = {
      {"No", [](QWidget& dialog) { Click(dialog, IDCANCEL); }, false},
      {"Esc", [](QWidget& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); }, false},
      {"the close box", [](QWidget& dialog) { dialog.close(); }, false},
      {"Yes", [](QWidget& dialog) { Click(dialog, IDOK); }, true},
      {"Enter", [](QWidget& dialog) { QTest::keyClick(&dialog, Qt::Key_Return); }, true},
  };
  std::size_t restarts = 0;
  for (const Answer& answer : answers) {
    SCOPED_TRACE(answer.Name);
    Run(answer.Give);
    EXPECT_EQ(whileShown_, Scheduled(folder)) << "written as the dialog opens";
    EXPECT_EQ(RunOnceValue(kValueName), Scheduled(folder));
    if (answer.Restarts) ++restarts;
    EXPECT_EQ(SystemctlRuns(), std::vector<std::string>(restarts, "reboot"));
  }
}

TEST_F(TollwenDialog, RunningTwiceKeepsOneValueAndTheLaterFolderWins) {
  SetProgramFilesDir("/opt/first");
  Run([](QWidget& dialog) { Click(dialog, IDCANCEL); });
  SetProgramFilesDir("/opt/second");
  Run([](QWidget& dialog) { Click(dialog, IDCANCEL); });
  EXPECT_EQ(RunOnceValue(kValueName), Scheduled("/opt/second"));
  EXPECT_EQ(RunOnceValueCount(), 1u);
}

TEST_F(TollwenDialog, AMissingProgramFilesDirLeavesTheFolderPartEmpty) {
  CreateCurrentVersionKey();
  Run([](QWidget& dialog) { Click(dialog, IDCANCEL); });
  EXPECT_EQ(RunOnceValue(kValueName), R"("\QVSerTouch\qvsercalib.exe")");
}

TEST_F(TollwenDialog, WithoutTheCurrentVersionKeyNothingIsScheduledAndYesStillRestarts) {
  Run([](QWidget& dialog) { Click(dialog, IDOK); });
  EXPECT_EQ(RunOnceValue(kValueName), std::nullopt);
  EXPECT_EQ(SystemctlRuns(), std::vector<std::string>{"reboot"});
}

// The command line, quotes and terminating zero included, must fit the platform's 260-byte
// buffer: a folder of 231 characters does, one more does not, and neither does a folder longer
// than the 260-byte buffer it is read into. A cut line would name a program that is not there.
TEST_F(TollwenDialog, AFolderTooLongForTheCommandLineSchedulesNothing) {
  for (const std::size_t length : {232u, 259u, 260u, 400u}) {
    SCOPED_TRACE(length);
    SetProgramFilesDir("/" + std::string(length - 1, 'x'));
    Run([](QWidget& dialog) { Click(dialog, IDCANCEL); });
    EXPECT_EQ(RunOnceValue(kValueName), std::nullopt);
  }
  const std::string longest = "/" + std::string(230, 'y');
  SetProgramFilesDir(longest);
  Run([](QWidget& dialog) { Click(dialog, IDCANCEL); });
  ASSERT_EQ(RunOnceValue(kValueName), Scheduled(longest));
  EXPECT_EQ(Scheduled(longest).size(), 259u);
}

}  // namespace
}  // namespace qvtouch::rebootprompt
