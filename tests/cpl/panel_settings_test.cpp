// LoadPanelSettings and SavePanelSettings against a real store: the values in their places, the
// checks, values absent from one opening to the next, the defaults and messages of keys that do
// not open, and the double-click texts with their byte counts.
#include <limits>
#include <map>

#include "cpl/quvo_panel.h"
#include "tests/cpl/cpl_test_support.h"
#include "tests/platform/ui/qt_test_support.h"

namespace qvtouch::cpl {
namespace {

using testing::DeleteMouseValue;
using testing::DeleteParameter;
using testing::SetMouseText;
using testing::SetParameter;
using testing::StoredMouseBytes;
using testing::StoredParameter;
using ui::testing::MessageBoxCloser;
using ui::testing::SeenMessageBox;

const bool kApplication = ui::testing::UseQtApplication();

constexpr DWORD kAllBits = std::numeric_limits<DWORD>::max();

class PanelSettings : public testing::StoreTest {
 protected:
  PanelSettings() {
    for (const auto& [name, value] : {std::pair{"BeepMode", 1u},
                                      {"BeepFreq1", 3000u},
                                      {"BeepTime1", 100u},
                                      {"Port", 2u},
                                      {"MouseMode", 2u},
                                      {"DoubleScreenPost", 37u},
                                      {"RBNDelay", 48u}}) {
      SetParameter(name, value);
    }
    SetMouseText("DoubleClickSpeed", "500");
    SetMouseText("DoubleClickHeight", "4");
  }

  CQuvoPanel panel_;
};

void ExpectErrorBox(const SeenMessageBox& box, const std::string& text) {
  EXPECT_EQ(box.Text, text);
  EXPECT_EQ(box.Caption, "Error");
  EXPECT_EQ(box.Icon, QMessageBox::Critical);
  EXPECT_FALSE(box.Owned);
}

TEST_F(PanelSettings, LoadPutsEachValueInItsPlace) {
  SetParameter("BeepFreq2", 1234);
  SetParameter("BeepTime2", 99);
  const MessageBoxCloser closer;
  panel_.LoadPanelSettings();
  EXPECT_TRUE(closer.Seen().empty());
  EXPECT_EQ(panel_.BeepMode, 1u);
  EXPECT_EQ(panel_.BeepFreq1, 3000u);
  EXPECT_EQ(panel_.BeepTime1, 100u);
  EXPECT_EQ(panel_.Port, 2u);
  EXPECT_EQ(panel_.MouseMode, 2u);
  EXPECT_EQ(panel_.DoubleScreenPost, 37u);
  EXPECT_EQ(panel_.RBNDelay, 48u);
  EXPECT_EQ(panel_.DoubleClickSpeed, 500);
  EXPECT_EQ(panel_.DoubleClickHeight, 4);
  EXPECT_EQ(panel_.BeepFreq2, 0u) << "the second pair is never read";
  EXPECT_EQ(panel_.BeepTime2, 0u);
}

TEST_F(PanelSettings, LoadChecksFourValuesAsUnsignedNumbersAndLeavesTheOthers) {
  struct Case {
    const char* Name;
    DWORD Stored;
    DWORD Loaded;
  };
  for (const Case& c :
       {Case{"BeepMode", 2, 2}, Case{"BeepMode", 3, 2}, Case{"BeepMode", kAllBits, 2},
        Case{"BeepFreq1", 1000, 1000}, Case{"BeepFreq1", 999, 2000}, Case{"BeepFreq1", 5000, 5000},
        Case{"BeepFreq1", 5001, 2000}, Case{"BeepFreq1", kAllBits, 2000}, Case{"BeepTime1", 32, 32},
        Case{"BeepTime1", 31, 32}, Case{"BeepTime1", 750, 750}, Case{"BeepTime1", 751, 32},
        Case{"BeepTime1", kAllBits, 32}, Case{"MouseMode", 3, 3}, Case{"MouseMode", 4, 3},
        Case{"MouseMode", kAllBits, 3}, Case{"Port", 7, 7}, Case{"DoubleScreenPost", 21, 21},
        Case{"RBNDelay", kAllBits, kAllBits}}) {
    SetParameter(c.Name, c.Stored);
    CQuvoPanel panel;
    panel.LoadPanelSettings();
    const std::map<std::string, DWORD> loaded{
        {"BeepMode", panel.BeepMode},   {"BeepFreq1", panel.BeepFreq1},
        {"BeepTime1", panel.BeepTime1}, {"MouseMode", panel.MouseMode},
        {"Port", panel.Port},           {"DoubleScreenPost", panel.DoubleScreenPost},
        {"RBNDelay", panel.RBNDelay}};
    EXPECT_EQ(loaded.at(c.Name), c.Loaded) << c.Name << " stored as " << c.Stored;
  }
}

TEST_F(PanelSettings, AbsentValuesKeepWhatThePreviousOpeningRead) {
  DeleteParameter("BeepTime1");
  DeleteParameter("Port");
  DeleteMouseValue("DoubleClickSpeed");
  panel_.LoadPanelSettings();
  EXPECT_EQ(panel_.BeepTime1, 32u) << "0 at the first opening, then checked";
  EXPECT_EQ(panel_.Port, 0u);
  EXPECT_EQ(panel_.DoubleClickSpeed, 0) << "blanks convert to 0";

  SetParameter("BeepTime1", 200);
  SetParameter("Port", 3);
  SetMouseText("DoubleClickSpeed", "1500");
  panel_.LoadPanelSettings();
  DeleteParameter("BeepTime1");
  DeleteParameter("Port");
  DeleteMouseValue("DoubleClickSpeed");
  DeleteMouseValue("DoubleClickHeight");
  panel_.LoadPanelSettings();
  EXPECT_EQ(panel_.BeepTime1, 200u);
  EXPECT_EQ(panel_.Port, 3u);
  EXPECT_EQ(panel_.DoubleClickSpeed, 1500);
  EXPECT_EQ(panel_.DoubleClickHeight, 4);
}

TEST_F(PanelSettings, DoubleClickTextsFitFourAndThreeCharactersAndLongerOnesCountAsAbsent) {
  SetMouseText("DoubleClickSpeed", "2000");
  SetMouseText("DoubleClickHeight", "200");
  panel_.LoadPanelSettings();
  EXPECT_EQ(panel_.DoubleClickSpeed, 2000);
  EXPECT_EQ(panel_.DoubleClickHeight, 200);
  SetMouseText("DoubleClickSpeed", "900");
  SetMouseText("DoubleClickHeight", "7");
  panel_.LoadPanelSettings();
  EXPECT_EQ(panel_.DoubleClickSpeed, 900) << "a shorter text leaves no rest of the longer one";
  EXPECT_EQ(panel_.DoubleClickHeight, 7);
  SetMouseText("DoubleClickSpeed", "10000");
  SetMouseText("DoubleClickHeight", "1000");
  panel_.LoadPanelSettings();
  EXPECT_EQ(panel_.DoubleClickSpeed, 900) << "too long for its buffer: the previous text stays";
  EXPECT_EQ(panel_.DoubleClickHeight, 7);

  CQuvoPanel first;
  first.LoadPanelSettings();
  EXPECT_EQ(first.DoubleClickSpeed, 0) << "blanks at the first opening";
  EXPECT_EQ(first.DoubleClickHeight, 0);
}

TEST_F(PanelSettings, WithoutTheDriversKeyLoadGivesDefaultsAndSaysReadRegistryFailed) {
  panel_.DoubleScreenPost = 38;
  panel_.RBNDelay = 96;
  testing::DeleteParametersKey();
  const MessageBoxCloser closer;
  panel_.LoadPanelSettings();
  ASSERT_EQ(closer.Seen().size(), 1u);
  ExpectErrorBox(closer.Seen()[0], "Read registry failed");
  EXPECT_EQ(panel_.BeepMode, 2u);
  EXPECT_EQ(panel_.BeepFreq1, 2000u);
  EXPECT_EQ(panel_.BeepTime1, 32u);
  EXPECT_EQ(panel_.MouseMode, 3u);
  EXPECT_EQ(panel_.Port, 1u);
  EXPECT_EQ(panel_.DoubleScreenPost, 38u) << "kept";
  EXPECT_EQ(panel_.RBNDelay, 96u) << "kept";
  EXPECT_EQ(panel_.DoubleClickSpeed, 500) << "the user's key is still read";
}

TEST_F(PanelSettings, WithoutTheUsersMouseKeyLoadAndSaveSayOpenRegistryFailed) {
  testing::DeleteMouseKey();
  const MessageBoxCloser closer;
  panel_.LoadPanelSettings();
  EXPECT_EQ(panel_.DoubleClickHeight, 40);
  EXPECT_EQ(panel_.DoubleClickSpeed, 900);
  EXPECT_EQ(panel_.BeepFreq1, 3000u) << "the driver's settings are read first";
  panel_.BeepFreq1 = 4000;
  panel_.SavePanelSettings();
  ASSERT_EQ(closer.Seen().size(), 2u);
  ExpectErrorBox(closer.Seen()[0], "Open registry HKEY_CURRENT_USER failed");
  ExpectErrorBox(closer.Seen()[1], "Open registry HKEY_CURRENT_USER failed");
  EXPECT_EQ(StoredParameter("BeepFreq1"), 4000u);
  EXPECT_FALSE(StoredMouseBytes("DoubleClickHeight").has_value()) << "nothing written there";
}

TEST_F(PanelSettings, SaveWritesEveryValueAsAFourByteDword) {
  panel_.BeepMode = 0;
  panel_.BeepFreq1 = 4500;
  panel_.BeepTime1 = 700;
  panel_.BeepFreq2 = 4501;
  panel_.BeepTime2 = 701;
  panel_.Port = 4;
  panel_.MouseMode = 1;
  panel_.DoubleScreenPost = 19;
  panel_.RBNDelay = 240;
  panel_.SavePanelSettings();
  for (const auto& [name, value] : {std::pair{"BeepMode", 0u},
                                    {"BeepFreq1", 4500u},
                                    {"BeepTime1", 700u},
                                    {"BeepFreq2", 4501u},
                                    {"BeepTime2", 701u},
                                    {"Port", 4u},
                                    {"MouseMode", 1u},
                                    {"DoubleScreenPost", 19u},
                                    {"RBNDelay", 240u}}) {
    EXPECT_EQ(StoredParameter(name), value) << name;
  }
  EXPECT_FALSE(StoredParameter("BeepTime").has_value()) << "the driver's own tone length";
  EXPECT_FALSE(StoredParameter("ScreenPost").has_value());
}

TEST_F(PanelSettings, SaveWritesTheDoubleClickTextsWithTheirTerminatorsAndTheWidthAsTheHeight) {
  SetMouseText("DoubleClickWidth", "77");
  panel_.DoubleClickSpeed = 2000;
  panel_.DoubleClickHeight = 20;
  panel_.SavePanelSettings();
  EXPECT_EQ(StoredMouseBytes("DoubleClickSpeed"), std::string("2000\0", 5));
  EXPECT_EQ(StoredMouseBytes("DoubleClickHeight"), std::string("20\0", 3));
  EXPECT_EQ(StoredMouseBytes("DoubleClickWidth"), std::string("20\0", 3));
  panel_.LoadPanelSettings();
  EXPECT_EQ(panel_.DoubleClickHeight, 20) << "the width is never read";
}

TEST_F(PanelSettings, WithoutTheDriversKeySaveSaysWriteRegistryFailedAndStillWritesTheMouseTexts) {
  testing::DeleteParametersKey();
  panel_.DoubleClickSpeed = 1200;
  const MessageBoxCloser closer;
  panel_.SavePanelSettings();
  ASSERT_EQ(closer.Seen().size(), 1u);
  ExpectErrorBox(closer.Seen()[0], "Write registry failed");
  EXPECT_EQ(StoredMouseBytes("DoubleClickSpeed"), std::string("1200\0", 5));
}

TEST_F(PanelSettings, APortOutsideTheListLeavesTheStoredPortAsItIs) {
  for (const DWORD port : {0u, 5u, kAllBits}) {
    SetParameter("Port", 7);
    panel_.Port = port;
    panel_.SavePanelSettings();
    EXPECT_EQ(StoredParameter("Port"), 7u) << port;
  }
  DeleteParameter("Port");
  panel_.Port = 0;
  panel_.SavePanelSettings();
  EXPECT_FALSE(StoredParameter("Port").has_value()) << "absent stays absent: the driver's COM1";
  panel_.Port = 3;
  panel_.SavePanelSettings();
  EXPECT_EQ(StoredParameter("Port"), 3u);
}

}  // namespace
}  // namespace qvtouch::cpl
