#include "ui/frmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QMouseEvent>
#include <QPalette>
#include <QTimer>

#include "platform/Process.h"
#include "ui/Command.h"
#include "forms/CommandGeometry.h"
#include "ui/CommandSkins.h"
#include "ui/FlexGridView.h"
#include "ui/Frame.h"
#include "ui/Fonts.h"
#include "ui/PictureBox.h"
#include "forms/PropertyBag.h"
#include "ui/WindowArt.h"
#include "ui/XTab.h"
#include "ui/basToolsUi.h"
#include "ui/frmDisplay.h"

namespace korvane::ui {

namespace {

constexpr OleColor kWindowColour = 0x00FBFDFB;

QRect Twips(int left, int top, int width, int height) {
  return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}

}  // namespace

TabIcon::TabIcon(int index, QWidget* parent) : QLabel(parent), index_(index) {
  setFocusPolicy(Qt::ClickFocus);
  setAlignment(Qt::AlignCenter);
}

void TabIcon::mousePressEvent(QMouseEvent* event) {
  QLabel::mousePressEvent(event);
  emit Clicked(index_);
}

void TabIcon::focusInEvent(QFocusEvent* event) {
  QLabel::focusInEvent(event);
  emit GotFocus(index_);
}

frmMain::frmMain(QWidget* parent) : QWidget(parent), form_(*this) {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(QStringLiteral("Korvane"));
  setFont(ButtonFont());
  QPalette colours = palette();
  colours.setColor(QPalette::Window, ColorFromBgr(kWindowColour));
  setPalette(colours);
  setAutoFillBackground(true);
  setFixedSize(TwipsToPixels(6495), TwipsToPixels(5415));
  setWindowIcon(QIcon(TabIconPixmap(1)));

  xtab_ = new XTab({QString(18, QLatin1Char(' ')) + QStringLiteral("Korvane && File Info"),
                    QString(17, QLatin1Char(' ')) + QStringLiteral("File Comparison"),
                    QString(18, QLatin1Char(' ')) + QStringLiteral("Options && Help")},
                   this);
  xtab_->setObjectName(QStringLiteral("XTab1"));
  xtab_->setGeometry(Twips(60, 60, 6375, 5325));
  connect(xtab_, &XTab::TabSwitched, this, [this] { XTab1_Switch(); });

  BuildFileTab();
  BuildComparisonTab();
  BuildOptionsTab();
  BuildTabIcons();

  exitAfterShow_ = platform::GetEnv("KORVANE_EXIT_AFTER_SHOW") == "1";
}

frmMain::~frmMain() = default;

Command* frmMain::MakeButton(QWidget* parent, const char* name, const char* caption, int left,
                             int top, int width, int height) {
  PropertyBag designed;
  designed.WriteProperty("Caption", caption, "Command");
  auto* button = new Command(designed, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(Twips(left, top, width, height));
  return button;
}

Frame* frmMain::MakeFrame(QWidget* parent, const char* title, int left, int top, int width,
                              int height) {
  auto* frame = new Frame(QString::fromLatin1(title), parent);
  frame->setGeometry(Twips(left, top, width, height));
  frame->setAutoFillBackground(true);
  return frame;
}

void frmMain::BuildFileTab() {
  Frame* frmFile = MakeFrame(xtab_, "Select file (dll, ocx, exe)", 60, 960, 6255, 675);
  frmFile->setObjectName(QStringLiteral("frmFile"));
  auto* label1 = new QLabel(QStringLiteral("Select File:"), frmFile);
  label1->setObjectName(QStringLiteral("Label1"));
  label1->setGeometry(Twips(120, 300, 780, 195));
  txtFile_ = new QLineEdit(frmFile);
  txtFile_->setObjectName(QStringLiteral("txtFile"));
  txtFile_->setGeometry(Twips(1020, 240, 4185, 315));
  cmdBrowse_ = MakeButton(frmFile, "cmdBrowse", "Browse", 5250, 240, 855, 315);
  xtab_->AddToTab(0, frmFile);

  cmdReg_ = MakeButton(xtab_, "cmdReg", "Register ActiveX", 90, 1740, 1545, 315);
  cmdUnReg_ = MakeButton(xtab_, "cmdUnReg", "Unregister ActiveX", 1710, 1740, 1545, 315);
  xtab_->AddToTab(0, cmdReg_);
  xtab_->AddToTab(0, cmdUnReg_);

  Frame* frame1 = MakeFrame(xtab_, "File Info / ActiveX Info", 60, 2130, 6255, 3135);
  frame1->setObjectName(QStringLiteral("Frame1"));
  gridinfo_ = new FlexGridView(GridInfoModel(), frame1);
  gridinfo_->setObjectName(QStringLiteral("gridinfo"));
  gridinfo_->setGeometry(Twips(60, 210, 6135, 2835));
  gridinfo_->setToolTip(QString::fromLatin1(forms::kGridTip));
  xtab_->AddToTab(0, frame1);

  connect(cmdBrowse_, &Command::Click, this, &frmMain::cmdBrowse_Click);
  connect(cmdReg_, &Command::Click, this, &frmMain::cmdReg_Click);
  connect(cmdUnReg_, &Command::Click, this, &frmMain::cmdUnReg_Click);
  connect(gridinfo_, &FlexGridView::CellDoubleClicked, this, &frmMain::gridinfo_DblClick);
}

void frmMain::BuildComparisonTab() {
  Frame* one = MakeFrame(xtab_, "First File", 60, 960, 3075, 765);
  one->setObjectName(QStringLiteral("frmFileOne"));
  txtFirstFile_ = new QLineEdit(one);
  txtFirstFile_->setObjectName(QStringLiteral("txtFirstFile"));
  txtFirstFile_->setGeometry(Twips(120, 300, 2445, 315));
  cmdSelectOne_ = MakeButton(one, "cmdSelectOne", "...", 2610, 300, 345, 315);
  xtab_->AddToTab(1, one);

  Frame* two = MakeFrame(xtab_, "Second File", 3240, 960, 3075, 765);
  two->setObjectName(QStringLiteral("frmFileTwo"));
  txtSecondFile_ = new QLineEdit(two);
  txtSecondFile_->setObjectName(QStringLiteral("txtSecondFile"));
  txtSecondFile_->setGeometry(Twips(120, 300, 2445, 315));
  cmdSelectTwo_ = MakeButton(two, "cmdSelectTwo", "...", 2610, 300, 345, 315);
  xtab_->AddToTab(1, two);

  frmComparison_ = MakeFrame(xtab_, "Comparison Result", 60, 1740, 6255, 3555);
  frmComparison_->setObjectName(QStringLiteral("frmComparison"));
  xtab_->AddToTab(1, frmComparison_);

  connect(cmdSelectOne_, &Command::Click, this, &frmMain::cmdSelectOne_Click);
  connect(cmdSelectTwo_, &Command::Click, this, &frmMain::cmdSelectTwo_Click);
}

void frmMain::BuildOptionsTab() {
  lblShell_ = new QLabel(
      QStringLiteral("Shell Extensions are Enabled. Click Disable to remove Shell Extensions:"), xtab_);
  lblShell_->setObjectName(QStringLiteral("lblShell"));
  lblShell_->setGeometry(Twips(210, 1200, 5055, 195));
  cmdShellEX_ = MakeButton(xtab_, "cmdShellEX", "Enable", 210, 1500, 975, 345);
  label2_ = new QLabel(QStringLiteral("Tip: For a full report on ActiveX files right click a folder and "
                                      "select 'ActiveX Report'. Note: Shell Extensions must be enabled."),
                       xtab_);
  label2_->setObjectName(QStringLiteral("Label2"));
  label2_->setWordWrap(true);
  label2_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label2_->setGeometry(Twips(210, 2010, 5940, 435));
  auto* picture1 = new PictureBox(&DecorationPixmap, xtab_);
  picture1->setObjectName(QStringLiteral("Picture1"));
  picture1->setGeometry(Twips(3570, 3390, 2760, 1305));
  cmdReadme_ = MakeButton(xtab_, "cmdReadme", "Readme.txt", 2850, 4770, 1605, 435);
  cmdWeb_ = MakeButton(xtab_, "cmdWeb", "Visit Website", 4560, 4770, 1605, 435);
  for (QWidget* control : std::initializer_list<QWidget*>{lblShell_, cmdShellEX_, label2_, picture1,
                                                          cmdReadme_, cmdWeb_}) {
    xtab_->AddToTab(2, control);
  }
  connect(cmdShellEX_, &Command::Click, this, &frmMain::cmdShellEX_Click);
  connect(cmdReadme_, &Command::Click, this, &frmMain::cmdReadme_Click);
  connect(cmdWeb_, &Command::Click, this, &frmMain::cmdWeb_Click);
}

void frmMain::BuildTabIcons() {
  // Icons 1, 2, 3 on the first tab, 11, 22, 33 on the second, 111, 222, 333 on
  // the third; the last digit picks the picture and the place.
  const QRect places[3] = {Twips(105, 150, 705, 660), Twips(2385, 150, 705, 660),
                           Twips(4470, 120, 705, 660)};
  const int bases[3] = {1, 11, 111};
  const QPixmap pictures[3] = {TabIconPixmap(1), TabIconPixmap(2), TabIconPixmap(3)};
  for (int tab = 0; tab < 3; ++tab) {
    for (int which = 1; which <= 3; ++which) {
      const int index = bases[tab] * which;
      auto* icon = new TabIcon(index, xtab_);
      icon->setObjectName(QStringLiteral("picTabIcon%1").arg(index));
      icon->setGeometry(places[which - 1]);
      icon->setPixmap(pictures[which - 1]);
      xtab_->AddToTab(tab, icon);
      tabIcons_[index] = icon;
      connect(icon, &TabIcon::Clicked, this, &frmMain::picTabIcon_Click);
      connect(icon, &TabIcon::GotFocus, this, &frmMain::picTabIcon_GotFocus);
    }
  }
}

FlexGridView* frmMain::gridcomparison() {
  if (gridcomparison_ == nullptr) {
    gridcomparison_ = new FlexGridView(GridComparisonModel(), frmComparison_);
    gridcomparison_->setObjectName(QStringLiteral("gridcomparison"));
    gridcomparison_->setGeometry(Twips(60, 210, 6135, 3255));
    gridcomparison_->setToolTip(QString::fromLatin1(forms::kGridTip));
    connect(gridcomparison_, &FlexGridView::CellDoubleClicked, this, &frmMain::gridcomparison_DblClick);
    gridcomparison_->show();  // shows with its frame
  }
  return gridcomparison_;
}

TabIcon* frmMain::picTabIcon(int index) const {
  auto it = tabIcons_.find(index);
  return it == tabIcons_.end() ? nullptr : it->second;
}

frmDisplay* frmMain::DisplayWindow() {
  if (display_ == nullptr) {
    ownDisplay_ = std::make_unique<frmDisplay>(this);
    display_ = ownDisplay_.get();
  }
  return display_;
}

void frmMain::Form_Load() { form_.Load(); }

void frmMain::closeEvent(QCloseEvent* event) {
  event->accept();
  form_.Unload();
}

void frmMain::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // For start-up timing: leave as soon as the window has been shown once.
  if (exitAfterShow_) QTimer::singleShot(0, qApp, [] { QApplication::exit(0); });
}

void frmMain::XTab1_Switch() {
  if (xtab_->Tab() == 1) gridcomparison();
  form_.TabSwitched();
}

QLineEdit* frmMain::Box(forms::FileBox box) const {
  switch (box) {
    case forms::FileBox::First: return txtFirstFile_;
    case forms::FileBox::Second: return txtSecondFile_;
    case forms::FileBox::File: break;
  }
  return txtFile_;
}

std::optional<std::string> frmMain::ChooseFile(const forms::FileDialogRequest& request) {
  comDlg_.FileName = request.fileName;
  comDlg_.Filter = request.filter;
  comDlg_.Flags = request.flags;
  if (comDlg_.ShowOpen(this)) return comDlg_.FileName;
  return std::nullopt;
}

std::string frmMain::FileBoxText(forms::FileBox box) const { return Box(box)->text().toStdString(); }

void frmMain::SetFileBoxText(forms::FileBox box, const std::string& text) {
  // A path is shown from its beginning.
  Box(box)->setText(QString::fromStdString(text));
  Box(box)->setCursorPosition(0);
}

void frmMain::SetWindowCaption(const std::string& caption) { setWindowTitle(QString::fromStdString(caption)); }

std::string frmMain::ShellButtonCaption() const { return cmdShellEX_->Caption().toStdString(); }

void frmMain::SetShellButtonCaption(const std::string& caption) {
  cmdShellEX_->SetCaption(QString::fromStdString(caption));
}

void frmMain::SetShellLabel(const std::string& text) { lblShell_->setText(QString::fromStdString(text)); }

int frmMain::ActiveTab() const { return xtab_->Tab(); }

void frmMain::SetActiveTab(int tab) { xtab_->SetTab(tab); }

void frmMain::FocusTabControl() { xtab_->setFocus(Qt::OtherFocusReason); }

void frmMain::InitialiseButtons() { SetupCommandButtons(this, true, true); }

void frmMain::ShowDetail(const std::string& text) { DisplayWindow()->ShowText(QString::fromStdString(text)); }

}  // namespace korvane::ui
