// The main window's tab control as a widget: a mouse click and an arrow key
// reach the strip, the active tab's controls show, and the header colours.
// The switching rules themselves are tested through the strip (tests/forms).

#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

#include "ui/XTab.h"

using namespace korvane::ui;

namespace {

XTab* MakeTabs(QWidget& window) {
  auto* tabs = new XTab({QStringLiteral("  One"), QStringLiteral("  Two && more"), QStringLiteral("Three")},
                        &window);
  tabs->setGeometry(0, 0, 300, 200);
  window.resize(300, 200);
  return tabs;
}

}  // namespace

class TestXTab : public QObject {
  Q_OBJECT

 private slots:
  void switchingShowsThatTabsControls() {
    QWidget window;
    XTab* tabs = MakeTabs(window);
    auto* first = new QLabel(QStringLiteral("a"), tabs);
    auto* third = new QLabel(QStringLiteral("c"), tabs);
    tabs->AddToTab(0, first);
    tabs->AddToTab(2, third);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(first->isVisible());
    QVERIFY(!third->isVisible());

    QSignalSpy switched(tabs, &XTab::TabSwitched);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->HeaderRect(2).center());
    QCOMPARE(tabs->Tab(), 2);
    QVERIFY(!first->isVisible());
    QVERIFY(third->isVisible());
    QCOMPARE(switched.count(), 1);
    QCOMPARE(switched[0][0].toInt(), 0);
    QCOMPARE(switched[0][1].toInt(), 2);
  }

  void disabledTabIsGreyAndTheKeysSkipIt() {
    QWidget window;
    XTab* tabs = MakeTabs(window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    tabs->SetTabEnabled(1, false);
    tabs->setFocus();
    QTest::keyClick(tabs, Qt::Key_Right);
    QCOMPARE(tabs->Tab(), 2);

    const QImage image = tabs->grab().toImage();
    const QRect header = tabs->HeaderRect(1);
    QCOMPARE(QColor(image.pixel(header.right() - 2, header.bottom() - 2)), tabs->DisabledTabColour());
    QCOMPARE(tabs->DisabledTextColour(), QColor(0xA0, 0xA0, 0xA0));
  }

  void headerColours() {
    QWidget window;
    XTab* tabs = MakeTabs(window);
    const QImage image = tabs->grab().toImage();
    QCOMPARE(tabs->HeaderRect(0).height(), XTab::kTabHeight);
    const QRect active = tabs->HeaderRect(0);
    const QRect inactive = tabs->HeaderRect(2);
    QCOMPARE(QColor(image.pixel(active.right() - 2, 30)), QColor(0xFB, 0xFD, 0xFB));
    QCOMPARE(QColor(image.pixel(inactive.right() - 2, 5)), QColor(0xFF, 0xFF, 0xFF));
    QCOMPARE(QColor(image.pixel(inactive.right() - 2, XTab::kTabHeight - 2)), QColor(0xF0, 0xF0, 0xEA));
    QCOMPARE(QColor(image.pixel(0, 150)), QColor(0x91, 0x9C, 0x9B));  // outer border
    // The active header opens onto the page: no border line under it.
    QCOMPARE(QColor(image.pixel(active.center().x(), XTab::kTabHeight - 1)), QColor(0xFB, 0xFD, 0xFB));
    QCOMPARE(QColor(image.pixel(inactive.center().x(), XTab::kTabHeight - 1)), QColor(0x91, 0x9C, 0x9B));
  }
};

QTEST_MAIN(TestXTab)
#include "tst_xtab.moc"
