#include "ui/FlexGridView.h"

#include <QHeaderView>
#include <QMouseEvent>

#include "forms/CommandGeometry.h"
#include "ui/Fonts.h"

namespace korvane::ui {

QColor GridColour(OleColor colour) {
  const std::optional<std::uint32_t> rgb = ScreenRgb(colour);
  return rgb ? QColor::fromRgb(*rgb) : QColor();
}

FlexGridModel::FlexGridModel(FlexGrid& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {
  grid_.SetObserver(this);
}

FlexGridModel::~FlexGridModel() { grid_.SetObserver(nullptr); }

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
      if (const QColor colour = GridColour(cell.backColor); colour.isValid()) return colour;
      return {};
    case Qt::ForegroundRole:
      if (const QColor colour = GridColour(cell.foreColor); colour.isValid()) return colour;
      return {};
    case Qt::TextAlignmentRole:
      // Alignment 1 and the control's "general" default both show text at the left.
      return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    default:
      return {};
  }
}

// A batch may change any number of rows, columns and cells: the model is
// reset around it.
void FlexGridModel::GridChanging() { beginResetModel(); }

void FlexGridModel::GridChanged() {
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
