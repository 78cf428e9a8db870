// The Command button in Qt: what it draws, and the widget with real Qt events.
// Its state machine, stored properties and geometry are tested without a
// toolkit (tests/forms).

#include <QCursor>
#include <QPushButton>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

#include "ui/Command.h"
#include "forms/CommandCore.h"
#include "forms/CommandGeometry.h"
#include "ui/CommandSkins.h"
#include "forms/PropertyBag.h"
#include "ui/VerticalGradient.h"
#include "ui/basToolsUi.h"

using namespace korvane::ui;

namespace {

QRgb Pixel(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

// The darkest grey level in a rectangle of the image.
int DarkestIn(const QImage& image, const QRect& area) {
  int darkest = 255;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) darkest = std::min(darkest, qGray(image.pixel(x, y)));
  }
  return darkest;
}

}  // namespace

class TestCommand : public QObject {
  Q_OBJECT

 private slots:
  // --- drawing (the state machine, stored properties and geometry are tested
  //     without a toolkit in tests/forms) ---

  void renderedNormalButton() {
    Command button;
    button.resize(80, 21);
    button.SetCaption(QStringLiteral("Register"));
    button.Initialize();
    const QImage image = button.grab().toImage();
    QCOMPARE(Pixel(image, 40, 0), 0xDCD6C2u);   // outer pixel of the top slice
    QCOMPARE(Pixel(image, 40, 1), 0x003C74u);   // the blue line
    QCOMPARE(Pixel(image, 79, 10), 0xDCD6C2u);  // right slice
    QCOMPARE(Pixel(image, 1, 10), 0x003C74u);   // left slice
    QCOMPARE(Pixel(image, 40, 20), 0xDCD6C2u);  // bottom slice
    QCOMPARE(Pixel(image, 40, 18), 0xD6D0C5u);  // darker bottom of Normal
    // The centre of the picture is never drawn: the gradient shows, lighter
    // at the top than at the bottom.
    const QRgb upper = image.pixel(6, 5);
    const QRgb lower = image.pixel(6, 15);
    QVERIFY(qRed(upper) > qRed(lower));
    QVERIFY(qBlue(lower) > qRed(lower));  // the bluish grey end
    QVERIFY(DarkestIn(image, QRect(4, 4, 72, 13)) < 80);  // black caption
    // Row by row from white at the top to C6C5D7 at the bottom row.
    const QColor white(0xFF, 0xFF, 0xFF), dark(0xC6, 0xC5, 0xD7);
    QCOMPARE(QColor(image.pixel(5, 4)), GradientRowColour(white, dark, 4, 21));
    QCOMPARE(QColor(image.pixel(5, 16)), GradientRowColour(white, dark, 16, 21));
  }

  void gradientRowsRunFromEndToEnd() {
    const QColor top(0xFF, 0xFF, 0xFF), bottom(0xC6, 0xC5, 0xD7);
    QCOMPARE(GradientRowColour(top, bottom, 0, 21), top);
    QCOMPARE(GradientRowColour(top, bottom, 20, 21), bottom);
    QCOMPARE(GradientRowColour(QColor(0, 0, 0), QColor(100, 200, 40), 5, 11), QColor(50, 100, 20));
    QCOMPARE(GradientRowColour(top, bottom, 0, 1), top);  // a single row
  }

  void hoveredButtonHasTheGradientTurnedOver() {
    QWidget window;
    new QPushButton(&window);  // takes the focus
    auto& button = *new Command(&window);
    button.setGeometry(0, 30, 80, 21);
    button.Initialize();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage normal = button.grab().toImage();
    QTest::mouseMove(&button, QPoint(10, 10));
    QCOMPARE(button.Core().State(), CommandState::HighLight);
    const QImage hover = button.grab().toImage();
    QCOMPARE(hover.pixel(5, 4), normal.pixel(5, 16));
    QCOMPARE(hover.pixel(5, 16), normal.pixel(5, 4));
  }

  void renderedFocusLinesAndHighlight() {
    QWidget host;
    host.resize(200, 60);
    new QPushButton(&host);
    auto& button = *new Command(&host);
    button.setGeometry(100, 10, 80, 21);
    button.Initialize();
    const QImage plain = button.grab().toImage();
    const QRgb plainAtLine = plain.pixel(40, 4);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    button.SetCursorProbe([] { return false; });
    button.setFocus();
    QTRY_COMPARE(button.Core().State(), CommandState::Selected);
    const QImage focused = button.grab().toImage();
    QCOMPARE(Pixel(focused, 40, 1), 0xCEE7FFu);  // light-blue bevel of Selected
    QCOMPARE(Pixel(focused, 40, 0), 0x003C74u);
    QVERIFY(focused.pixel(40, 4) != plainAtLine);  // top line
    QCOMPARE(focused.pixel(4, 10), focused.pixel(40, 4));   // left line
    QCOMPARE(focused.pixel(75, 10), focused.pixel(40, 4));  // right line
    QCOMPARE(focused.pixel(40, 16), focused.pixel(40, 4));  // bottom line
    QVERIFY(focused.pixel(74, 10) != focused.pixel(75, 10));

    button.SetCursorProbe([] { return true; });
    QTest::mouseMove(&button, QPoint(40, 10));
    QTRY_COMPARE(button.Core().State(), CommandState::HighLightSelect);
    const QImage hover = button.grab().toImage();
    QCOMPARE(Pixel(hover, 40, 1), 0xFFF0CFu);
    QCOMPARE(Pixel(hover, 1, 10), 0xFDD889u);
    QCOMPARE(Pixel(hover, 40, 19), 0xE59700u);
  }

  void renderedDisabledButtonHasGreyText() {
    Command button;
    button.resize(80, 21);
    button.SetCaption(QStringLiteral("&Register"));
    button.SetEnabled(false);
    const QImage image = button.grab().toImage();
    QCOMPARE(Pixel(image, 40, 0), 0xECE9D8u);
    QCOMPARE(Pixel(image, 40, 1), 0xC9C7BAu);
    QVERIFY(!button.isEnabled());
    QVERIFY(DarkestIn(image, QRect(4, 4, 72, 13)) >= 150);
  }

  void transparentButtonDrawsNothing() {
    QWidget host;
    host.setAutoFillBackground(true);
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x12, 0x34, 0x56));
    host.setPalette(palette);
    host.resize(100, 40);
    auto* button = new Command(&host);
    button->setGeometry(10, 10, 80, 21);
    button->SetVisible(0);
    const QImage image = host.grab().toImage();
    QCOMPARE(Pixel(image, 50, 11), 0x123456u);
  }

  void skinPicturesHaveTheirSize() {
    for (auto skin : {CommandSkin::Disable, CommandSkin::Normal, CommandSkin::HighLight,
                      CommandSkin::Selected, CommandSkin::HighLightSelect, CommandSkin::Pressed}) {
      QCOMPARE(SkinImage(skin).size(), QSize(kSkinWidth, kSkinHeight));
    }
    QCOMPARE(SkinImage(CommandSkin::Pressed).pixel(30, 2) & 0xFFFFFF, 0xD1CCC1u);
  }

  // --- the widget with real Qt events ---

  void accessKeyThroughTheKeyboard() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* first = new QPushButton(QStringLiteral("other"), &window);
    auto* button = new Command(&window);
    layout->addWidget(first);
    layout->addWidget(button);
    button->SetCaption(QStringLiteral("&Register"));
    button->Initialize();
    button->SetCursorProbe([] { return false; });
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    first->setFocus();
    QSignalSpy clicks(button, &Command::Click);
    QTest::keyClick(&window, Qt::Key_R, Qt::AltModifier);
    QCOMPARE(clicks.count(), 1);
    QVERIFY(button->hasFocus());
    QCOMPARE(button->Core().State(), CommandState::HighLightSelect);

    button->SetEnabled(false);
    QTest::keyClick(&window, Qt::Key_R, Qt::AltModifier);
    QCOMPARE(clicks.count(), 1);
  }

  void mouseClickAndReleaseAfterLeaving() {
    QWidget window;
    window.resize(200, 100);
    auto* other = new QPushButton(&window);
    other->setGeometry(100, 50, 80, 21);
    auto* button = new Command(&window);
    button->setGeometry(10, 10, 80, 21);
    bool over = true;
    button->SetCursorProbe([&over] { return over; });
    button->Initialize();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    other->setFocus();
    QSignalSpy clicks(button, &Command::Click);

    QTest::mouseMove(button, QPoint(20, 10));
    QTRY_COMPARE(button->Core().State(), CommandState::HighLight);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(button->Core().State(), CommandState::HighLightSelect);

    // Press, leave, let the timer see it, release: no click.
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(20, 10));
    over = false;
    QTRY_COMPARE(button->Core().State(), CommandState::Selected);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(150, 80));
    QCOMPARE(clicks.count(), 1);
  }

  void hoverTimerFindsTheWidgetUnderTheRealCursor() {
    QWidget window;
    window.resize(200, 100);
    auto* other = new QPushButton(&window);
    other->setGeometry(100, 50, 80, 21);
    auto* button = new Command(&window);
    button->setGeometry(10, 10, 80, 21);
    button->Initialize();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    other->setFocus();
    QCursor::setPos(button->mapToGlobal(QPoint(20, 10)));
    // Qt drops a move to where the pointer already is: arrive from elsewhere.
    QTest::mouseMove(&window, QPoint(150, 90));
    QTest::mouseMove(button, QPoint(20, 10));
    QCOMPARE(button->Core().State(), CommandState::HighLight);
    button->TimerTick();  // still over the button
    QCOMPARE(button->Core().State(), CommandState::HighLight);
    QCursor::setPos(other->mapToGlobal(QPoint(5, 5)));  // over another control
    QTRY_COMPARE(button->Core().State(), CommandState::Normal);  // the running timer sees it
  }

  void timerRunsOnlyAfterInitialize() {
    Command button;
    QVERIFY(!button.HoverTimerActive());
    button.Initialize();
    QVERIFY(button.HoverTimerActive());
  }

  void designedInstanceReadsItsBag() {
    PropertyBag bag;
    bag.WriteProperty("Caption", "Visit Website", "Command");
    QWidget parent;
    Command button(bag, &parent);
    QCOMPARE(button.Caption(), QStringLiteral("Visit Website"));
    QCOMPARE(button.Core().FirstRun(), std::uint8_t{1});
    QCOMPARE(button.font().family(), parent.font().family());
  }

  void storedFontGivesOnlyItsFace() {
    QWidget parent;
    Command button(&parent);
    QFont big = button.font();
    big.setPointSizeF(14);
    big.setBold(true);
    button.SetFont(big);
    PropertyBag bag;
    bag.WriteProperty("Font", "Tahoma", "MS Sans Serif");
    button.ReadProperties(bag);
    QCOMPARE(button.font().family(), QStringLiteral("Tahoma"));
    QCOMPARE(button.font().pointSizeF(), 14.0);
    QVERIFY(button.font().bold());
    QSignalSpy changes(&button, &Command::PropertyChanged);
    button.SetCaption(QStringLiteral("x"));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes[0][0].toString(), QStringLiteral("Caption"));
  }

  // --- SetupCommandButtons ---

  void setupInitialisesOrEnablesEveryCommandOnly() {
    QWidget window;
    auto* nested = new QWidget(&window);
    auto* a = new Command(&window);
    auto* b = new Command(nested);
    auto* plain = new QPushButton(nested);
    SetupCommandButtons(&window, true, false);
    QVERIFY(a->HoverTimerActive());
    QVERIFY(b->HoverTimerActive());
    QVERIFY(a->Core().IsEnabled());  // bEnabled is not looked at when initialising

    SetupCommandButtons(&window, false, false);
    QVERIFY(!a->Core().IsEnabled());
    QVERIFY(!b->Core().IsEnabled());
    QVERIFY(plain->isEnabled());
    SetupCommandButtons(&window, false, true);
    QVERIFY(a->Core().IsEnabled());
    QCOMPARE(b->Core().State(), CommandState::Normal);
  }

  void setupOnAWindowWithoutCommands() {
    QWidget window;
    auto* plain = new QPushButton(&window);
    plain->setEnabled(false);
    SetupCommandButtons(&window, false, true);
    QVERIFY(!plain->isEnabled());
    SetupCommandButtons(nullptr, true, true);
  }
};

QTEST_MAIN(TestCommand)
#include "tst_command.moc"
