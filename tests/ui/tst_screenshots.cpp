// Renders the main window on each tab, the buttons in each state and the
// detail window to PNG files under the build folder (screenshots/), so that
// the look can be checked by eye; checks the colours that must be there.

#include <QDir>
#include <QtTest>

#include "helpers/MainWindowFixture.h"
#include "ui/Command.h"
#include "ui/XTab.h"
#include "ui/frmDisplay.h"
#include "ui/frmMain.h"

using namespace korvane::ui;
using korvane::test::MainWindowFixture;

namespace {

QString Saved(const QImage& image, const QString& name) {
  QDir().mkpath(QStringLiteral(KORVANE_SCREENSHOT_DIR));
  const QString path = QStringLiteral(KORVANE_SCREENSHOT_DIR "/") + name;
  return image.save(path) ? path : QString();
}

}  // namespace

class TestScreenshots : public QObject {
  Q_OBJECT

 private slots:
  void eachTab() {
    MainWindowFixture f;
    frmMain& w = f.window();
    f.AnswerDialog(std::string(KORVANE_FIXTURE_ALPHA64_DLL));
    w.cmdBrowse_Click();
    f.AnswerDialog(std::string(KORVANE_FIXTURE_ALPHA64_DLL));
    w.cmdSelectOne_Click();
    // No type library in the second file: the comparison shows its message
    // row, as the Windows program's captures of the same files do.
    f.AnswerDialog(std::string(KORVANE_FIXTURE_PLAIN_DLL));
    w.cmdSelectTwo_Click();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    for (int tab = 0; tab < 3; ++tab) {
      w.XTab1()->SetTab(tab);
      const QImage image = w.grab().toImage();
      QCOMPARE(image.size(), QSize(433, 361));
      QVERIFY(!Saved(image, QStringLiteral("tab%1.png").arg(tab)).isEmpty());
      // The window background and the active tab's page.
      QCOMPARE(image.pixel(1, 1) & 0xFFFFFF, 0xFBFDFBu);
      const QRect active = w.XTab1()->HeaderRect(tab).translated(w.XTab1()->pos());
      QCOMPARE(image.pixel(active.right() - 3, active.top() + 2) & 0xFFFFFF, 0xFBFDFBu);
      // The inactive tabs carry the light gradient, the outer border its colour.
      const QRect inactive = w.XTab1()->HeaderRect((tab + 1) % 3).translated(w.XTab1()->pos());
      const QRgb bottom = image.pixel(inactive.right() - 3, inactive.bottom() - 1);
      QVERIFY(qBlue(bottom) < qRed(bottom));  // towards 0x00EAF0F0: less blue
      QCOMPARE(image.pixel(w.XTab1()->x(), w.XTab1()->y() + 200) & 0xFFFFFF, 0x919C9Bu);
    }
  }

  void buttonStates() {
    QWidget strip;
    strip.resize(5 * 110, 30);
    const char* names[] = {"normal", "hover", "focus", "focus-hover", "disabled"};
    QList<Command*> buttons;
    for (int i = 0; i < 5; ++i) {
      auto* button = new Command(&strip);
      button->setGeometry(5 + i * 110, 4, 103, 21);
      button->SetCaption(QStringLiteral("&Register ActiveX"));
      button->Initialize();
      button->SetCursorProbe([] { return true; });
      buttons << button;
    }
    strip.show();
    QVERIFY(QTest::qWaitForWindowExposed(&strip));
    QTest::mouseMove(buttons[1], QPoint(10, 10));
    buttons[2]->setFocus();
    QTRY_COMPARE(buttons[2]->Core().State(), CommandState::Selected);
    buttons[4]->SetEnabled(false);
    QImage image = strip.grab().toImage();
    QVERIFY(!Saved(image, QStringLiteral("buttons.png")).isEmpty());
    QCOMPARE(buttons[1]->Core().State(), CommandState::HighLight);
    buttons[3]->setFocus();
    QTest::mouseMove(buttons[3], QPoint(10, 10));
    QTRY_COMPARE(buttons[3]->Core().State(), CommandState::HighLightSelect);
    image = buttons[3]->grab().toImage();
    QVERIFY(!Saved(image.scaled(image.size() * 4), QStringLiteral("button-focus-hover-x4.png")).isEmpty());
    for (int i = 0; i < 5; ++i) {
      image = buttons[i]->grab().toImage();
      QVERIFY(!Saved(image, QStringLiteral("button-%1.png").arg(QLatin1String(names[i]))).isEmpty());
    }
  }

  void detailWindow() {
    frmDisplay display;
    display.txtinfo()->setPlainText(QStringLiteral("C:\\Windows\\System32\\stdole2.tlb"));
    display.show();
    QVERIFY(QTest::qWaitForWindowExposed(&display));
    QVERIFY(!Saved(display.grab().toImage(), QStringLiteral("display.png")).isEmpty());
  }
};

QTEST_MAIN(TestScreenshots)
#include "tst_screenshots.moc"
