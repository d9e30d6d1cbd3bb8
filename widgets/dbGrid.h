#pragma once

#include <QFont>
#include <QList>
#include <QString>
#include <QTableView>

#include <functional>
#include <memory>
#include <optional>

class QMenu;

namespace store {
class DataSource;
class Field;
class Table;
} // namespace store

namespace widgets {

// A column of a data grid: the field it shows and how.
struct GridColumn {
    QString fieldName; // looked up ignoring case; an unknown field shows empty cells
    QString title;
    Qt::Alignment titleAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    int width = 64;
    std::optional<QFont> font; // the grid's font when not given
};

// Draws over a cell after the grid has drawn it. The row being drawn is the
// table's active record meanwhile, so fields of that row can be read; the
// painter's brush is the cell's background (the selection colour on the
// highlighted row) and its pen the cell's text colour.
using DrawColumnCell = std::function<void(
    QPainter *painter, const QRect &rect, int column, store::Field &field, bool selected)>;

// A read-only grid over the current view of a table: a title row, a row
// indicator showing the current row, and the table's current row as the
// grid's current row in both directions. The whole row is highlighted while
// the grid is its window's active control. It never edits.
class TDBGrid : public QTableView {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget *parent = nullptr);
    ~TDBGrid() override;

    // The table must outlive the grid or be unbound first (null).
    void setDataSource(store::DataSource *source);
    store::DataSource *dataSource() const;
    store::Table *table() const;

    void setColumns(const QList<GridColumn> &columns);
    const QList<GridColumn> &columns() const;
    void setTitleFont(const QFont &font);

    void setPopupMenu(QMenu *menu);
    QMenu *popupMenu() const;

    void setOnDrawColumnCell(DrawColumnCell draw);

    // The current row of the grid's view, -1 when it shows no rows.
    int currentRow() const;
    // Whether the grid is its window's active control, the one that holds
    // or last held the focus there.
    bool isActiveControl() const;

signals:
    // A left double-click anywhere in the grid, titles included.
    void doubleClicked();
    // The grid became, or stopped being, its window's active control. A
    // window losing and regaining activation does not count.
    void entered();
    void exited();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

public:
    // Typing letters does not jump between rows.
    void keyboardSearch(const QString &search) override;

private:
    friend class GridDelegate;
    struct Impl;
    void followTable();
    void updateRowHeight();
    void showPopup(const QPoint &globalPos);
    std::unique_ptr<Impl> d;
};

} // namespace widgets
