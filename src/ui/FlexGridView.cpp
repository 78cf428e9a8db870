#include "ui/FlexGridView.h"

#include <QHeaderView>
#include <QMouseEvent>

#include "ui/CommandGeometry.h"
#include "ui/CommandSkins.h"
#include "ui/Fonts.h"

namespace korvane::ui {

namespace {
constexpr OleColor kSystemColourFlag = 0x80000000u;
constexpr OleColor kSystemDesktop = 0x80000001u;
}  // namespace

QColor GridColour(OleColor colour) {
  if (colour == kSystemDesktop) return QColor::fromRgb(kDesktopRgb);
  if (colour & kSystemColourFlag) return {};  // other system colours: the grid's own
  return ColorFromBgr(colour);
}

FlexGridModel::FlexGridModel(FlexGrid& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {
  grid_.SetChangedCallback([this] { Reload(); });
}

FlexGridModel::~FlexGridModel() { grid_.SetChangedCallback(nullptr); }

int FlexGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : grid_.Rows();
}

int FlexGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : grid_.Cols();
}

QVariant FlexGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const FlexCell& cell = grid_.Cell(index.row(), index.column());
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(cell.text);
    case Qt::BackgroundRole:
      if (cell.backColor != kColorDefault) {
        QColor colour = GridColour(cell.backColor);
        if (colour.isValid()) return colour;
      }
      return {};
    case Qt::ForegroundRole:
      if (cell.foreColor != kColorDefault) {
        QColor colour = GridColour(cell.foreColor);
        if (colour.isValid()) return colour;
      }
      return {};
    case Qt::TextAlignmentRole:
      // Alignment 1 and the control's "general" default both show text at the left.
      return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    default:
      return {};
  }
}

void FlexGridModel::Reload() {
  beginResetModel();
  endResetModel();
  emit Reloaded();
}

FlexGridView::FlexGridView(FlexGrid& grid, QWidget* parent)
    : QTableView(parent), model_(new FlexGridModel(grid, this)) {
  setModel(model_);
  setFont(GridFont());
  horizontalHeader()->hide();
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(kRowHeight);
  verticalHeader()->setMinimumSectionSize(kRowHeight);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setWordWrap(false);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  QPalette colours = palette();
  colours.setColor(QPalette::Base, Qt::white);
  colours.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));  // the empty area
  setPalette(colours);
  connect(model_, &FlexGridModel::Reloaded, this, &FlexGridView::ApplyColumnLayout);
  ApplyColumnLayout();
}

void FlexGridView::ApplyColumnLayout() {
  const FlexGrid& grid = model_->Grid();
  for (int col = 0; col < grid.Cols(); ++col) {
    const int twips = grid.ColWidth(col);
    setColumnWidth(col, twips >= 0 ? TwipsToPixels(twips) : 64);
  }
}

void FlexGridView::mouseDoubleClickEvent(QMouseEvent* event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  QTableView::mouseDoubleClickEvent(event);
  if (index.isValid()) emit CellDoubleClicked(index.row(), index.column());
}

}  // namespace korvane::ui
