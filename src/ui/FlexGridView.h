#pragma once
// A result grid on screen: a Qt table view over a FlexGrid model. Each batch
// of changes of the model resets the Qt model once; column widths and cell
// colours follow it.

#include <QAbstractTableModel>
#include <QTableView>

#include "inspection/FlexGrid.h"

namespace korvane::ui {

// 0x00BBGGRR colours and system-colour references to Qt colours; invalid for
// the colours the view keeps its own.
QColor GridColour(OleColor colour);

class FlexGridModel : public QAbstractTableModel, private FlexGridObserver {
  Q_OBJECT
 public:
  explicit FlexGridModel(FlexGrid& grid, QObject* parent = nullptr);
  ~FlexGridModel() override;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  FlexGrid& Grid() const { return grid_; }

 signals:
  void Reloaded();

 private:
  void GridChanging() override;
  void GridChanged() override;

  FlexGrid& grid_;
};

class FlexGridView : public QTableView {
  Q_OBJECT
 public:
  static constexpr int kRowHeight = 16;  // 240 twips

  explicit FlexGridView(FlexGrid& grid, QWidget* parent = nullptr);

  FlexGrid& Grid() const { return model_->Grid(); }
  FlexGridModel* Model() const { return model_; }

 signals:
  // The row and column under the pointer at a double click.
  void CellDoubleClicked(int row, int col);

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void ApplyColumnLayout();

  FlexGridModel* model_;
};

}  // namespace korvane::ui
