// The info grid's "Show type library..." item end to end in Qt: a right click
// on the grid, the menu item and its state, the choice among several
// libraries, the IDL window with its find bar (Ctrl+F, next, previous,
// wrapping, not found) and Save As. What the item decides is tested through
// the form (tests/forms/typelib).

#include <QContextMenuEvent>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>
#include <QtTest>
#include <fstream>
#include <iterator>

#include "helpers/MainWindowFixture.h"
#include "ui/FlexGridView.h"
#include "ui/IdlWindow.h"
#include "ui/TypeLibraryMenu.h"
#include "ui/frmMain.h"

using namespace korvane;
using namespace korvane::ui;
using korvane::test::AnswerNextModal;
using korvane::test::ColumnTexts;
using korvane::test::MainWindowFixture;

namespace {

const QString kIdl = QStringLiteral(
    "library KorvaneAlpha\n{\n    interface IAlpha;\n    [uuid(1)] interface IAlpha : IUnknown\n    {\n    };\n}\n");

// The IDL source of these tests: a fixed text, and the paths it was asked for.
forms::IdlSource FixedSource(QStringList* asked) {
  return [asked](const std::string& path) -> formats::Expected<std::string> {
    *asked << QString::fromStdString(path);
    return kIdl.toStdString();
  };
}

struct MenuSeen {
  QString caption;
  bool enabled = false;
  bool shown = false;
};

// Right-clicks the middle of the info grid; the menu that opens is looked at
// and its first item chosen when it is enabled (else the menu is closed).
MenuSeen RightClickGrid(frmMain& w) {
  MenuSeen seen;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return;
    poll.stop();
    QAction* item = menu->actions().value(0);
    seen.shown = item != nullptr;
    if (item != nullptr) {
      seen.caption = item->text();
      seen.enabled = item->isEnabled();
    }
    if (!seen.enabled) {
      menu->close();
      return;
    }
    menu->setActiveAction(item);
    QTest::keyClick(menu, Qt::Key_Return);
  });
  poll.start(10);
  QWidget* viewport = w.gridinfo()->viewport();
  const QPoint at = viewport->rect().center();
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
  QApplication::sendEvent(viewport, &event);
  return seen;
}

void Inspect(MainWindowFixture& f, const char* file) {
  f.AnswerDialog(std::string(file));
  f.window().cmdBrowse_Click();
}

QString Selected(const IdlWindow& window) { return window.Text()->textCursor().selectedText(); }

}  // namespace

class TestTypeLibraryWindow : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() {
    korvane::test::StopAnswering();
    while (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (qobject_cast<IdlWindow*>(top) != nullptr) top->close();
    }
  }

  void showsFindsAndSaves() {
    MainWindowFixture f;
    frmMain& w = f.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    Inspect(f, KORVANE_FIXTURE_ALPHA64_DLL);
    const QStringList rows = ColumnTexts(w.GridInfoModel(), 0);
    QStringList asked;
    w.gridinfoMenu()->SetIdlSource(FixedSource(&asked));

    const MenuSeen menu = RightClickGrid(w);
    QVERIFY(menu.shown);
    QCOMPARE(menu.caption, QStringLiteral("Show type library..."));
    QVERIFY(menu.enabled);
    // One library in the file: no choice, its resource read.
    QCOMPARE(asked, QStringList{QStringLiteral(KORVANE_FIXTURE_ALPHA64_DLL "/1")});
    auto* window = w.findChild<IdlWindow*>();
    QVERIFY(window != nullptr);
    QCOMPARE(window->windowTitle(), QStringLiteral("alpha64.dll - KorvaneAlpha"));
    QCOMPARE(window->Text()->toPlainText(), kIdl);
    QVERIFY(window->Text()->isReadOnly());
    QCOMPARE(ColumnTexts(w.GridInfoModel(), 0), rows);

    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QVERIFY(!window->FindBar()->isVisible());
    QTest::keyClick(window, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(window->FindBar()->isVisible());
    QVERIFY(window->FindField()->hasFocus());
    QTest::keyClicks(window->FindField(), QStringLiteral("ialpha"));
    const qsizetype first = kIdl.indexOf(QStringLiteral("IAlpha"));
    const qsizetype second = kIdl.indexOf(QStringLiteral("IAlpha"), first + 1);
    const struct {
      Qt::KeyboardModifiers modifiers;
      qsizetype at;
      QString status;
    } steps[] = {
        {Qt::NoModifier, first, QString()},
        {Qt::NoModifier, second, QString()},
        {Qt::NoModifier, first, QStringLiteral("Continued from the top")},
        {Qt::ShiftModifier, second, QStringLiteral("Continued from the end")},
        {Qt::ShiftModifier, first, QString()},
    };
    for (const auto& step : steps) {
      QTest::keyClick(window->FindField(), Qt::Key_Return, step.modifiers);
      QCOMPARE(Selected(*window), QStringLiteral("IAlpha"));
      QCOMPARE(window->Text()->textCursor().selectionStart(), step.at);
      QCOMPARE(window->FindStatus()->text(), step.status);
    }
    window->FindField()->setText(QStringLiteral("IBeta"));
    QTest::keyClick(window->FindField(), Qt::Key_Return);
    QCOMPARE(window->FindStatus()->text(), QStringLiteral("Not found"));
    QCOMPARE(window->Text()->textCursor().selectionStart(), first);  // the last match stays selected

    const std::string saved = f.dir().File("KorvaneAlpha.idl");
    QString suggested;
    window->SetSaveChooser([&](const std::string& name) -> std::optional<std::string> {
      suggested = QString::fromStdString(name);
      return saved;
    });
    window->SaveAsAction()->trigger();
    QCOMPARE(suggested, QStringLiteral("KorvaneAlpha.idl"));
    std::ifstream in(saved, std::ios::binary);
    QCOMPARE(QString::fromStdString(std::string(std::istreambuf_iterator<char>(in), {})), kIdl);
    QVERIFY(f.port().boxes.empty());
  }

  void choosesAmongSeveralLibraries() {
    MainWindowFixture f;
    frmMain& w = f.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    Inspect(f, KORVANE_FIXTURE_MULTI_DLL);
    // The window's own source: the library read and written as IDL.
    QStringList offered;
    AnswerNextModal([&](QWidget* modal) {
      auto* dialog = qobject_cast<QInputDialog*>(modal);
      if (dialog == nullptr) return;
      offered = dialog->comboBoxItems();
      dialog->setTextValue(offered.value(2));
      dialog->accept();
    });
    QVERIFY(RightClickGrid(w).enabled);
    QCOMPARE(offered, (QStringList{QStringLiteral("1: KorvaneAlpha 1.10"), QStringLiteral("2: KorvaneAlpha 2.0"),
                                   QStringLiteral("5: KorvaneBeta 3.2")}));
    auto* window = w.findChild<IdlWindow*>();
    QVERIFY(window != nullptr);
    QCOMPARE(window->windowTitle(), QStringLiteral("multi.dll/5 - KorvaneBeta"));
    const QString text = window->Text()->toPlainText();
    QVERIFY2(text.contains(QStringLiteral("library KorvaneBeta")), qPrintable(text.left(400)));
    QVERIFY(!text.contains(QStringLiteral("KorvaneAlpha")));
    QVERIFY(f.port().boxes.empty());
  }

  void disabledForAFileWithoutALibrary() {
    MainWindowFixture f;
    frmMain& w = f.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    Inspect(f, KORVANE_FIXTURE_PLAIN_DLL);
    QStringList asked;
    w.gridinfoMenu()->SetIdlSource(FixedSource(&asked));
    const MenuSeen menu = RightClickGrid(w);
    QVERIFY(menu.shown);
    QVERIFY(!menu.enabled);
    QVERIFY(asked.isEmpty());
    QVERIFY(w.findChild<IdlWindow*>() == nullptr);
  }
};

QTEST_MAIN(TestTypeLibraryWindow)
#include "tst_typelibrarywindow.moc"
