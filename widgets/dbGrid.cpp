#include "widgets/dbGrid.h"

#include "store/table.h"

#include <QAbstractTableModel>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyledItemDelegate>

#include <algorithm>

namespace widgets {

namespace {

constexpr int kIndicatorWidth = 12;

// The rows of a table's current view, one column per grid column. It keeps
// its own row count so that the count changes exactly between the begin and
// end calls of each notification.
class GridModel : public QAbstractTableModel {
public:
    explicit GridModel(QObject *parent)
        : QAbstractTableModel(parent)
    {
    }

    store::Table *table = nullptr;
    QList<GridColumn> columns;
    std::vector<store::Field *> fields; // per column, null when not found

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : m_rows; }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(columns.size());
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return {};
        const GridColumn &column = columns.at(index.column());
        if (role == Qt::FontRole && column.font)
            return *column.font;
        if (role != Qt::DisplayRole)
            return {};
        store::Field *field = fields.at(static_cast<size_t>(index.column()));
        if (!field || !hasRow(index.row()))
            return {};
        QString text;
        withRow(index.row(), [&] { text = field->displayText(); });
        return text;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        // The row indicator shows no numbers.
        if (orientation != Qt::Horizontal || section < 0 || section >= columns.size())
            return {};
        if (role == Qt::DisplayRole)
            return columns.at(section).title;
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(columns.at(section).titleAlignment);
        return {};
    }

    bool hasRow(int row) const { return table && table->active() && row >= 0 && row < table->recordCount(); }

    // Runs fn with the row as the table's active record; a failing read
    // leaves the cell as fn left it rather than breaking the painting.
    void withRow(int row, const std::function<void()> &fn) const
    {
        try {
            table->withRecord(row, fn);
        } catch (...) {
        }
    }

    void resetRows()
    {
        beginResetModel();
        fields.clear();
        for (const GridColumn &column : columns)
            fields.push_back(table ? table->findField(column.fieldName) : nullptr);
        m_rows = table && table->active() ? table->recordCount() : 0;
        endResetModel();
    }

    void insertRows(int first, int last)
    {
        if (first < 0 || last < first || first > m_rows)
            return resetRows();
        beginInsertRows({}, first, last);
        m_rows += last - first + 1;
        endInsertRows();
    }

    void removeRows(int first, int last)
    {
        if (first < 0 || last < first || last >= m_rows)
            return resetRows();
        beginRemoveRows({}, first, last);
        m_rows -= last - first + 1;
        endRemoveRows();
    }

    void changeRow(int row)
    {
        if (row >= 0 && row < m_rows && !columns.isEmpty())
            emit dataChanged(index(row, 0), index(row, static_cast<int>(columns.size()) - 1));
    }

private:
    int m_rows = 0;
};

// The narrow column left of the cells: a marker on the current row.
class RowIndicator : public QHeaderView {
public:
    explicit RowIndicator(TDBGrid *grid)
        : QHeaderView(Qt::Vertical, grid)
        , m_grid(grid)
    {
        setSectionResizeMode(QHeaderView::Fixed);
        setSectionsClickable(true);
        setHighlightSections(false);
    }

    QSize sizeHint() const override { return { kIndicatorWidth, defaultSectionSize() }; }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override
    {
        // The style's header drawing leaves the painter clipped to its label.
        painter->save();
        QHeaderView::paintSection(painter, rect, logicalIndex);
        painter->restore();
        if (logicalIndex != m_grid->currentRow())
            return;
        const int h = std::min(rect.height() - 6, kIndicatorWidth - 4) / 2 * 2;
        if (h <= 0)
            return;
        const QPoint c = rect.center();
        const QPoint tip(c.x() + h / 4, c.y());
        const QPolygon marker(
            { QPoint(tip.x() - h / 2, c.y() - h / 2), tip, QPoint(tip.x() - h / 2, c.y() + h / 2) });
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(palette().color(QPalette::ButtonText));
        painter->drawPolygon(marker);
        painter->restore();
    }

private:
    TDBGrid *m_grid;
};

} // namespace

struct TDBGrid::Impl : store::TableObserver {
    TDBGrid *grid = nullptr;
    GridModel *model = nullptr;
    store::DataSource *source = nullptr;
    QPointer<QMenu> popup;
    DrawColumnCell drawColumnCell;
    bool activeControl = false;
    // Set while the grid takes the table's current row, so that its own
    // current-row change is not sent back to the table.
    int following = 0;

    store::Table *table() const { return source ? &source->dataSet() : nullptr; }

    void currentChanged(store::Table &) override { grid->followTable(); }
    void rowChanged(store::Table &, int viewRow) override { model->changeRow(viewRow); }
    void rowsInserted(store::Table &, int first, int last) override
    {
        ++following;
        model->insertRows(first, last);
        --following;
        grid->followTable();
    }
    void rowsRemoved(store::Table &, int first, int last) override
    {
        ++following;
        model->removeRows(first, last);
        --following;
        grid->followTable();
    }
    void reset(store::Table &) override { resetView(); }

    void resetView()
    {
        ++following;
        model->resetRows();
        --following;
        grid->followTable();
    }
};

// Draws the cells: the whole row highlighted only while the grid is the
// active control, no focus frame on single cells, then the grid's own
// drawing over the cell.
class GridDelegate : public QStyledItemDelegate {
public:
    GridDelegate(TDBGrid *grid, TDBGrid::Impl *d)
        : QStyledItemDelegate(grid)
        , d(d)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem opt = option;
        opt.state &= ~QStyle::State_HasFocus;
        if (!d->activeControl)
            opt.state &= ~QStyle::State_Selected;
        QStyledItemDelegate::paint(painter, opt, index);
        if (!d->drawColumnCell)
            return;
        store::Field *field = d->model->fields.at(static_cast<size_t>(index.column()));
        if (!field || !d->model->hasRow(index.row()))
            return;
        const bool selected = opt.state.testFlag(QStyle::State_Selected);
        const QPalette::ColorGroup group
            = opt.state.testFlag(QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
        painter->save();
        painter->setBrush(opt.palette.brush(group, selected ? QPalette::Highlight : QPalette::Base));
        painter->setPen(opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        if (const auto &font = d->model->columns.at(index.column()).font)
            painter->setFont(*font);
        d->model->withRow(
            index.row(), [&] { d->drawColumnCell(painter, opt.rect, index.column(), *field, selected); });
        painter->restore();
    }

private:
    TDBGrid::Impl *d;
};

TDBGrid::TDBGrid(QWidget *parent)
    : QTableView(parent)
    , d(std::make_unique<Impl>())
{
    d->grid = this;
    d->model = new GridModel(this);
    setVerticalHeader(new RowIndicator(this));
    setModel(d->model);
    setItemDelegate(new GridDelegate(this, d.get()));

    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // Tab moves the focus to the next control, not between cells.
    setTabKeyNavigation(false);
    setFocusPolicy(Qt::StrongFocus);
    setShowGrid(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setSortingEnabled(false);

    QHeaderView *titles = horizontalHeader();
    titles->setSectionsMovable(true);
    titles->setSectionsClickable(true); // a pressed look, nothing more: rows are never re-sorted
    titles->setHighlightSections(false);
    titles->setStretchLastSection(false);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->viewport()->installEventFilter(this);
    verticalHeader()->viewport()->installEventFilter(this);
    updateRowHeight();
}

TDBGrid::~TDBGrid()
{
    if (store::Table *table = d->table())
        table->removeObserver(d.get());
}

void TDBGrid::setDataSource(store::DataSource *source)
{
    if (store::Table *old = d->table())
        old->removeObserver(d.get());
    d->source = source;
    d->model->table = d->table();
    if (store::Table *table = d->table())
        table->addObserver(d.get());
    d->resetView();
}

store::DataSource *TDBGrid::dataSource() const
{
    return d->source;
}

store::Table *TDBGrid::table() const
{
    return d->table();
}

void TDBGrid::setColumns(const QList<GridColumn> &columns)
{
    d->model->columns = columns;
    d->resetView();
    for (int i = 0; i < columns.size(); ++i)
        horizontalHeader()->resizeSection(i, columns.at(i).width);
    updateRowHeight();
}

const QList<GridColumn> &TDBGrid::columns() const
{
    return d->model->columns;
}

void TDBGrid::setTitleFont(const QFont &font)
{
    horizontalHeader()->setFont(font);
}

void TDBGrid::setPopupMenu(QMenu *menu)
{
    d->popup = menu;
}

QMenu *TDBGrid::popupMenu() const
{
    return d->popup;
}

void TDBGrid::setOnDrawColumnCell(DrawColumnCell draw)
{
    d->drawColumnCell = std::move(draw);
    viewport()->update();
}

int TDBGrid::currentRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

bool TDBGrid::isActiveControl() const
{
    return d->activeControl;
}

void TDBGrid::followTable()
{
    store::Table *table = d->table();
    const int row = table && table->active() && d->model->rowCount() > 0 ? table->recNo() : -1;
    ++d->following;
    if (row < 0 || row >= d->model->rowCount()) {
        selectionModel()->clear();
    } else {
        const QModelIndex current = currentIndex();
        const int column
            = current.isValid() ? current.column() : std::max(0, horizontalHeader()->logicalIndex(0));
        const QModelIndex target = d->model->index(row, column);
        // Only the active control shows its current row as a highlighted
        // bar; another grid keeps it in the row indicator alone (the view
        // paints a selected row's background before any delegate runs).
        if (d->activeControl) {
            if (target != current || !selectionModel()->isRowSelected(row, {}))
                selectionModel()->setCurrentIndex(
                    target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        } else if (target != current || selectionModel()->hasSelection()) {
            selectionModel()->setCurrentIndex(target, QItemSelectionModel::Clear);
        }
        scrollTo(target);
    }
    --d->following;
    verticalHeader()->viewport()->update();
}

void TDBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    verticalHeader()->viewport()->update();
    store::Table *table = d->table();
    if (d->following || !table || !current.isValid() || !table->active() || table->recNo() == current.row())
        return;
    try {
        table->setRecNo(current.row());
    } catch (...) {
        // The table refused to move (say, a pending edit it could not
        // post); the grid goes back to the table's row.
        followTable();
    }
}

QModelIndex TDBGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    // Home and End go to the first and last row, as with Ctrl.
    if ((cursorAction == MoveHome || cursorAction == MoveEnd) && d->model->rowCount() > 0) {
        const QModelIndex current = currentIndex();
        const int row = cursorAction == MoveHome ? 0 : d->model->rowCount() - 1;
        return d->model->index(row, current.isValid() ? current.column() : 0);
    }
    return QTableView::moveCursor(cursorAction, modifiers);
}

void TDBGrid::keyboardSearch(const QString &) { }

void TDBGrid::mousePressEvent(QMouseEvent *event)
{
    // Any button: the grid takes the focus and the clicked row becomes
    // current before anything else (a context menu then acts on that row).
    setFocus(Qt::MouseFocusReason);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        setCurrentIndex(index);
    if (event->button() == Qt::LeftButton)
        QTableView::mousePressEvent(event);
    else
        event->accept();
}

void TDBGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}

void TDBGrid::contextMenuEvent(QContextMenuEvent *event)
{
    QPoint pos = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard && currentIndex().isValid())
        pos = viewport()->mapToGlobal(visualRect(currentIndex()).center());
    showPopup(pos);
    event->accept();
}

void TDBGrid::showPopup(const QPoint &globalPos)
{
    if (d->popup)
        d->popup->popup(globalPos);
}

void TDBGrid::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    if (!d->activeControl) {
        d->activeControl = true;
        followTable();
        viewport()->update();
        emit entered();
    }
}

void TDBGrid::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    // Losing the focus to another window or a popup leaves the grid its
    // window's active control; only a move within the window counts.
    if (d->activeControl && window()->focusWidget() != this) {
        d->activeControl = false;
        followTable();
        viewport()->update();
        emit exited();
    }
}

void TDBGrid::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateRowHeight();
}

void TDBGrid::updateRowHeight()
{
    int height = fontMetrics().height();
    for (const GridColumn &column : d->model->columns) {
        if (column.font)
            height = std::max(height, QFontMetrics(*column.font).height());
    }
    verticalHeader()->setDefaultSectionSize(height + 4);
}

bool TDBGrid::eventFilter(QObject *watched, QEvent *event)
{
    const bool onHeader
        = watched == horizontalHeader()->viewport() || watched == verticalHeader()->viewport();
    if (!onHeader)
        return QTableView::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        setFocus(Qt::MouseFocusReason);
        break;
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            emit doubleClicked();
        break;
    case QEvent::ContextMenu:
        showPopup(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    default:
        break;
    }
    return QTableView::eventFilter(watched, event);
}

} // namespace widgets
