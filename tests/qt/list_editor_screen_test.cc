// The list editors' widget (blacklist, ignored prefixes, keywords) driven
// through the real bar buttons, row actions and dialogs, with the preference
// document read back from disk.
#include "hushgate-gui/qt/list_editor_screen.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "hushgate-gui/core/screens/ListEditorVC.h"
#include "hushgate-gui/qt/qt_text.h"
#include "hushgate-gui/qt/table_rows.h"
#include "row_table_driver.h"
#include "statics/Preference.h"
#include "support/qt_gui_test.h"

// QCOMPARE for JSON values, with both shown on failure.
#define COMPARE_JSON(actual, expected)                                      \
  do {                                                                      \
    const nlohmann::json actualValue = (actual);                            \
    const nlohmann::json expectedValue = (expected);                        \
    QVERIFY2(actualValue == expectedValue,                                  \
             (actualValue.dump() + " != " + expectedValue.dump()).c_str()); \
  } while (false)

namespace {

using gui_qt::toQString;
using nlohmann::json;
using qt_testing::localized;

constexpr char kPreferenceUpdated[] = "com.tevrin.hushgate.preference-updated";

// A list editor opened in a session, with its bar buttons.
struct Editor {
  std::shared_ptr<gui::ListEditorVC> model;
  gui_qt::ListEditorScreen* screen = nullptr;
  gui_qt::RowTable* table = nullptr;
  QPushButton* addButton = nullptr;
  QPushButton* trashButton = nullptr;

  std::string key() const { return model->family().prefKey; }
};

std::shared_ptr<gui::ListEditorVC> makeModel(const QString& scene) {
  if (scene == "sb.blacklist") return std::make_shared<gui::BlacklistVC>();
  if (scene == "sb.allowlist") return std::make_shared<gui::AllowlistVC>();
  if (scene == "sb.ignored-prefix") return std::make_shared<gui::IgnoredPrefixVC>();
  if (scene == "sb.blackkeywords") return std::make_shared<gui::KeywordsVC>();
  qFatal("no list editor %s", qPrintable(scene));
}

// Sets the list in the store and on disk (without announcing it), then
// opens its editor.
Editor open(qt_testing::GuiSession& session, const QString& scene, const json& list) {
  Editor editor;
  editor.model = makeModel(scene);
  Json& pref = Preference::sharedInstance().pref();
  if (list.is_null()) {
    pref.erase(editor.key());
  } else {
    pref[editor.key()] = list;
  }
  Preference::sharedInstance().saveOnly();
  editor.screen = qobject_cast<gui_qt::ListEditorScreen*>(session.push(editor.model));
  if (editor.screen == nullptr) qFatal("%s has no ListEditorScreen", qPrintable(scene));
  editor.table = editor.screen->findChild<gui_qt::RowTable*>("table");
  editor.addButton = session.window().findChild<QPushButton*>("addButton");
  editor.trashButton = session.window().findChild<QPushButton*>("trashButton");
  if (!editor.table || !editor.addButton || !editor.trashButton) qFatal("controls missing");
  return editor;
}

json document(const qt_testing::GuiSession& session) {
  const std::string text = session.mainDocumentOnDisk();
  return text.empty() ? json() : json::parse(text);
}

json listOnDisk(const qt_testing::GuiSession& session, const Editor& editor) {
  const json doc = document(session);
  return doc.is_object() && doc.contains(editor.key()) ? doc[editor.key()] : json();
}

json entry(const std::string& shown, const std::string& expression, const std::string& comment) {
  return json::array({shown, expression, comment});
}

// Two entries of the list edited by scene.
json twoEntries(const QString& scene) {
  if (scene == "sb.blacklist" || scene == "sb.allowlist") {
    return json::array({entry("138*", "^138\\d*$", "推销"), entry("0755?", "^0755\\d$", "")});
  }
  if (scene == "sb.ignored-prefix") {
    return json::array(
        {entry("12583?", "^12583\\d\\d+", "和多号"), entry("17951", "^17951\\d+", "")});
  }
  return json::array({"响一声", "房产 中介"});
}

QString shownText(const json& item) {
  return toQString(item.is_array() ? item[0].get<std::string>() : item.get<std::string>());
}

void click(QWidget* widget) {
  QTest::mouseClick(widget, Qt::LeftButton);
}

}  // namespace

class ListEditorScreenTest : public QObject {
  Q_OBJECT

 private slots:
  void addsThroughTheDialog_data();
  void addsThroughTheDialog();
  void refusedInputSavesNothing_data();
  void refusedInputSavesNothing();
  void commentIsEditedThroughTheRowAction_data();
  void commentIsEditedThroughTheRowAction();
  void rowsAreDeletedThroughTheirActions_data();
  void rowsAreDeletedThroughTheirActions();
  void clearAllAsksFirst_data();
  void clearAllAsksFirst();
};

void ListEditorScreenTest::addsThroughTheDialog_data() {
  QTest::addColumn<QString>("scene");
  QTest::addColumn<QString>("titleKey");
  QTest::addColumn<QString>("refused");  // characters the first field must not take
  QTest::addColumn<QString>("typed");
  QTest::addColumn<bool>("okAfterFirstCharacter");
  QTest::addColumn<QString>("comment");
  QTest::addColumn<QString>("stored");  // the entry as JSON

  QTest::newRow("blacklist") << "sb.blacklist"
                             << "add-blacklist"
                             << "a号#+"
                             << "1 3 8-0000*" << true << " 快递 外卖\t"
                             << R"(["1380000*","^1380000\\d*$","快递 外卖"])";
  QTest::newRow("blacklist, question marks") << "sb.blacklist"
                                             << "add-blacklist"
                                             << "x"
                                             << "0755-8888 ??" << true << ""
                                             << R"(["07558888??","^07558888\\d\\d$",""])";
  QTest::newRow("allow-list") << "sb.allowlist"
                              << "add-allowlist"
                              << "a号#+"
                              << "0755-8888 ??" << true << "快递站"
                              << R"(["07558888??","^07558888\\d\\d$","快递站"])";
  QTest::newRow("prefix") << "sb.ignored-prefix"
                          << "add-prefix-title"
                          << "*-a"
                          << "1 2 5" << true << "和多号"
                          << R"(["125","^125\\d+","和多号"])";
  QTest::newRow("keyword") << "sb.blackkeywords"
                           << "add-keyword-title"
                           << ""
                           << " 快递  外卖 " << false << ""
                           << R"("快递  外卖")";
}

// Typing goes through the field's filter key by key, "ok" follows the text,
// and the entry lands in the document on disk and is announced.
void ListEditorScreenTest::addsThroughTheDialog() {
  QFETCH(QString, scene);
  QFETCH(QString, titleKey);
  QFETCH(QString, refused);
  QFETCH(QString, typed);
  QFETCH(bool, okAfterFirstCharacter);
  QFETCH(QString, comment);
  QFETCH(QString, stored);
  qt_testing::GuiSession session;
  const Editor editor = open(session, scene, json());
  QCOMPARE(editor.screen->objectName(), scene);
  QCOMPARE(editor.addButton->text(), localized("add"));
  QCOMPARE(editor.trashButton->text(), localized("trash"));
  QVERIFY(!editor.trashButton->isEnabled());
  QCOMPARE(qt_testing::rowCount(editor.table), 0);
  const qt_testing::NotificationCounter updates(kPreferenceUpdated);

  click(editor.addButton);
  gui_qt::AlertDialog* dialog = qt_testing::waitForAlert();
  QVERIFY(dialog != nullptr);
  QCOMPARE(dialog->alert().title.value_or(""), gui::localizedString(titleKey.toStdString()));
  const bool hasComment = editor.model->family().hasComments();
  QCOMPARE(dialog->fields().size(), hasComment ? size_t(2) : size_t(1));
  QLineEdit* field = dialog->fields()[0];
  QPushButton* ok = dialog->button(localized("ok"));
  QVERIFY(ok != nullptr);
  QVERIFY(!ok->isEnabled());

  qt_testing::typeText(field, refused);
  QCOMPARE(field->text(), QString());
  QVERIFY(!ok->isEnabled());
  qt_testing::typeText(field, typed.left(1));
  QCOMPARE(ok->isEnabled(), okAfterFirstCharacter);
  qt_testing::typeText(field, typed.mid(1));
  QCOMPARE(field->text(), typed);
  QVERIFY(ok->isEnabled());
  // A refused key leaves the text and "ok" as they were.
  qt_testing::typeText(field, refused);
  QCOMPARE(field->text(), typed);
  QVERIFY(ok->isEnabled());
  if (hasComment) qt_testing::typeText(dialog->fields()[1], comment);

  QVERIFY(qt_testing::pressAlertButton(dialog, localized("ok")));
  QVERIFY(updates.waitFor(1));
  const json expected = json::parse(stored.toStdString());
  COMPARE_JSON(listOnDisk(session, editor), json::array({expected}));
  QCOMPARE(qt_testing::rowCount(editor.table), 1);
  QCOMPARE(qt_testing::rowText(editor.table, 0), shownText(expected));
  QCOMPARE(
      qt_testing::rowDetails(editor.table, 0),
      expected.is_array() ? QStringList{toQString(expected[2].get<std::string>())} : QStringList());
  QVERIFY(editor.trashButton->isEnabled());
  QVERIFY(qt_testing::drainMainQueue());
  QVERIFY(qt_testing::waitForAlert(0) == nullptr);
}

void ListEditorScreenTest::refusedInputSavesNothing_data() {
  QTest::addColumn<QString>("scene");
  QTest::addColumn<QString>("existing");  // the list before, as JSON
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("alertKey");  // "" for none

  const QString blacklist = R"([["138*","^138\\d*$","旧备注"]])";
  QTest::newRow("three stars") << "sb.blacklist" << blacklist << "1***"
                               << "format-not-supported";
  QTest::newRow("star and two marks") << "sb.blacklist" << blacklist << "1*??2"
                                      << "format-not-supported";
  QTest::newRow("duplicate pattern") << "sb.blacklist" << blacklist << "13 8**"
                                     << "duplicated-entry";
  QTest::newRow("blanks and a hyphen") << "sb.blacklist" << blacklist << " - "
                                       << "";
  QTest::newRow("duplicate prefix") << "sb.ignored-prefix"
                                    << R"([["12583?","^12583\\d\\d+","和多号"]])"
                                    << "1258 3?"
                                    << "duplicated-entry";
  QTest::newRow("duplicate keyword") << "sb.blackkeywords"
                                     << R"(["推销"])"
                                     << " 推销 "
                                     << "duplicated-entry";
}

// A refusal shows its alert (or nothing) and leaves the list and the file
// as they were, unannounced.
void ListEditorScreenTest::refusedInputSavesNothing() {
  QFETCH(QString, scene);
  QFETCH(QString, existing);
  QFETCH(QString, typed);
  QFETCH(QString, alertKey);
  qt_testing::GuiSession session;
  const json before = json::parse(existing.toStdString());
  const Editor editor = open(session, scene, before);
  const std::string fileBefore = session.mainDocumentOnDisk();
  const qt_testing::NotificationCounter updates(kPreferenceUpdated);

  click(editor.addButton);
  gui_qt::AlertDialog* dialog = qt_testing::waitForAlert();
  QVERIFY(dialog != nullptr);
  qt_testing::typeText(dialog->fields()[0], typed);
  QCOMPARE(dialog->fields()[0]->text(), typed);
  QVERIFY(qt_testing::pressAlertButton(dialog, localized("ok")));

  if (alertKey.isEmpty()) {
    QVERIFY(qt_testing::drainMainQueue());
    QVERIFY(qt_testing::waitForAlert(0) == nullptr);
  } else {
    gui_qt::AlertDialog* refusal = qt_testing::waitForAlert();
    QVERIFY(refusal != nullptr && refusal != dialog);
    QCOMPARE(refusal->alert().title.value_or(""), gui::localizedString(alertKey.toStdString()));
    QVERIFY(!refusal->alert().message.has_value());
    QVERIFY(refusal->fields().empty());
    QCOMPARE(refusal->buttons().size(), size_t(1));
    QVERIFY(qt_testing::pressAlertButton(refusal, "确定"));
  }
  QVERIFY(qt_testing::deliverEarlierPosts());
  QCOMPARE(updates.count(), 0);
  QCOMPARE(session.mainDocumentOnDisk(), fileBefore);
  COMPARE_JSON(listOnDisk(session, editor), before);
  QCOMPARE(qt_testing::rowCount(editor.table), static_cast<int>(before.size()));
}

void ListEditorScreenTest::commentIsEditedThroughTheRowAction_data() {
  QTest::addColumn<QString>("scene");
  QTest::newRow("blacklist") << "sb.blacklist";
  QTest::newRow("allow-list") << "sb.allowlist";
  QTest::newRow("prefix") << "sb.ignored-prefix";
}

// "comment" opens the comment dialog filled with the old one; "ok" writes
// the trimmed text without announcing it (no rule changed).
void ListEditorScreenTest::commentIsEditedThroughTheRowAction() {
  QFETCH(QString, scene);
  qt_testing::GuiSession session;
  const json list = twoEntries(scene);
  const Editor editor = open(session, scene, list);
  QCOMPARE(qt_testing::rowCount(editor.table), 2);
  QCOMPARE(qt_testing::rowText(editor.table, 0), shownText(list[0]));
  QCOMPARE(qt_testing::rowDetails(editor.table, 0),
           QStringList{toQString(list[0][2].get<std::string>())});
  const qt_testing::NotificationCounter updates(kPreferenceUpdated);

  gui_qt::RowActionsPopup* popup = qt_testing::clickActionsButton(editor.table, 0);
  QVERIFY(popup != nullptr);
  QCOMPARE(qt_testing::buttonTitles(popup),
           (QStringList{localized("comment"), localized("delete")}));
  QVERIFY(!qt_testing::drawnInRed(popup->button(localized("comment"))));
  QVERIFY(qt_testing::drawnInRed(popup->button(localized("delete"))));
  QVERIFY(qt_testing::pressPopupButton(popup, localized("comment")));
  QVERIFY(editor.table->actionsPopup() == nullptr);

  gui_qt::AlertDialog* dialog = qt_testing::waitForAlert();
  QVERIFY(dialog != nullptr);
  QCOMPARE(dialog->alert().title.value_or(""), gui::localizedString("edit-comment"));
  QCOMPARE(dialog->fields().size(), size_t(1));
  QLineEdit* field = dialog->fields()[0];
  const QString old = toQString(list[0][2].get<std::string>());
  QCOMPARE(field->text(), old);
  field->end(false);
  qt_testing::pressBackspace(field, static_cast<int>(old.size()));
  QCOMPARE(field->text(), QString());
  qt_testing::typeText(field, "  周末别打 ");
  QVERIFY(qt_testing::pressAlertButton(dialog, localized("ok")));

  json expected = list;
  expected[0][2] = "周末别打";
  COMPARE_JSON(listOnDisk(session, editor), expected);
  QCOMPARE(qt_testing::rowDetails(editor.table, 0), QStringList{"周末别打"});
  QCOMPARE(qt_testing::rowText(editor.table, 0), shownText(list[0]));
  QVERIFY(qt_testing::deliverEarlierPosts());
  QCOMPARE(updates.count(), 0);

  // Cancelling the dialog keeps the comment.
  popup = qt_testing::rightClickRow(editor.table, 1);
  QVERIFY(qt_testing::pressPopupButton(popup, localized("comment")));
  dialog = qt_testing::waitForAlert();
  QVERIFY(dialog != nullptr);
  qt_testing::typeText(dialog->fields()[0], "不要");
  QVERIFY(qt_testing::pressAlertButton(dialog, localized("cancel")));
  COMPARE_JSON(listOnDisk(session, editor), expected);
}

void ListEditorScreenTest::rowsAreDeletedThroughTheirActions_data() {
  QTest::addColumn<QString>("scene");
  QTest::newRow("blacklist") << "sb.blacklist";
  QTest::newRow("prefix") << "sb.ignored-prefix";
  QTest::newRow("keyword") << "sb.blackkeywords";
}

// "delete" from the context menu, then the Delete key: each removes
// its entry, saves and announces; the last one disables the clear button.
void ListEditorScreenTest::rowsAreDeletedThroughTheirActions() {
  QFETCH(QString, scene);
  qt_testing::GuiSession session;
  const json list = twoEntries(scene);
  const Editor editor = open(session, scene, list);
  QVERIFY(editor.trashButton->isEnabled());
  const qt_testing::NotificationCounter updates(kPreferenceUpdated);

  gui_qt::RowActionsPopup* popup = qt_testing::rightClickRow(editor.table, 0);
  QVERIFY(popup != nullptr);
  const QStringList titles = editor.model->family().hasComments()
                                 ? QStringList{localized("comment"), localized("delete")}
                                 : QStringList{localized("delete")};
  QCOMPARE(qt_testing::buttonTitles(popup), titles);
  QVERIFY(qt_testing::drawnInRed(popup->button(localized("delete"))));
  QVERIFY(qt_testing::pressPopupButton(popup, localized("delete")));
  QVERIFY(updates.waitFor(1));
  COMPARE_JSON(listOnDisk(session, editor), json::array({list[1]}));
  QCOMPARE(qt_testing::rowCount(editor.table), 1);
  QCOMPARE(qt_testing::rowText(editor.table, 0), shownText(list[1]));
  QVERIFY(editor.trashButton->isEnabled());

  // The Delete key on the current row deletes it without the popup.
  editor.table->setCurrentIndex(editor.table->model()->index(0, 0));
  QTest::keyClick(editor.table, Qt::Key_Delete);
  QVERIFY(editor.table->actionsPopup() == nullptr);
  QVERIFY(updates.waitFor(2));
  COMPARE_JSON(listOnDisk(session, editor), json::array());
  QCOMPARE(qt_testing::rowCount(editor.table), 0);
  QVERIFY(!editor.trashButton->isEnabled());
  // No row is left to act on.
  QVERIFY(qt_testing::clickActionsButton(editor.table, 0) == nullptr);
}

void ListEditorScreenTest::clearAllAsksFirst_data() {
  QTest::addColumn<QString>("scene");
  QTest::addColumn<QString>("promptKey");
  QTest::newRow("blacklist") << "sb.blacklist"
                             << "del-all-blacklist-prompt";
  QTest::newRow("allow-list") << "sb.allowlist"
                              << "del-all-allowlist-prompt";
  QTest::newRow("prefix") << "sb.ignored-prefix"
                          << "del-all-prefixes-prompt";
  QTest::newRow("keyword") << "sb.blackkeywords"
                           << "del-all-keywords-prompt";
}

// The clear button asks ("取消" first, then a red "确定"); cancelling keeps
// everything, confirming empties the list, saves and announces.
void ListEditorScreenTest::clearAllAsksFirst() {
  QFETCH(QString, scene);
  QFETCH(QString, promptKey);
  qt_testing::GuiSession session;
  const json list = twoEntries(scene);
  const Editor editor = open(session, scene, list);
  const qt_testing::NotificationCounter updates(kPreferenceUpdated);
  QVERIFY(!editor.table->showsEmptyText());

  click(editor.trashButton);
  gui_qt::AlertDialog* dialog = qt_testing::waitForAlert();
  QVERIFY(dialog != nullptr);
  QCOMPARE(dialog->alert().title.value_or(""), gui::localizedString(promptKey.toStdString()));
  QVERIFY(!dialog->alert().message.has_value());
  QCOMPARE(dialog->buttons().size(), size_t(2));
  QCOMPARE(dialog->buttons()[0]->text(), QString("取消"));
  QCOMPARE(dialog->buttons()[1]->text(), QString("确定"));
  QVERIFY(!qt_testing::drawnInRed(dialog->buttons()[0]));
  QVERIFY(qt_testing::drawnInRed(dialog->buttons()[1]));
  QVERIFY(qt_testing::pressAlertButton(dialog, "取消"));
  QVERIFY(qt_testing::deliverEarlierPosts());
  QCOMPARE(updates.count(), 0);
  COMPARE_JSON(listOnDisk(session, editor), list);
  QCOMPARE(qt_testing::rowCount(editor.table), 2);
  QVERIFY(editor.trashButton->isEnabled());

  click(editor.trashButton);
  dialog = qt_testing::waitForAlert();
  QVERIFY(qt_testing::pressAlertButton(dialog, "确定"));
  QVERIFY(updates.waitFor(1));
  COMPARE_JSON(listOnDisk(session, editor), json::array());
  QCOMPARE(qt_testing::rowCount(editor.table), 0);
  QVERIFY(!editor.trashButton->isEnabled());
  // An empty list says what it is for instead of showing a blank table.
  QVERIFY(editor.table->showsEmptyText());
  QCOMPARE(editor.table->emptyText(), gui_qt::toQString(editor.model->emptyText()));
  QVERIFY(!editor.table->emptyText().isEmpty());
}

HUSHGATE_QT_TEST_MAIN(ListEditorScreenTest)
#include "list_editor_screen_test.moc"
