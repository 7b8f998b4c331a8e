// The desktop program without a mouse: every control takes the focus, buttons press with
// Space, the menus have mnemonics and the commands their shortcuts; every control says
// what it does in a tooltip.

#include "i18n/language.h"
#include "presets/settings.h"
#include "presets/settings_folders.h"
#include "ui/controls/skin_button.h"
#include "ui/controls/skin_combo_box.h"
#include "ui/controls/slider.h"
#include "ui/controls/value_edit.h"
#include "ui/pages/page.h"
#include "ui/shell/device_session.h"
#include "ui/shell/main_window.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

namespace kv816 {
namespace {

// The program with its real pages, no link.
struct Program {
  QTemporaryDir dir;
  std::unique_ptr<DeviceSession> session;
  std::unique_ptr<MainWindow> window;

  explicit Program(LanguageIndex language) {
    setCurrentLanguage(language);
    const std::string path = dir.path().toStdString();
    session = std::make_unique<DeviceSession>(SettingsFolders{path, path, "kv816"});
    window = std::make_unique<MainWindow>(*session);
    window->initialise();
    for (int i = 0; i < 3; ++i)
      QApplication::processEvents();
  }
  ~Program() { window->closeWithoutAsking(); }
};

bool tabFocus(const QWidget* widget) {
  return (widget->focusPolicy() & Qt::TabFocus) != 0;
}

TEST(Keyboard, EveryControlOnEveryPageTakesTheFocus) {
  Program p(LanguageIndex::English);
  const QList<Page*> pages = p.window->findChildren<Page*>();
  ASSERT_FALSE(pages.isEmpty());
  for (const Page* page : pages) {
    SCOPED_TRACE(page->metaObject()->className());
    for (const SkinButton* button : page->findChildren<SkinButton*>())
      EXPECT_TRUE(tabFocus(button)) << button->text().toStdString();
    for (const Slider* slider : page->findChildren<Slider*>())
      EXPECT_TRUE(tabFocus(slider)) << slider->objectName().toStdString();
    for (const SkinComboBox* box : page->findChildren<SkinComboBox*>())
      EXPECT_TRUE(tabFocus(box)) << box->objectName().toStdString();
    for (const ValueEdit* edit : page->findChildren<ValueEdit*>())
      EXPECT_TRUE(tabFocus(edit->field())) << edit->objectName().toStdString();
  }
}

TEST(Keyboard, EveryFaderEditListAndStripButtonHasATooltipInEachLanguage) {
  Program p(LanguageIndex::English);
  for (const LanguageIndex language : {LanguageIndex::SimplifiedChinese, LanguageIndex::English}) {
    p.window->setLanguage(language);
    for (int i = 0; i < 3; ++i)
      QApplication::processEvents();
    std::vector<QWidget*> controls;
    for (Page* page : p.window->findChildren<Page*>()) {
      for (QWidget* w : page->findChildren<Slider*>())
        controls.push_back(w);
      for (QWidget* w : page->findChildren<ValueEdit*>())
        controls.push_back(w);
      for (QWidget* w : page->findChildren<SkinComboBox*>())
        controls.push_back(w);
      for (SkinButton* w : page->findChildren<SkinButton*>())
        if (w->objectName().startsWith("mute") || w->objectName().startsWith("phase") ||
            w->objectName().contains("Reset") || w->objectName().contains("Bypass"))
          controls.push_back(w);
    }
    ASSERT_GT(controls.size(), 50u);
    const QString english = QStringLiteral("Drag or use the arrow keys");
    for (const QWidget* w : controls) {
      EXPECT_FALSE(w->toolTip().isEmpty()) << w->objectName().toStdString();
      if (language != LanguageIndex::English) {
        EXPECT_FALSE(w->toolTip().startsWith(english)) << w->objectName().toStdString();
      }
    }
  }
}

TEST(Keyboard, SpaceAndEnterPressAFocusedButton) {
  QWidget window;
  auto* button = new SkinButton(&window);
  button->setCheckState(SkinButton::OFF);
  button->setGeometry(0, 0, 80, 24);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  button->setFocus(Qt::TabFocusReason);
  QSignalSpy spy(button, &SkinButton::notified);
  QTest::keyClick(button, Qt::Key_Space);
  EXPECT_EQ(button->checkState(), SkinButton::ON);
  QTest::keyClick(button, Qt::Key_Return);
  EXPECT_EQ(button->checkState(), SkinButton::OFF);
  QTest::keyClick(button, Qt::Key_A); // other keys are not presses
  EXPECT_EQ(spy.count(), 2);
  button->setEnabled(false);
  QTest::keyClick(button, Qt::Key_Space);
  EXPECT_EQ(spy.count(), 2);
}

struct ShortcutCase {
  int menu; // a MainWindow::MenuPosition
  QKeySequence keys;
};

TEST(Keyboard, ShortcutsReachTheirCommands) {
  const ShortcutCase cases[] = {
      {MainWindow::MENU_SYSTEM, QKeySequence(Qt::Key_F1)},
      {MainWindow::MENU_EDIT, QKeySequence(Qt::CTRL | Qt::Key_Z)},
      {MainWindow::MENU_EDIT, QKeySequence(Qt::CTRL | Qt::Key_Y)},
  };
  Program p(LanguageIndex::English);
  for (const ShortcutCase& c : cases) {
    SCOPED_TRACE(c.keys.toString().toStdString());
    bool found = false;
    for (const QAction* action : p.window->menuAt(c.menu)->actions())
      found = found || action->shortcuts().contains(c.keys);
    EXPECT_TRUE(found);
  }
}

// The letter after '&', lower case; none when the text has no mnemonic.
QChar mnemonicOf(const QString& text) {
  const int at = text.indexOf(QLatin1Char('&'));
  return at >= 0 && at + 1 < text.size() ? text.at(at + 1).toLower() : QChar();
}

// In every language each menu title has a mnemonic, and no two entries of one menu (or two
// titles of the bar) share a letter.
TEST(Keyboard, MenuMnemonicsAreThereAndDistinct) {
  for (const LanguageIndex language : {LanguageIndex::English, LanguageIndex::SimplifiedChinese,
                                       LanguageIndex::TraditionalChinese}) {
    Program p(language);
    std::set<QChar> titles;
    for (int m = 0; m < MainWindow::MENU_COUNT; ++m) {
      QMenu* menu = p.window->menuAt(m);
      const QChar title = mnemonicOf(menu->title());
      EXPECT_FALSE(title.isNull()) << menu->title().toStdString();
      EXPECT_TRUE(titles.insert(title).second) << menu->title().toStdString();
      std::set<QChar> entries;
      for (const QAction* action : menu->actions()) {
        const QChar letter = mnemonicOf(action->text());
        if (!letter.isNull()) {
          EXPECT_TRUE(entries.insert(letter).second) << action->text().toStdString();
        }
      }
    }
  }
  setCurrentLanguage(LanguageIndex::English);
}

} // namespace
} // namespace kv816
