// The Qt main window end to end, with the real registrar, inspector, grid
// wrappers and a fresh registry store: layout, the controls reaching the form,
// the real file dialog, the detail window, start-up. The handlers' behaviour
// is tested through the form (tests/forms).

#include <QFileDialog>
#include <QGroupBox>
#include <QSignalSpy>
#include <QtTest>
#include <filesystem>

#include "app/WindowHost.h"
#include "app/basMain.h"
#include "helpers/MainWindowFixture.h"
#include "install/Settings.h"
#include "ui/Command.h"
#include "ui/FlexGridView.h"
#include "ui/PictureBox.h"
#include "ui/QtWindowHost.h"
#include "ui/XTab.h"
#include "ui/frmDisplay.h"
#include "ui/frmMain.h"

using namespace korvane;
using namespace korvane::ui;
using korvane::test::AnswerNextModal;
using korvane::test::ColumnTexts;
using korvane::test::MainWindowFixture;


class TestMainWindow : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() {
    korvane::test::StopAnswering();
    // Never leave a modal window open for the next test.
    while (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  }

  // --- look and layout ---

  void layoutInPixels() {
    MainWindowFixture f;
    frmMain& w = f.window();
    QCOMPARE(w.size(), QSize(433, 361));
    QCOMPARE(w.XTab1()->geometry(), QRect(4, 4, 425, 355));
    QCOMPARE(w.cmdReg()->geometry(), QRect(6, 116, 103, 21));
    QCOMPARE(w.cmdUnReg()->geometry(), QRect(114, 116, 103, 21));
    QCOMPARE(w.cmdBrowse()->geometry(), QRect(350, 16, 57, 21));
    QCOMPARE(w.gridinfo()->geometry(), QRect(4, 14, 409, 189));
    QCOMPARE(w.gridinfo()->parentWidget()->geometry(), QRect(4, 142, 417, 209));
    QCOMPARE(w.gridcomparison()->geometry(), QRect(4, 14, 409, 217));
    QCOMPARE(w.cmdSelectTwo()->geometry(), QRect(174, 20, 23, 21));
    QCOMPARE(w.cmdShellEX()->geometry(), QRect(14, 100, 65, 23));
    QCOMPARE(w.cmdWeb()->geometry(), QRect(304, 318, 107, 29));
    QCOMPARE(w.picTabIcon(3)->geometry(), QRect(298, 8, 47, 44));
    QCOMPARE(w.picTabIcon(22)->geometry(), QRect(159, 10, 47, 44));
    QCOMPARE(w.picTabIcon(22)->pixmap().size(), QSize(47, 44));
    QCOMPARE(w.XTab1()->TabCaption(0), QString(18, QLatin1Char(' ')) + QStringLiteral("Korvane && File Info"));
    QCOMPARE(w.XTab1()->TabCaption(1), QString(17, QLatin1Char(' ')) + QStringLiteral("File Comparison"));
    QCOMPARE(w.XTab1()->TabCaption(2), QString(18, QLatin1Char(' ')) + QStringLiteral("Options && Help"));
    QCOMPARE(w.gridinfo()->toolTip(), QStringLiteral("Double Click for more info"));
    QCOMPARE(w.gridinfo()->font().family(), QStringLiteral("Tahoma"));
    QCOMPARE(w.gridinfo()->font().pointSizeF(), 8.25);
    QCOMPARE(w.palette().color(QPalette::Window), QColor(0xFB, 0xFD, 0xFB));
  }

  void onlyTheActiveTabsControlsShow() {
    MainWindowFixture f;
    frmMain& w = f.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(w.cmdReg()->isVisible());
    QVERIFY(!w.gridcomparison()->isVisible());
    QVERIFY(!w.cmdShellEX()->isVisible());
    w.XTab1()->SetTab(1);
    QVERIFY(!w.cmdReg()->isVisible());
    QVERIFY(w.gridcomparison()->isVisible());
    QVERIFY(w.picTabIcon(22)->isVisible());
    QVERIFY(!w.picTabIcon(2)->isVisible());
  }

  void comparisonViewIsMadeWhenItsTabOpens() {
    MainWindowFixture f;
    frmMain& w = f.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(w.findChild<FlexGridView*>(QStringLiteral("gridcomparison")) == nullptr);
    // Rows added before the view exists are there when it comes.
    f.AnswerDialog(std::string(KORVANE_FIXTURE_ALPHA64_DLL));
    w.cmdSelectOne_Click();
    f.AnswerDialog(std::string(KORVANE_FIXTURE_ALPHA64_DLL));
    w.cmdSelectTwo_Click();
    QVERIFY(w.GridComparisonModel().Rows() > 0);
    w.XTab1()->SetTab(1);
    auto* view = w.findChild<FlexGridView*>(QStringLiteral("gridcomparison"));
    QVERIFY(view != nullptr);
    QVERIFY(view->isVisible());
    QCOMPARE(view->model()->rowCount(), w.GridComparisonModel().Rows());
    QVERIFY(ColumnTexts(w.GridComparisonModel(), 0).contains(QStringLiteral("The Files Are Identically!")));
    QCOMPARE(view->toolTip(), QStringLiteral("Double Click for more info"));
    QVERIFY(w.gridcomparison() == view);  // made once
  }

  void decorationIsDrawnWhenItsTabFirstShows() {
    MainWindowFixture f;
    frmMain& w = f.window();
    auto* picture = w.findChild<PictureBox*>(QStringLiteral("Picture1"));
    QVERIFY(picture != nullptr);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(!picture->Drawn());
    w.XTab1()->SetTab(2);
    QTRY_VERIFY(picture->Drawn());
    QCOMPARE(picture->Picture().size(), QSize(184, 87));
    QCOMPARE(picture->geometry(), QRect(238, 226, 184, 87));
  }

  void loadInitialisesEveryButton() {
    MainWindowFixture f;
    for (Command* button : f.window().findChildren<Command*>()) {
      QVERIFY2(button->HoverTimerActive(), qPrintable(button->objectName()));
      QCOMPARE(button->Core().State(), CommandState::Normal);
    }
    QCOMPARE(f.window().findChildren<Command*>().size(), 8);
    QCOMPARE(f.window().cmdReadme()->Caption(), QStringLiteral("Readme.txt"));
    QVERIFY(f.window().mRegistry() != nullptr);
  }

  // --- choosing files ---

  void realFileDialogListsFilesWithoutADot() {
    korvane::test::TempDir dir;
    const std::string noDot = dir.Write("component", "x");
    CommonDialog dialog;
    dialog.Filter = "All files(*.*)|*.*";
    QStringList filters;
    AnswerNextModal([&](QWidget* modal) {
      auto* fileDialog = qobject_cast<QFileDialog*>(modal);
      if (fileDialog == nullptr) return;
      filters = fileDialog->nameFilters();
      // Typed into the name box, as a user would: the folder listing is not
      // waited for.
      fileDialog->setDirectory(QString::fromStdString(dir.path().string()));
      auto* nameBox = fileDialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      if (nameBox == nullptr) return;
      nameBox->setText(QStringLiteral("component"));
      static_cast<QDialog*>(fileDialog)->accept();  // the dialog's own accept runs
    });
    QVERIFY(dialog.ShowOpen(nullptr));
    QCOMPARE(filters, QStringList{QStringLiteral("All files(*.*) (*)")});
    QCOMPARE(std::filesystem::path(dialog.FileName), std::filesystem::path(noDot));

    AnswerNextModal([](QWidget* modal) {
      if (auto* fileDialog = qobject_cast<QFileDialog*>(modal)) fileDialog->reject();
    });
    QVERIFY(!dialog.ShowOpen(nullptr));
    QCOMPARE(std::filesystem::path(dialog.FileName), std::filesystem::path(noDot));
  }

  void filterTextsBecomeQtFilters() {
    QCOMPARE(QtNameFilters("All files(*.*)|*.*"), QStringList{QStringLiteral("All files(*.*) (*)")});
    QCOMPARE(QtNameFilters("Components|*.dll;*.ocx|All|*.*"),
             (QStringList{QStringLiteral("Components (*.dll *.ocx)"), QStringLiteral("All (*)")}));
    QCOMPARE(QtNameFilters(""), QStringList{QStringLiteral("* (*)")});
  }

  // --- registration ---

  void registeringWhatIsNoLibrarySaysSo() {
    MainWindowFixture f;
    const std::string notALibrary = f.dir().Write("text.dll", "no library here");
    f.window().txtFile()->setText(QString::fromStdString(notALibrary));
    f.window().cmdReg()->Click();  // through the button's own signal
    QCOMPARE(f.port().boxes.size(), std::size_t{1});
    // The reason is the loader's own: dlopen's words for a file that is no library.
    const std::string& text = f.port().boxes[0].text;
    QVERIFY2(text.rfind("Selected file could not be loaded into memory!\n\n"
                        "The library loader cannot load it: ",
                        0) == 0,
             text.c_str());
    QVERIFY2(text.find("text.dll") != std::string::npos, text.c_str());
    QVERIFY2(text.find("PE image") == std::string::npos, text.c_str());
  }

  // --- the tab control reaches the form ---

  void thirdTabShowsTheRegistryState() {
    MainWindowFixture f;
    frmMain& w = f.window();
    w.XTab1()->SetTab(2);
    QCOMPARE(w.cmdShellEX()->Caption(), QStringLiteral("Enable"));
    QCOMPARE(w.lblShell()->text(),
             QStringLiteral("Extensions are Disabled. Click Enable to create Shell Extensions"));
  }

  // --- tab icons ---

  void clickingAnIconSwitchesAndPassesTheFocusOn() {
    MainWindowFixture f;
    frmMain& w = f.window();
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QSignalSpy switches(w.XTab1(), &XTab::TabSwitched);
    QTest::mouseClick(w.picTabIcon(3), Qt::LeftButton);
    QCOMPARE(w.XTab1()->Tab(), 2);
    QCOMPARE(switches.count(), 1);
    QTRY_VERIFY(w.XTab1()->hasFocus());
    QTest::mouseClick(w.XTab1(), Qt::LeftButton, {}, w.XTab1()->HeaderRect(1).center() + QPoint(30, 0));
    QCOMPARE(w.XTab1()->Tab(), 1);
  }

  // --- grid double click ---

  void doubleClickOpensTheClickedCell_data() {
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("expected");
    QTest::newRow("caption column") << 0 << QStringLiteral("GUID:");
    QTest::newRow("value column") << 1 << QStringLiteral("{6B1E9C40-2F5A-4C11-9D3E-7A10B2C3D4E5}");
  }
  void doubleClickOpensTheClickedCell() {
    QFETCH(int, col);
    QFETCH(QString, expected);
    MainWindowFixture f;
    frmMain& w = f.window();
    f.AnswerDialog(std::string(KORVANE_FIXTURE_ALPHA64_DLL));
    w.cmdBrowse_Click();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const int row = ColumnTexts(w.GridInfoModel(), 0).indexOf(QStringLiteral("GUID:"));
    QVERIFY(row >= 0);
    FlexGridView* view = w.gridinfo();
    const QPoint at = view->visualRect(view->model()->index(row, col)).center();
    QString shown;
    QString title;
    AnswerNextModal([&](QWidget* modal) {
      title = modal->windowTitle();
      if (auto* display = qobject_cast<frmDisplay*>(modal)) shown = display->txtinfo()->toPlainText();
    });
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(title, QStringLiteral("selection info"));
    QCOMPARE(shown.toUpper(), expected.toUpper());
    QCOMPARE(w.GridInfoModel().Row(), row);
    QCOMPARE(w.GridInfoModel().Col(), col);
  }

  // --- the detail window ---

  void detailWindowTextFillsItAtAnySize() {
    frmDisplay display;
    QCOMPARE(display.windowTitle(), QStringLiteral("selection info"));
    QCOMPARE(display.size(), QSize(252, 66));
    display.show();
    QVERIFY(QTest::qWaitForWindowExposed(&display));
    // How any size is filled is the form's (tests/forms); the resize reaches it.
    display.resize(QSize(600, 300));
    QCOMPARE(display.txtinfo()->geometry(), QRect(QPoint(0, 0), display.size()));
  }

  // --- readme and the program folder ---

  void readmeSitsBesideTheProgram() {
    const std::string readme = std::string(KORVANE_PROGRAM_DIR) + "/readme.txt";
    QVERIFY2(std::filesystem::exists(readme), readme.c_str());
    const std::string text = korvane::test::ReadFile(readme);
    for (const char* topic : {"Register ActiveX", "File Comparison", "-r", "-u", "-f", "-s",
                              "KORVANE_REGISTRY", "ActiveX Report"}) {
      QVERIFY2(text.find(topic) != std::string::npos, topic);
    }
  }

  // --- the window host and shut-down ---

  // The host hands the program's shut-down to the main window, whether it
  // is loaded before or after the link is given; closing the window runs it.
  void closingTheMainWindowRunsTheProgramsShutDown() {
    for (bool loadFirst : {true, false}) {
      QtWindowHost host;
      int unloaded = 0;
      ApplicationLink link;
      link.mainWindowUnloaded = [&] { ++unloaded; };
      if (loadFirst) host.LoadMainWindow();
      host.Connect(link);
      host.LoadMainWindow();
      host.MainWindow()->show();
      host.UnloadMainWindow();
      QCOMPARE(unloaded, 1);
    }
  }

  void startUpWithAPlainPathAndTheSharedObjects() {
    korvane::test::TempDir dir;
    korvane::test::ScopedEnv store("KORVANE_REGISTRY", dir.File("registry.db"));
    korvane::test::ScopedEnv system("KORVANE_SYSTEM_DIR", dir.File("system32"));
    korvane::test::RecordingUserPort port;
    SaveSetting("Korvane", "General", "SelfInstall", "true");  // no first-start install
    QtWindowHost host;
    basMain app(host);
    app.SetAppPathForTesting(dir.path().string() + "/");
    app.Main("\"" KORVANE_FIXTURE_ALPHA64_DLL "\"");
    QVERIFY(host.MainWindowShown());
    frmMain& w = *host.MainWindow();
    QCOMPARE(w.XTab1()->Tab(), 0);
    QCOMPARE(w.txtFile()->text(), QStringLiteral(KORVANE_FIXTURE_ALPHA64_DLL));
    QVERIFY(ColumnTexts(w.GridInfoModel(), 1).join('|').contains(QStringLiteral("KorvaneAlpha")));

    // The window works through the objects start-up connected it to.
    w.cmdReg_Click();
    QCOMPARE(port.boxes.size(), std::size_t{1});
    QVERIFY(port.boxes[0].text.rfind("Selected file could not be loaded into memory!\n\n", 0) == 0);
    w.comDlg().SetChooser([](const CommonDialog&) { return std::optional<std::string>(KORVANE_FIXTURE_BETA64_DLL); });
    w.cmdBrowse_Click();
    QCOMPARE(app.oActiveX()->FileName(), std::string(KORVANE_FIXTURE_BETA64_DLL));
    QVERIFY(ColumnTexts(w.GridInfoModel(), 1).join('|').contains(QStringLiteral("KorvaneBeta")));
    w.hide();
  }

  void windowHostHandsOutTheWindowsGrids() {
    QtWindowHost host;
    host.LoadDisplayWindow();
    host.LoadMainWindow();
    QVERIFY(&host.GridInfo() == &host.MainWindow()->GridInfoModel());
    QVERIFY(&host.GridComparison() == &host.MainWindow()->GridComparisonModel());
    QVERIFY(&host.GridInfo() != &host.GridComparison());
    host.SetFileText("/tmp/a b/x.dll");
    QCOMPARE(host.MainWindow()->txtFile()->text(), QStringLiteral("/tmp/a b/x.dll"));
    host.SetActiveTab(2);
    QCOMPARE(host.MainWindow()->XTab1()->Tab(), 2);
    QVERIFY(host.MainWindow()->DisplayWindow() == host.DisplayWindow());
    QVERIFY(host.MainWindow()->windowTitle() != QStringLiteral("Korvane"));  // loaded
  }
};

QTEST_MAIN(TestMainWindow)
#include "tst_frmmain.moc"
