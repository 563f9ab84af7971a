// The region editor's widget on the built city list: switches, search, the
// check-all button and the settling pause, driven through the real widgets,
// with the preference document read back from disk.
#include "hushgate-gui/qt/zone_screen.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "hushgate-gui/core/screens/ZoneVC.h"
#include "hushgate-gui/qt/qt_text.h"
#include "hushgate-gui/qt/switch_button.h"
#include "hushgate-gui/qt/zone_table.h"
#include "support/qt_gui_test.h"

// Readable failures for lists of keys.
namespace QTest {
template <>
char* toString(const std::vector<std::string>& list) {
  std::string text = "[";
  for (const std::string& item : list) text += (text.size() > 1 ? ", " : "") + item;
  return qstrdup((text + "]").c_str());
}
}  // namespace QTest

namespace {

using gui_qt::SwitchButton;
using gui_qt::ZoneScreen;
using nlohmann::json;
using Strings = std::vector<std::string>;

constexpr char kPreferenceUpdated[] = "com.tevrin.hushgate.preference-updated";

struct Keys {
  std::string groups, cities, flattened;
};
const Keys kLandline{"blocked-groups", "blocked-cities", "blocked-cities-flattened"};
const Keys kMobile{"mobile-blocked-groups", "mobile-blocked-cities",
                   "mobile-blocked-cities-flattened"};

// An opened region editor inside a session.
struct Editor {
  std::shared_ptr<gui::ZoneVC> model;
  ZoneScreen* screen = nullptr;
  QPushButton* checkAll = nullptr;

  SwitchButton* province(const std::string& group) const {
    return screen->findChild<SwitchButton*>(gui_qt::toQString("province." + group));
  }
  SwitchButton* city(const std::string& key) const {
    return screen->findChild<SwitchButton*>(gui_qt::toQString("city." + key));
  }
  QLineEdit* searchBar() const { return screen->findChild<QLineEdit*>("searchBar"); }
  bool settled() const { return screen->table()->interactionEnabled(); }

  const gui::CityGroup& group(const std::string& key) const {
    const auto& groups = model->cityGroups();
    const auto found = std::find_if(groups.begin(), groups.end(),
                                    [&](const gui::CityGroup& g) { return g.group == key; });
    if (found == groups.end()) qFatal("no group %s in the city list", key.c_str());
    return *found;
  }
  // Names of the switches with this prefix that are shown, in table order.
  QStringList shownSwitches(const QString& prefix) const {
    QStringList names;
    const auto all = screen->findChildren<SwitchButton*>(
        QRegularExpression("^" + QRegularExpression::escape(prefix)));
    for (SwitchButton* toggle : all) {
      if (toggle->isVisibleTo(screen)) names << toggle->objectName().mid(prefix.size());
    }
    return names;
  }
  size_t cityCount() const {
    size_t count = 0;
    for (const auto& group : model->cityGroups()) count += group.allCityKeys.size();
    return count;
  }
};

Editor open(qt_testing::GuiSession& session, bool forMobile) {
  Editor editor;
  editor.model = std::make_shared<gui::ZoneVC>();
  editor.model->forMobile = forMobile;
  editor.screen = qobject_cast<ZoneScreen*>(session.push(editor.model));
  if (editor.screen == nullptr) qFatal("the region editor has no ZoneScreen");
  editor.checkAll = session.window().findChild<QPushButton*>("checkAllButton");
  return editor;
}

json document(const qt_testing::GuiSession& session) {
  const std::string text = session.mainDocumentOnDisk();
  return text.empty() ? json() : json::parse(text);
}

// doc[a][b]... or null when a step is missing.
json at(const json& doc, std::initializer_list<std::string> path) {
  const json* node = &doc;
  for (const std::string& key : path) {
    if (!node->is_object() || !node->contains(key)) return json();
    node = &node->at(key);
  }
  return *node;
}

Strings strings(const json& list) {
  return list.is_array() ? list.get<Strings>() : Strings{};
}

void click(QWidget* widget) {
  QVERIFY(widget != nullptr);
  QTest::mouseClick(widget, Qt::LeftButton);
}

bool allCitySwitchesEnabled(const Editor& editor, const gui::CityGroup& group, bool enabled) {
  return std::all_of(group.allCityKeys.begin(), group.allCityKeys.end(),
                     [&](const auto& key) { return editor.city(key)->isEnabled() == enabled; });
}

}  // namespace

class ZoneScreenTest : public QObject {
  Q_OBJECT

 private slots:
  void theBuiltCityListIsShown();
  void blockAndUnblock_data();
  void blockAndUnblock();
  void searchNarrowsTheTable();
  void groupSwitchWhileFiltered();
  void checkAllThenUncheckAll();
  void reloadKeepsTheRows();
};

void ZoneScreenTest::theBuiltCityListIsShown() {
  qt_testing::GuiSession session;
  const Editor editor = open(session, false);
  QCOMPARE(editor.screen->objectName(), QString("sb.zones"));
  QVERIFY(editor.model->cityGroups().size() > 20);
  QVERIFY(editor.checkAll != nullptr);
  QCOMPARE(editor.checkAll->text(), qt_testing::localized("check-all"));
  QVERIFY(editor.checkAll->isEnabled());
  QCOMPARE(editor.searchBar()->placeholderText(), qt_testing::localized("zone-search-placeholder"));

  // One section per group, one switch per city, everything off.
  QCOMPARE(size_t(editor.shownSwitches("province.").size()), editor.model->cityGroups().size());
  QCOMPARE(size_t(editor.shownSwitches("city.").size()), editor.cityCount());
  auto* header = editor.screen->findChild<QLabel*>("header.hebei");
  QVERIFY(header != nullptr);
  QCOMPARE(header->text(), QString("河北"));
  QVERIFY(!editor.province("hebei")->isChecked());
  // A city row reads "<key> <name>"; the province row has its fixed caption.
  auto* cityLabel = editor.city("0311")->parentWidget()->findChild<QLabel*>();
  QCOMPARE(cityLabel->text(), QString("0311 石家庄"));
  auto* provinceLabel = editor.province("hebei")->parentWidget()->findChild<QLabel*>();
  QCOMPARE(provinceLabel->text(), qt_testing::localized("zone-province-row"));
  QVERIFY(provinceLabel->text() != "zone-province-row");
}

void ZoneScreenTest::blockAndUnblock_data() {
  QTest::addColumn<bool>("forMobile");
  QTest::newRow("landline") << false;
  QTest::newRow("mobile") << true;
}

void ZoneScreenTest::blockAndUnblock() {
  QFETCH(bool, forMobile);
  const Keys& keys = forMobile ? kMobile : kLandline;
  const Keys& others = forMobile ? kLandline : kMobile;
  qt_testing::GuiSession session;
  const qt_testing::NotificationCounter updates(kPreferenceUpdated);
  const Editor editor = open(session, forMobile);
  QCOMPARE(editor.screen->objectName(), QString(forMobile ? "sb.mobilezones" : "sb.zones"));
  const gui::CityGroup& hebei = editor.group("hebei");

  // The group: listed with all its cities; the table pauses, then greys the
  // group's city switches.
  click(editor.province("hebei"));
  json doc = document(session);
  QCOMPARE(strings(at(doc, {keys.groups})), Strings{"hebei"});
  QCOMPARE(strings(at(doc, {keys.flattened})), hebei.allCityKeys);
  QVERIFY(editor.province("hebei")->isChecked());
  QVERIFY(!editor.settled());
  QVERIFY(!editor.checkAll->isEnabled());
  // Input during the pause is ignored.
  click(editor.province("shanxi"));
  QVERIFY(!editor.province("shanxi")->isChecked());
  QCOMPARE(strings(at(document(session), {keys.groups})), Strings{"hebei"});
  QVERIFY(updates.waitFor(1));
  QTRY_VERIFY(editor.settled());
  QVERIFY(editor.checkAll->isEnabled());
  QVERIFY(allCitySwitchesEnabled(editor, hebei, false));
  QVERIFY(allCitySwitchesEnabled(editor, editor.group("guangdong"), true));
  // After the pause the table takes input again.
  click(editor.province("shanxi"));
  QVERIFY(editor.province("shanxi")->isChecked());
  QCOMPARE(strings(at(document(session), {keys.groups})), (Strings{"hebei", "shanxi"}));
  QTRY_VERIFY(editor.settled());
  click(editor.province("shanxi"));
  QTRY_VERIFY(editor.settled());

  // A city of another group is blocked singly.
  click(editor.city("0755"));
  doc = document(session);
  QVERIFY(editor.city("0755")->isChecked());
  QCOMPARE(strings(at(doc, {keys.cities, "guangdong"})), Strings{"0755"});
  Strings expected = hebei.allCityKeys;
  expected.push_back("0755");
  QCOMPARE(strings(at(doc, {keys.flattened})), expected);
  QVERIFY(editor.settled());  // a city switch does not pause the table

  // Unblocking the group keeps the single city.
  click(editor.province("hebei"));
  QCOMPARE(strings(at(document(session), {keys.flattened})), Strings{"0755"});
  QTRY_VERIFY(editor.settled());
  QVERIFY(allCitySwitchesEnabled(editor, hebei, true));
  click(editor.city("0755"));
  doc = document(session);
  QVERIFY(!editor.city("0755")->isChecked());
  QVERIFY(at(doc, {keys.cities, "guangdong"}).is_array());
  QVERIFY(strings(at(doc, {keys.cities, "guangdong"})).empty());
  QVERIFY(strings(at(doc, {keys.flattened})).empty());
  QVERIFY(strings(at(doc, {keys.groups})).empty());

  // The other rule set is never touched.
  for (const std::string& key : {others.groups, others.cities, others.flattened}) {
    QVERIFY2(!doc.contains(key), key.c_str());
  }
  QVERIFY(updates.count() >= 1);
}

void ZoneScreenTest::searchNarrowsTheTable() {
  qt_testing::GuiSession session;
  const Editor editor = open(session, false);
  QLineEdit* search = editor.searchBar();
  const QStringList allGroups = editor.shownSwitches("province.");
  const QStringList allCities = editor.shownSwitches("city.");

  struct Case {
    QString text;
    QStringList groups;
    QStringList cities;  // empty: every city of the groups
  };
  const std::vector<Case> cases = {
      {"深圳", {"guangdong"}, {"0755"}},
      {"0431", {"jilin"}, {"0431"}},
      {"河北", {"hebei"}, {}},
  };
  for (const Case& c : cases) {
    qt_testing::typeText(search, c.text);
    QCOMPARE(search->text(), c.text);
    QCOMPARE(editor.shownSwitches("province."), c.groups);
    QStringList cities = c.cities;
    if (cities.isEmpty()) {
      for (const auto& key : editor.group(gui_qt::toStdString(c.groups[0])).allCityKeys) {
        cities << gui_qt::toQString(key);
      }
    }
    QCOMPARE(editor.shownSwitches("city."), cities);
    QVERIFY(!editor.checkAll->isEnabled());
    // Clearing the text brings back every section and row.
    qt_testing::pressBackspace(search, int(c.text.size()));
    QVERIFY(search->text().isEmpty());
    QCOMPARE(editor.shownSwitches("province."), allGroups);
    QCOMPARE(editor.shownSwitches("city."), allCities);
    QVERIFY(editor.checkAll->isEnabled());
  }

  // Spaces alone filter nothing; a text nothing contains hides everything.
  qt_testing::typeText(search, "  ");
  QCOMPARE(editor.shownSwitches("city."), allCities);
  QVERIFY(editor.checkAll->isEnabled());
  qt_testing::pressBackspace(search, 2);
  qt_testing::typeText(search, "不存在的城市");
  QVERIFY(editor.shownSwitches("province.").isEmpty());
  QVERIFY(editor.shownSwitches("city.").isEmpty());
  search->clear();
  QCOMPARE(editor.shownSwitches("city."), allCities);

  // Return gives up the focus.
  session.window().activateWindow();
  search->setFocus();
  QTRY_VERIFY(search->hasFocus());
  QTest::keyClick(search, Qt::Key_Return);
  QVERIFY(!search->hasFocus());
}

void ZoneScreenTest::groupSwitchWhileFiltered() {
  qt_testing::GuiSession session;
  const Editor editor = open(session, false);
  qt_testing::typeText(editor.searchBar(), "深圳");
  click(editor.province("guangdong"));
  const json doc = document(session);
  QCOMPARE(strings(at(doc, {"blocked-groups"})), Strings{"guangdong"});
  // The whole group is blocked, not only the shown city.
  QCOMPARE(strings(at(doc, {"blocked-cities-flattened"})), editor.group("guangdong").allCityKeys);
  QTRY_VERIFY(editor.settled());
  // The reload keeps the filter, greys the shown city and leaves check-all
  // off while the search is active.
  QCOMPARE(editor.shownSwitches("city."), QStringList{"0755"});
  QVERIFY(!editor.city("0755")->isEnabled());
  QVERIFY(!editor.checkAll->isEnabled());
  editor.searchBar()->clear();
  QVERIFY(editor.checkAll->isEnabled());
}

void ZoneScreenTest::checkAllThenUncheckAll() {
  qt_testing::GuiSession session;
  const Editor editor = open(session, false);
  click(editor.city("0755"));
  click(editor.province("hebei"));
  QTRY_VERIFY(editor.settled());
  QCOMPARE(editor.checkAll->text(), qt_testing::localized("check-all"));

  Strings groupKeys;
  std::set<std::string> cityKeys;
  for (const auto& group : editor.model->cityGroups()) {
    groupKeys.push_back(group.group);
    cityKeys.insert(group.allCityKeys.begin(), group.allCityKeys.end());
  }

  // More than one province changes: a question first; cancel changes nothing.
  const json before = document(session);
  click(editor.checkAll);
  gui_qt::AlertDialog* question = qt_testing::waitForAlert();
  QVERIFY(question != nullptr);
  QVERIFY(qt_testing::pressAlertButton(question, "取消"));
  QVERIFY(document(session) == before);
  click(editor.checkAll);
  question = qt_testing::waitForAlert();
  QVERIFY(question != nullptr);
  QVERIFY(qt_testing::pressAlertButton(question, "确定"));
  json doc = document(session);
  Strings groups = strings(at(doc, {"blocked-groups"}));
  // hebei stays first; the others follow in table order, none twice.
  QCOMPARE(groups.front(), std::string("hebei"));
  QCOMPARE(std::set<std::string>(groups.begin(), groups.end()),
           std::set<std::string>(groupKeys.begin(), groupKeys.end()));
  QCOMPARE(groups.size(), groupKeys.size());
  const Strings flattened = strings(at(doc, {"blocked-cities-flattened"}));
  QCOMPARE(flattened.size(), cityKeys.size());
  QCOMPARE(std::set<std::string>(flattened.begin(), flattened.end()), cityKeys);
  QCOMPARE(editor.checkAll->text(), qt_testing::localized("uncheck-all"));
  QVERIFY(!editor.checkAll->isEnabled());
  QVERIFY(!editor.settled());
  // Every province switch is on at once, before the reload.
  for (const auto& key : groupKeys) QVERIFY2(editor.province(key)->isChecked(), key.c_str());
  QTRY_VERIFY(editor.settled());
  QVERIFY(editor.checkAll->isEnabled());
  QVERIFY(!editor.city("0755")->isEnabled());
  QVERIFY(editor.city("0755")->isChecked());

  click(editor.checkAll);
  question = qt_testing::waitForAlert();
  QVERIFY(question != nullptr);
  QVERIFY(qt_testing::pressAlertButton(question, "确定"));
  doc = document(session);
  QVERIFY(strings(at(doc, {"blocked-groups"})).empty());
  QCOMPARE(strings(at(doc, {"blocked-cities-flattened"})), Strings{"0755"});
  QCOMPARE(strings(at(doc, {"blocked-cities", "guangdong"})), Strings{"0755"});
  QCOMPARE(editor.checkAll->text(), qt_testing::localized("check-all"));
  for (const auto& key : groupKeys) QVERIFY2(!editor.province(key)->isChecked(), key.c_str());
  QTRY_VERIFY(editor.settled());
  QVERIFY(editor.city("0755")->isEnabled());
  QVERIFY(editor.city("0755")->isChecked());
  QVERIFY(allCitySwitchesEnabled(editor, editor.group("hebei"), true));
}

void ZoneScreenTest::reloadKeepsTheRows() {
  qt_testing::GuiSession session;
  QElapsedTimer timer;
  timer.start();
  const Editor editor = open(session, false);
  const qint64 firstBuild = timer.elapsed();
  QCOMPARE(editor.screen->table()->rebuildCount(), 1);
  const QPointer<SwitchButton> shenzhen = editor.city("0755");

  timer.restart();
  qt_testing::typeText(editor.searchBar(), "0");  // every city: nothing hidden
  const qint64 sameShape = timer.elapsed();
  timer.restart();
  qt_testing::typeText(editor.searchBar(), "755");  // "0755" narrows to one city
  const qint64 narrowing = timer.elapsed();
  timer.restart();
  editor.searchBar()->clear();
  const qint64 widening = timer.elapsed();
  qInfo(
      "region table: first build %lld ms, reload same shape %lld ms, narrow %lld ms (3 "
      "reloads), widen %lld ms",
      firstBuild, sameShape, narrowing, widening);

  QCOMPARE(editor.shownSwitches("city.").size(), qsizetype(editor.cityCount()));
  QCOMPARE(editor.screen->table()->rebuildCount(), 1);
  QVERIFY(!shenzhen.isNull());
  QCOMPARE(editor.city("0755"), shenzhen.data());
  // A reused row still acts on its own city.
  click(shenzhen);
  QCOMPARE(strings(at(document(session), {"blocked-cities", "guangdong"})), Strings{"0755"});
}

HUSHGATE_QT_TEST_MAIN(ZoneScreenTest)
#include "zone_screen_test.moc"
