#include "gui/support/recording_presenter.h"

#include <algorithm>

#include "hushgate-gui/core/models/mobile_query.h"

namespace gui_testing {

namespace {

// The length in bytes of the UTF-8 sequence that starts with lead (1 for a
// byte that starts none, so that every text can be walked).
size_t sequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC2 && lead < 0xE0) return 2;
  return 1;
}

// The byte offset of the UTF-16 offset units in text, or npos when units is
// past the end or inside a surrogate pair.
size_t byteOffset(const std::string& text, size_t units) {
  size_t bytes = 0;
  size_t counted = 0;
  while (counted < units) {
    if (bytes >= text.size()) return std::string::npos;
    const size_t length = std::min(sequenceLength(text[bytes]), text.size() - bytes);
    counted += length == 4 ? 2 : 1;
    bytes += length;
  }
  return counted == units ? bytes : std::string::npos;
}

// The characters of a UTF-8 text, one string each.
std::vector<std::string> characters(const std::string& text) {
  std::vector<std::string> result;
  for (size_t i = 0; i < text.size();) {
    const size_t length = std::min(sequenceLength(text[i]), text.size() - i);
    result.push_back(text.substr(i, length));
    i += length;
  }
  return result;
}

}  // namespace

void RecordingPresenter::presentAlert(std::shared_ptr<gui::Alert> alert) {
  if (alert) alerts.push_back(std::move(alert));
}

void RecordingPresenter::showHud(const gui::Hud& shown) {
  hudEvents.push_back({HudCall::Show, shown});
  hud = shown;
}

void RecordingPresenter::updateHud(const gui::Hud& updated) {
  hudEvents.push_back({HudCall::Update, updated});
  hud = updated;
}

void RecordingPresenter::hideHud() {
  hudEvents.push_back({HudCall::Hide, gui::Hud{}});
  hud.reset();
}

void RecordingPresenter::pushScreen(std::shared_ptr<gui::Screen> screen) {
  pushedScreens.push_back(std::move(screen));
}

void RecordingPresenter::popScreen(bool animated) {
  pops.push_back(animated);
}

void RecordingPresenter::openApplication(const std::string& bundleIdentifier) {
  openedApplications.push_back(bundleIdentifier);
}

bool RecordingPresenter::canOpenURL(const std::string& url) {
  canOpenURLQueries.push_back(url);
  return openableURLs.count(url) != 0;
}

void RecordingPresenter::openURL(const std::string& url) {
  openedURLs.push_back(url);
}

void RecordingPresenter::chooseFile(FileChoice choice, const std::string& suggestedName,
                                    std::function<void(const std::string& path)> done) {
  fileChoices.emplace_back(choice, suggestedName);
  if (!chosenFile.empty() && done) done(chosenFile);
}

void RecordingPresenter::setPasteboardString(const std::string& text) {
  pasteboardStrings.push_back(text);
}

void RecordingPresenter::suspend() {
  ++suspendCount;
}

void RecordingPresenter::terminate() {
  ++terminateCount;
}

std::shared_ptr<gui::Alert> RecordingPresenter::openAlert() const {
  for (auto it = alerts.rbegin(); it != alerts.rend(); ++it) {
    if (closed_.count(it->get()) == 0) return *it;
  }
  return nullptr;
}

size_t RecordingPresenter::openAlertCount() const {
  return static_cast<size_t>(std::count_if(
      alerts.begin(), alerts.end(), [this](const auto& a) { return closed_.count(a.get()) == 0; }));
}

std::vector<std::string> RecordingPresenter::actionTitles(const gui::Alert& alert) {
  std::vector<std::string> titles;
  for (const auto& action : alert.actions) titles.push_back(action ? action->title : "");
  return titles;
}

bool RecordingPresenter::tap(const std::string& title) {
  const std::shared_ptr<gui::Alert> alert = openAlert();
  if (!alert) return false;
  for (const auto& action : alert->actions) {
    if (!action || action->title != title) continue;
    if (!action->enabled) return false;
    closed_.insert(alert.get());
    // The handler may present further alerts; keep it alive while it runs.
    const std::function<void()> handler = action->handler;
    if (handler) handler();
    return true;
  }
  return false;
}

bool RecordingPresenter::replaceText(size_t field, size_t location, size_t length,
                                     const std::string& replacement) {
  const std::shared_ptr<gui::Alert> alert = openAlert();
  if (!alert || field >= alert->textFields.size() || !alert->textFields[field]) return false;
  gui::AlertTextField& textField = *alert->textFields[field];
  const size_t begin = byteOffset(textField.text, location);
  if (begin == std::string::npos) return false;
  const size_t end = byteOffset(textField.text, location + length);
  if (end == std::string::npos) return false;
  if (textField.shouldChange &&
      !textField.shouldChange(textField.text, location, length, replacement)) {
    return false;
  }
  textField.text.replace(begin, end - begin, replacement);
  return true;
}

bool RecordingPresenter::type(size_t field, const std::string& text) {
  const std::shared_ptr<gui::Alert> alert = openAlert();
  if (!alert || field >= alert->textFields.size() || !alert->textFields[field]) return false;
  return replaceText(field, utf16Length(alert->textFields[field]->text), 0, text);
}

size_t RecordingPresenter::typeEachCharacter(size_t field, const std::string& text) {
  size_t accepted = 0;
  for (const std::string& c : characters(text)) {
    if (type(field, c)) ++accepted;
  }
  return accepted;
}

}  // namespace gui_testing
