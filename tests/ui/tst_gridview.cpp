// A result grid on screen: the Qt view follows its FlexGrid model as the grid
// wrapper fills it, with the header colours, column widths and fonts.

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QSignalSpy>
#include <QtTest>

#include "inspection/clsGrid.h"
#include "ui/FlexGridView.h"

using namespace korvane;
using namespace korvane::ui;

namespace {

QColor Background(const FlexGridView& view, int row, int col) {
  return view.model()->index(row, col).data(Qt::BackgroundRole).value<QColor>();
}

QColor Foreground(const FlexGridView& view, int row, int col) {
  return view.model()->index(row, col).data(Qt::ForegroundRole).value<QColor>();
}

}  // namespace

class TestGridView : public QObject {
  Q_OBJECT

 private slots:
  void colourValuesOnScreen() {
    QCOMPARE(GridColour(kDesktopColor), QColor(0x3A, 0x6E, 0xA5));
    QCOMPARE(GridColour(kHeaderOrange), QColor(252, 156, 27));
    QCOMPARE(GridColour(0x000000FFu), QColor(255, 0, 0));  // blue-green-red order
    QVERIFY(!GridColour(0x8000000Fu).isValid());          // other system colours: the grid's own
  }

  void viewFollowsTheWrapper() {
    FlexGrid grid;
    FlexGridView view(grid);
    clsGrid wrapper;
    wrapper.Init(&grid);
    QCOMPARE(view.model()->rowCount(), 0);
    QCOMPARE(view.model()->columnCount(), 2);

    wrapper.AddRow("TypeLib Info", "", true);
    wrapper.AddRow("GUID:", "{1}", false);
    wrapper.AddRow("File Info", "", true);
    QCOMPARE(view.model()->rowCount(), 3);
    QCOMPARE(view.model()->index(1, 1).data().toString(), QStringLiteral("{1}"));
    QCOMPARE(Background(view, 0, 0), QColor(0x3A, 0x6E, 0xA5));
    QCOMPARE(Background(view, 0, 1), QColor(0x3A, 0x6E, 0xA5));
    QCOMPARE(Foreground(view, 0, 1), QColor(Qt::white));
    QVERIFY(!view.model()->index(1, 0).data(Qt::BackgroundRole).isValid());  // plain row
    QCOMPARE(Background(view, 2, 0), QColor(252, 156, 27));
    QCOMPARE(view.columnWidth(0), 133);  // 2000 twips
    QCOMPARE(view.columnWidth(1), 280);  // 4200 twips
    const auto alignment = view.model()->index(1, 0).data(Qt::TextAlignmentRole).value<Qt::Alignment>();
    QCOMPARE(alignment, Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));

    wrapper.ShowMsg("One of the selected files are not a valid ActiveX files!");
    QCOMPARE(view.model()->rowCount(), 1);
    QCOMPARE(view.columnWidth(0), 1333);  // 20000 twips: the message spans the grid
    QCOMPARE(Background(view, 0, 0), QColor(0x3A, 0x6E, 0xA5));

    wrapper.Clear();
    QCOMPARE(view.model()->rowCount(), 0);
  }

  void rowsAndFont() {
    FlexGrid grid;
    FlexGridView view(grid);
    QCOMPARE(view.font().family(), QStringLiteral("Tahoma"));
    QCOMPARE(view.font().pointSizeF(), 8.25);
    grid.SetRows(3);
    QCOMPARE(view.rowHeight(2), FlexGridView::kRowHeight);
    QVERIFY(view.horizontalHeader()->isHidden());
    QVERIFY(view.verticalHeader()->isHidden());
  }

  void oneResetPerBatchAndAConsistentModel() {
    FlexGrid grid;
    FlexGridView view(grid);
    QAbstractItemModelTester tester(view.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy resets(view.model(), &QAbstractItemModel::modelReset);
    clsGrid wrapper;
    wrapper.Init(&grid);
    resets.clear();
    {
      FlexGrid::Batch fill(grid);
      wrapper.Clear();
      for (int i = 0; i < 23; ++i) wrapper.AddRow(QString::number(i).toStdString(), "value", i == 0);
    }
    QCOMPARE(resets.count(), 1);
    QCOMPARE(view.model()->rowCount(), 23);
    QCOMPARE(view.columnWidth(1), 280);  // the layout followed the batch
    wrapper.ShowMsg("gone");
    QCOMPARE(resets.count(), 2);
    QCOMPARE(view.model()->rowCount(), 1);
  }

  void modelOutlivesItsView() {
    FlexGrid grid;
    {
      FlexGridView view(grid);
    }
    grid.SetRows(2);  // the view is gone: the model no longer calls it
    QCOMPARE(grid.Rows(), 2);
  }
};

QTEST_MAIN(TestGridView)
#include "tst_gridview.moc"
