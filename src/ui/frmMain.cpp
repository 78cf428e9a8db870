#include "ui/frmMain.h"

#include <stdexcept>

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QMouseEvent>
#include <QPalette>
#include <QTimer>

#include "platform/Process.h"
#include "forms/MainLayout.h"
#include "forms/TypeLibraryIdl.h"
#include "ui/Command.h"
#include "forms/CommandGeometry.h"
#include "ui/CommandSkins.h"
#include "ui/FlexGridView.h"
#include "ui/Frame.h"
#include "ui/Fonts.h"
#include "ui/PictureBox.h"
#include "forms/PropertyBag.h"
#include "ui/WindowArt.h"
#include "ui/TypeLibraryMenu.h"
#include "ui/XTab.h"
#include "ui/basToolsUi.h"
#include "ui/frmDisplay.h"

namespace korvane::ui {

namespace {

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
  colours.setColor(QPalette::Window, ColorFromBgr(forms::kWindowColour));
  setPalette(colours);
  setAutoFillBackground(true);
  setFixedSize(TwipsToPixels(forms::kClientWidth), TwipsToPixels(forms::kClientHeight));
  setWindowIcon(QIcon(TabIconPixmap(1)));

  xtab_ = new XTab({QString::fromUtf8(forms::TabCaption(0)), QString::fromUtf8(forms::TabCaption(1)),
                    QString::fromUtf8(forms::TabCaption(2))},
                   this);
  xtab_->setObjectName(QStringLiteral("XTab1"));
  xtab_->setGeometry(Twips(forms::kTabLeft, forms::kTabTop, forms::kTabWidth, forms::kTabHeight));
  connect(xtab_, &XTab::TabSwitched, this, [this] { XTab1_Switch(); });

  BuildControls();
  BuildTabIcons();

  exitAfterShow_ = platform::GetEnv("KORVANE_EXIT_AFTER_SHOW") == "1";
}

frmMain::~frmMain() = default;

namespace {

QRect TwipsOf(const forms::ControlPlace& place) { return Twips(place.left, place.top, place.width, place.height); }

const forms::ControlPlace& PlaceOf(int id) {
  for (const forms::ControlPlace& place : forms::MainWindowControls()) {
    if (place.id == id) return place;
  }
  throw std::logic_error("no such control in the main window's layout");
}

}  // namespace

// Every control from the form's layout: frames first, then what they hold,
// each on its tab of the tab control.
void frmMain::BuildControls() {
  std::map<int, QWidget*> frames;
  for (const forms::ControlPlace& place : forms::MainWindowControls()) {
    const QString text = QString::fromUtf8(place.text);
    QWidget* parent = place.parentId != 0 ? frames.at(place.parentId) : xtab_;
    QWidget* control = nullptr;
    switch (place.kind) {
      case forms::ControlKind::Frame: {
        auto* frame = new Frame(text, parent);
        frame->setAutoFillBackground(true);
        frames[place.id] = frame;
        control = frame;
        break;
      }
      case forms::ControlKind::Label: {
        auto* label = new QLabel(text, parent);
        label->setWordWrap(place.id == forms::kIdLabel2);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        control = label;
        break;
      }
      case forms::ControlKind::TextBox:
        control = new QLineEdit(parent);
        break;
      case forms::ControlKind::Button: {
        PropertyBag designed;
        designed.WriteProperty("Caption", place.text, "Command");
        control = new Command(designed, parent);
        break;
      }
      case forms::ControlKind::Picture:
        control = new PictureBox(&DecorationPixmap, parent);
        break;
      case forms::ControlKind::Grid:
        // The comparison grid is made when its tab first opens.
        if (place.id == forms::kIdGridComparison) continue;
        gridinfo_ = new FlexGridView(GridInfoModel(), parent);
        gridinfo_->setToolTip(QString::fromLatin1(forms::kGridTip));
        typeLibraryMenu_ =
            new TypeLibraryMenu(gridinfo_, [this] { return form_.InspectedFile(); }, forms::TypeLibraryIdl, this);
        control = gridinfo_;
        break;
    }
    control->setObjectName(QString::fromLatin1(place.name));
    control->setGeometry(TwipsOf(place));
    controls_[place.id] = control;
    if (place.parentId == 0) xtab_->AddToTab(place.tab, control);
  }
  txtFile_ = static_cast<QLineEdit*>(controls_.at(forms::kIdTxtFile));
  txtFirstFile_ = static_cast<QLineEdit*>(controls_.at(forms::kIdTxtFirstFile));
  txtSecondFile_ = static_cast<QLineEdit*>(controls_.at(forms::kIdTxtSecondFile));
  lblShell_ = static_cast<QLabel*>(controls_.at(forms::kIdLblShell));
  label2_ = static_cast<QLabel*>(controls_.at(forms::kIdLabel2));
  frmComparison_ = static_cast<Frame*>(controls_.at(forms::kIdFrmComparison));
  const std::pair<Command**, int> buttons[] = {
      {&cmdBrowse_, forms::kIdCmdBrowse},     {&cmdReg_, forms::kIdCmdReg},
      {&cmdUnReg_, forms::kIdCmdUnReg},       {&cmdSelectOne_, forms::kIdCmdSelectOne},
      {&cmdSelectTwo_, forms::kIdCmdSelectTwo}, {&cmdShellEX_, forms::kIdCmdShellEX},
      {&cmdReadme_, forms::kIdCmdReadme},     {&cmdWeb_, forms::kIdCmdWeb}};
  for (const auto& [member, id] : buttons) *member = static_cast<Command*>(controls_.at(id));

  connect(cmdBrowse_, &Command::Click, this, &frmMain::cmdBrowse_Click);
  connect(cmdReg_, &Command::Click, this, &frmMain::cmdReg_Click);
  connect(cmdUnReg_, &Command::Click, this, &frmMain::cmdUnReg_Click);
  connect(cmdSelectOne_, &Command::Click, this, &frmMain::cmdSelectOne_Click);
  connect(cmdSelectTwo_, &Command::Click, this, &frmMain::cmdSelectTwo_Click);
  connect(cmdShellEX_, &Command::Click, this, &frmMain::cmdShellEX_Click);
  connect(cmdReadme_, &Command::Click, this, &frmMain::cmdReadme_Click);
  connect(cmdWeb_, &Command::Click, this, &frmMain::cmdWeb_Click);
  connect(gridinfo_, &FlexGridView::CellDoubleClicked, this, &frmMain::gridinfo_DblClick);
}

void frmMain::BuildTabIcons() {
  const QPixmap pictures[3] = {TabIconPixmap(1), TabIconPixmap(2), TabIconPixmap(3)};
  for (const forms::TabIconPlace& place : forms::TabIcons()) {
    auto* icon = new TabIcon(place.index, xtab_);
    icon->setObjectName(QStringLiteral("picTabIcon%1").arg(place.index));
    icon->setGeometry(Twips(place.left, place.top, place.width, place.height));
    icon->setPixmap(pictures[place.picture - 1]);
    xtab_->AddToTab(place.tab, icon);
    tabIcons_[place.index] = icon;
    connect(icon, &TabIcon::Clicked, this, &frmMain::picTabIcon_Click);
    connect(icon, &TabIcon::GotFocus, this, &frmMain::picTabIcon_GotFocus);
  }
}

FlexGridView* frmMain::gridcomparison() {
  if (gridcomparison_ == nullptr) {
    const forms::ControlPlace& place = PlaceOf(forms::kIdGridComparison);
    gridcomparison_ = new FlexGridView(GridComparisonModel(), frmComparison_);
    gridcomparison_->setObjectName(QString::fromLatin1(place.name));
    gridcomparison_->setGeometry(TwipsOf(place));
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
