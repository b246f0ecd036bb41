// The pages of the settings sheet as a user meets them: what they show of the record, what their
// controls allow, and what they take back.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include "common/request_codes.h"
#include "common/screen_post.h"
#include "cpl/resource.h"
#include "cpl/screen_pos.h"
#include "cpl/tab_page2.h"
#include "cpl/tab_page3.h"
#include "cpl/tab_page4.h"
#include "cpl/tab_page5.h"
#include "platform/device/winio.h"
#include "tests/cpl/cpl_test_support.h"
#include "tests/platform/ui/qt_test_support.h"

namespace qvtouch::cpl {
namespace {

using ui::testing::Child;
using ui::testing::ChooseEntry;
using ui::testing::SheetHost;

const bool kApplication = ui::testing::UseQtApplication();

QString Text(const QWidget& page, int id) {
  return Child<QLabel>(page, id)->text();
}

// A page after a second page of the sheet was chosen, so that the first has been read back.
class EmptyPage : public ui::CPropertyPage {
 public:
  EmptyPage() : CPropertyPage(kTemplate) {}

 private:
  static constexpr ui::DialogTemplate kTemplate{1, "Other", {100, 100}, {"MS Sans Serif", 10}, {}};
};

TEST(SoundPage, ShowsTheRecordsModeFrequencyAndDuration) {
  TabPage2 page;
  page.m_modeIndex = 2;
  page.m_frequency = 2000;
  page.m_duration = 32;
  const SheetHost host({&page});
  const QWidget& window = host.Page(0);
  EXPECT_EQ(Child<QComboBox>(window, IDC_BEEP_ON)->currentText(), "Release");
  EXPECT_EQ(Child<QComboBox>(window, IDC_BEEP_ON)->count(), 3);
  EXPECT_EQ(Text(window, IDC_BEEP_TONE_TEXT), "2000");
  EXPECT_EQ(Text(window, IDC_DURATION_TEXT), "32");
  EXPECT_EQ(Child<QSlider>(window, IDC_BEEP_TONE)->value(), 2000);
  EXPECT_EQ(Child<QSlider>(window, IDC_DURATION)->value(), 32);
}

TEST(SoundPage, SlidersStayInTheirRangesAndTheirNumbersFollow) {
  TabPage2 page;
  page.m_modeIndex = 0;
  page.m_frequency = 2000;
  page.m_duration = 100;
  const SheetHost host({&page});
  auto* frequency = Child<QSlider>(host.Page(0), IDC_BEEP_TONE);
  auto* duration = Child<QSlider>(host.Page(0), IDC_DURATION);
  QTest::keyClick(frequency, Qt::Key_End);
  EXPECT_EQ(page.m_frequency, 5000);
  EXPECT_EQ(Text(host.Page(0), IDC_BEEP_TONE_TEXT), "5000");
  QTest::keyClick(duration, Qt::Key_Home);
  EXPECT_EQ(page.m_duration, 32);
  EXPECT_EQ(Text(host.Page(0), IDC_DURATION_TEXT), "32");
  QTest::keyClick(duration, Qt::Key_End);
  EXPECT_EQ(page.m_duration, 750);
  EXPECT_EQ(frequency->minimum(), 1000);
  EXPECT_EQ(duration->maximum(), 750);
  ChooseEntry(*Child<QComboBox>(host.Page(0), IDC_BEEP_ON), 1);
  EXPECT_EQ(page.m_modeIndex, 1) << "a list choice is read at once";
}

class SoundTest : public testing::StoreTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(device_.Serving());
    handle_ = CreateFileA(R"(\\.\QVTouch)", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(handle_, INVALID_HANDLE_VALUE);
  }
  void TearDown() override { CloseHandle(handle_); }

  // Presses the test button of a page with "Non Beep", 4500 Hz and 600 ms.
  void PressTest() {
    TabPage2 page;
    page.m_device = handle_;
    page.m_modeIndex = 0;
    page.m_frequency = 4500;
    page.m_duration = 600;
    const SheetHost host({&page});
    QTest::mouseClick(Child<QPushButton>(host.Page(0), IDC_TEST_BEEP), Qt::LeftButton);
  }

  testing::RecordingDevice device_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

TEST_F(SoundTest, TestButtonSoundsTheTrialRecordAndRestoresTheDriversRecord) {
  const BeepRecord driverRecord{2, 2000, 40, 2000, 40};
  device_.AnswerBeep(driverRecord);
  PressTest();
  const auto requests = device_.Requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0].Code, IOCTL_TOUCH_GET_BEEP);
  EXPECT_EQ(requests[1].Code, IOCTL_TOUCH_SET_BEEP);
  const auto trial = BeepRecord{0, 4500, 600, 4500, 600}.Encode();
  EXPECT_EQ(requests[1].Input, std::vector<std::uint8_t>(trial.begin(), trial.end()))
      << "the mode does not matter to the test tone; the second pair holds the first";
  EXPECT_EQ(requests[2].Code, IOCTL_TOUCH_BEEP);
  EXPECT_EQ(requests[3].Code, IOCTL_TOUCH_SET_BEEP);
  const auto restored = driverRecord.Encode();
  EXPECT_EQ(requests[3].Input, std::vector<std::uint8_t>(restored.begin(), restored.end()));
}

TEST_F(SoundTest, WithoutTheReadoutNothingIsRestored) {
  device_.AnswerBeep(std::nullopt);
  PressTest();
  EXPECT_EQ(device_.Codes(), (std::vector<std::uint32_t>{IOCTL_TOUCH_GET_BEEP, IOCTL_TOUCH_SET_BEEP,
                                                         IOCTL_TOUCH_BEEP}));
}

TEST(MousePage, ShowsTheModeTheDelayEntryAndTheDoubleClickNumbers) {
  TabPage3 page;
  page.m_modeIndex = 2;
  page.m_field = 40;
  page.m_speed = 500;
  page.m_delay = 48;
  const SheetHost host({&page});
  const QWidget& window = host.Page(0);
  EXPECT_EQ(Child<QComboBox>(window, IDC_MOUSE_MODE)->currentText(), "Dragging ");
  EXPECT_EQ(Child<QComboBox>(window, IDC_RIGHT_DELAY)->currentText(), "500ms");
  EXPECT_EQ(Child<QComboBox>(window, IDC_RIGHT_DELAY)->count(), 12);
  EXPECT_EQ(Text(window, IDC_CLICK_SPEED_TEXT), "500");
  EXPECT_EQ(Child<QSlider>(window, IDC_CLICK_SPEED)->value(), 500);
  QTest::keyClick(Child<QSlider>(window, IDC_CLICK_SPEED), Qt::Key_End);
  EXPECT_EQ(Text(window, IDC_CLICK_SPEED_TEXT), "2000");
  EXPECT_EQ(page.m_speed, 2000);
}

TEST(MousePage, ADelayWithoutEntryShowsNothingAndGoesBackUnlessAnEntryIsChosen) {
  TabPage3 page;
  page.m_modeIndex = 3;
  page.m_delay = 50;
  const SheetHost host({&page});
  auto* delays = Child<QComboBox>(host.Page(0), IDC_RIGHT_DELAY);
  EXPECT_EQ(delays->currentIndex(), -1);
  EXPECT_EQ(delays->currentText(), "");
  EXPECT_EQ(Child<QComboBox>(host.Page(0), IDC_MOUSE_MODE)->currentText(), "Drag and Double Click");
  QTest::keyClicks(delays->lineEdit(), "2.5s");
  QTest::keyClick(delays->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(page.m_delay, 50u) << "typed text changes nothing";
  ChooseEntry(*delays, 11);
  EXPECT_EQ(page.m_delay, 240u);
  ChooseEntry(*delays, 0);
  EXPECT_EQ(page.m_delay, 24u);
  ChooseEntry(*delays, 3);
  EXPECT_EQ(page.m_delay, 42u) << "\"450ms\" stores 42";
}

TEST(MousePage, AHeightBelowTheSliderShowsItsNumberUntilTheControlsAreReadBack) {
  TabPage3 page;
  page.m_modeIndex = 0;
  page.m_field = 4;
  page.m_speed = 900;
  EmptyPage other;
  const SheetHost host({&page, &other});
  EXPECT_EQ(Child<QSlider>(host.Page(0), IDC_CLICK_FIELD)->value(), 20);
  EXPECT_EQ(Text(host.Page(0), IDC_CLICK_FIELD_TEXT), "4");
  EXPECT_EQ(page.m_field, 4);
  host.ClickTab(1);
  EXPECT_EQ(page.m_field, 20) << "leaving the page reads it back";
  EXPECT_EQ(page.m_speed, 900);
}

TEST(MousePage, ChangingTheModeReadsTheControlsBack) {
  TabPage3 page;
  page.m_modeIndex = 0;
  page.m_field = 4;
  page.m_speed = 900;
  const SheetHost host({&page});
  ChooseEntry(*Child<QComboBox>(host.Page(0), IDC_MOUSE_MODE), 1);
  EXPECT_EQ(page.m_modeIndex, 1);
  EXPECT_EQ(page.m_field, 20);
}

TEST(ComPortPage, ShowsTheStoredPortAndTakesTheChosenOne) {
  TabPage4 page;
  page.m_portIndex = 2;
  const SheetHost host({&page});
  auto* ports = Child<QComboBox>(host.Page(0), IDC_PORT);
  EXPECT_EQ(ports->currentText(), " COM3 ");
  EXPECT_EQ(ports->count(), 4);
  ChooseEntry(*ports, 0);
  EXPECT_EQ(page.m_portIndex, 0);
}

TEST(ComPortPage, APortOutsideTheListShowsNoneAndIsReadBackAsNone) {
  TabPage4 page;
  page.m_portIndex = 6;
  EmptyPage other;
  const SheetHost host({&page, &other});
  EXPECT_EQ(Child<QComboBox>(host.Page(0), IDC_PORT)->currentIndex(), -1);
  EXPECT_EQ(page.m_portIndex, 6);
  host.ClickTab(1);
  EXPECT_EQ(page.m_portIndex, -1);
}

TEST(ScreenPlacementPage, ShowsTheCodesButtonAndAClickSetsTheCode) {
  CScreenPos page;
  page.m_placement = static_cast<DWORD>(kScreenSecondary);
  const SheetHost host({&page});
  auto* slave = Child<QRadioButton>(host.Page(0), IDC_ON_SLAVE);
  auto* top = Child<QRadioButton>(host.Page(0), IDC_ON_TOP);
  EXPECT_TRUE(slave->isChecked());
  QTest::mouseClick(top, Qt::LeftButton);
  EXPECT_EQ(page.m_placement, 19u);
  EXPECT_TRUE(top->isChecked());
  EXPECT_FALSE(slave->isChecked());
}

TEST(ScreenPlacementPage, AnUnknownCodeShowsSingleMonitorAndStaysUnlessClicked) {
  for (const DWORD unknown : {0u, 21u}) {
    CScreenPos page;
    page.m_placement = unknown;
    const SheetHost host({&page});
    auto* single = Child<QRadioButton>(host.Page(0), IDC_SINGLE_MONITOR);
    EXPECT_TRUE(single->isChecked());
    EXPECT_EQ(page.m_placement, unknown);
    QTest::mouseClick(single, Qt::LeftButton);
    EXPECT_EQ(page.m_placement, 16u);
  }
}

TEST(AboutPage, ShowsTheLogoAndTheProductLines) {
  TabPage5 page;
  const SheetHost host({&page});
  const QWidget& window = host.Page(0);
  auto* logo = Child<QLabel>(window, IDC_LOGO);
  ASSERT_NE(logo, nullptr);
  EXPECT_EQ(logo->pixmap().size(), QSize(267, 54));
  EXPECT_EQ(logo->size(), QSize(267, 54)) << "the picture takes its bitmap's size";
  QStringList lines;
  for (const QLabel* label : window.findChildren<QLabel*>()) lines << label->text();
  EXPECT_TRUE(lines.contains("Version 5.95"));
  EXPECT_TRUE(lines.contains("Quvotouch AcousticWave Touchscreen driver "));
  EXPECT_TRUE(lines.contains("for Windows Server 2003(x64)"));
}

}  // namespace
}  // namespace qvtouch::cpl
