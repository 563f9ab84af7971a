// What the front end shows beside the screens' own logic: the main screen's
// static table (sections, rows with their cell identifiers, captions and the
// label or switch each row carries), the navigation title of every scene and
// the captions of the bar buttons. The front end lays these out; it decides
// no text itself.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hushgate-gui/core/screens/RootVC.h"

namespace gui {

// A row of the main screen. Tapping it calls RootVC::didSelectRow with its
// cell identifier; rows with a switch are not tapped.
struct RootRow {
  std::string cellIdentifier;
  std::string captionKey;                // localisation key
  std::optional<RootVC::Label> label;    // the value shown at the right
  std::optional<RootVC::Switch> toggle;  // the switch at the right
  bool opensScreen = false;              // shows a disclosure mark
};

struct RootSection {
  std::string titleKey;  // localisation key of the section header
  std::vector<RootRow> rows;
};

// The main screen's table, top to bottom.
const std::vector<RootSection>& rootSections();

// The localised navigation title of a scene ("sb.root", "sb.zones", ...); the
// identifier itself for an unknown scene.
std::string sceneTitle(std::string_view sceneIdentifier);

// Bar button and control captions, localised.
std::string backButtonTitle();
std::string addButtonTitle();
std::string trashButtonTitle();
std::string exitButtonTitle();
std::string zoneSearchPlaceholder();
// The fixed caption of a region table's province row (the row that blocks
// the whole group).
std::string zoneProvinceRowTitle();
std::string rowActionsButtonTitle();

}  // namespace gui
