#include "cpl/screen_pos.h"

#include <algorithm>
#include <array>

#include "common/screen_post.h"
#include "cpl/resource.h"

namespace {

using qvtouch::ui::ControlKind;

constexpr qvtouch::ui::ControlTemplate kControls[] = {
    {IDC_ON_PRIMARY, ControlKind::AutoRadioButton, "screen on primary", {31, 36, 82, 10}},
    {IDC_ON_SLAVE, ControlKind::AutoRadioButton, "screen on slave", {124, 36, 78, 10}},
    {IDC_SINGLE_MONITOR, ControlKind::AutoRadioButton, "Single Monitor  ", {31, 65, 89, 10}},
    {IDC_ON_LEFT, ControlKind::AutoRadioButton, "screen on left", {31, 102, 82, 10}},
    {IDC_ON_TOP, ControlKind::AutoRadioButton, "screen on top", {124, 102, 78, 10}},
    {IDC_ON_RIGHT, ControlKind::AutoRadioButton, "screen on right", {31, 113, 82, 10}},
    {IDC_ON_BOTTOM, ControlKind::AutoRadioButton, "screen on bottom", {124, 113, 78, 10}},
    {IDC_STATIC, ControlKind::GroupBox, "Double Monitor in Stretch", {20, 86, 192, 45}},
    {IDC_STATIC, ControlKind::GroupBox, "Double Monitor in Primary / Slave", {20, 22, 192, 31}},
    {IDC_STATIC, ControlKind::GroupBox, "", {20, 56, 192, 22}},
};

constexpr qvtouch::ui::DialogTemplate kTemplate{
    IDD_SCREEN_POS, "Screen Placement", {234, 150}, {"Microsoft Sans Serif", 10}, kControls};

struct Placement {
  int Button;
  DWORD Code;
};

constexpr std::array kPlacements{
    Placement{IDC_SINGLE_MONITOR, qvtouch::kScreenSingle},
    Placement{IDC_ON_PRIMARY, qvtouch::kScreenPrimary},
    Placement{IDC_ON_SLAVE, qvtouch::kScreenSecondary},
    Placement{IDC_ON_LEFT, qvtouch::kScreenStretchedLeft},
    Placement{IDC_ON_RIGHT, qvtouch::kScreenStretchedRight},
    Placement{IDC_ON_TOP, qvtouch::kScreenStretchedTop},
    Placement{IDC_ON_BOTTOM, qvtouch::kScreenStretchedBottom},
};

constexpr int kFirstButton = IDC_SINGLE_MONITOR;
constexpr int kLastButton = IDC_ON_BOTTOM;

}  // namespace

CScreenPos::CScreenPos() : CPropertyPage(kTemplate) {
  for (const Placement& placement : kPlacements) {
    MapCommand(BN_CLICKED, placement.Button, &CScreenPos::OnRadioClicked);
  }
}

BOOL CScreenPos::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  const auto* shown = std::find_if(kPlacements.begin(), kPlacements.end(),
                                   [this](const Placement& p) { return p.Code == m_placement; });
  CheckRadioButton(kFirstButton, kLastButton,
                   shown == kPlacements.end() ? IDC_SINGLE_MONITOR : shown->Button);
  return TRUE;
}

void CScreenPos::OnRadioClicked() {
  const int checked = GetCheckedRadioButton(kFirstButton, kLastButton);
  const auto* chosen = std::find_if(kPlacements.begin(), kPlacements.end(),
                                    [checked](const Placement& p) { return p.Button == checked; });
  m_placement =
      chosen == kPlacements.end() ? static_cast<DWORD>(qvtouch::kScreenSingle) : chosen->Code;
}
