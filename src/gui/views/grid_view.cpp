#include "gui/views/grid_view.h"

#include "core/app/window_geometry.h"
#include "gui/views/grid_table_model.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QToolTip>

namespace halvana {

GridView::GridView(GridModel& grid, QWidget* parent) : QTableView(parent), m_model(new GridTableModel(grid, this))
{
    setModel(m_model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    // The unit's grids were laid out in twips for a narrow 8-point font; a larger one would not fit.
    QFont small = font();
    small.setPointSize(8);
    small.setStretch(QFont::SemiCondensed);

    QHeaderView* columns = horizontalHeader();
    columns->setVisible(m_model->headerRows() > 0);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setMinimumSectionSize(8);
    columns->setHighlightSections(false);

    QHeaderView* rows = verticalHeader();
    rows->setVisible(m_model->headerColumns() > 0);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(4);
    rows->setHighlightSections(false);
    setFont(small);
    fitRowsToFont();

    for (QHeaderView* header : {columns, rows})
        header->viewport()->installEventFilter(this);
    // The corner over the first column shows the grid's top-left heading ("Reg", "Meter No.").
    m_corner = findChild<QAbstractButton*>();
    if (m_corner)
        m_corner->installEventFilter(this);

    connect(&grid, &GridModel::columnFormatChanged, this, &GridView::applyColumnFormat);
    connect(&grid, &GridModel::rowVisibilityChanged, this, &GridView::applyRowVisibility);
    connect(&grid, &GridModel::cellsChanged, this, [this](int firstRow, int firstColumn) {
        if (firstRow == 0 && firstColumn == 0 && m_corner)
            m_corner->update();
    });
    connect(m_model, &QAbstractItemModel::dataChanged, this, &GridView::widenForNumbers);
    connect(columns, &QHeaderView::sectionResized, this, &GridView::fitSizeToContent);
    connect(m_model, &QAbstractItemModel::modelReset, this, &GridView::applyAllFormats);
    connect(m_model, &QAbstractItemModel::columnsInserted, this, [this](const QModelIndex&, int first, int last) {
        for (int c = first; c <= last; ++c)
            applyColumnFormat(m_model->gridColumn(c));
    });
    applyAllFormats();
}

void GridView::fitRowsToFont()
{
    m_model->setBaseFont(font());
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    fitSizeToContent();
}

void GridView::setSizedToContent(bool sized)
{
    m_sizedToContent = sized;
    const Qt::ScrollBarPolicy policy = sized ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
    setHorizontalScrollBarPolicy(policy);
    setVerticalScrollBarPolicy(policy);
    if (!sized) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    fitSizeToContent();
}

void GridView::fitSizeToContent()
{
    if (m_sizedToContent)
        setFixedSize(contentWidth(), contentHeight());
}

void GridView::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitRowsToFont();
}

GridModel& GridView::grid() const
{
    return m_model->grid();
}

void GridView::applyAllFormats()
{
    for (int c = 0; c < grid().columnCount(); ++c)
        applyColumnFormat(c);
    for (int r = m_model->headerRows(); r < grid().rowCount(); ++r) {
        if (grid().isRowHidden(r))
            applyRowVisibility(r);
    }
    if (m_corner)
        m_corner->update();
}

void GridView::applyColumnFormat(int gridColumn)
{
    const int pixels = twipsToPixels(grid().columnWidth(gridColumn));
    if (gridColumn < m_model->headerColumns()) {
        verticalHeader()->setVisible(pixels > 0);
        verticalHeader()->setFixedWidth(pixels);
        return;
    }
    const int column = m_model->modelColumn(gridColumn);
    if (column >= m_model->columnCount())
        return;
    // A width of 0 is how the grids hide a column ("Group" in the meter list).
    setColumnHidden(column, pixels == 0);
    if (pixels > 0)
        setColumnWidth(column, pixels);
}

// The widths come from the unit's layout, made for a narrower font than most desktops have. A
// label may be cut short (its tool tip shows it whole), but a number never is: its column grows.
void GridView::widenForNumbers(const QModelIndex& topLeft, const QModelIndex& bottomRight)
{
    const QFontMetrics metrics = fontMetrics();
    const int margins = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 1;
    int widestCharacter = 0;
    for (const QChar ch : QStringLiteral("0123456789.-+eE"))
        widestCharacter = std::max(widestCharacter, metrics.horizontalAdvance(ch));
    for (int c = topLeft.column(); c <= bottomRight.column(); ++c) {
        if (isColumnHidden(c))
            continue;
        const int width = columnWidth(c);
        int needed = 0;
        for (int r = topLeft.row(); r <= bottomRight.row(); ++r) {
            const QString text = grid().text(m_model->gridRow(r), m_model->gridColumn(c));
            // A value short enough to fit even in the widest characters a number has is not
            // measured (nor is a label that short).
            if (int(text.size()) * widestCharacter + margins <= width)
                continue;
            bool number = false;
            text.toDouble(&number);
            if (number)
                needed = std::max(needed, metrics.horizontalAdvance(text) + margins);
        }
        if (needed > width)
            setColumnWidth(c, needed);
    }
}

void GridView::applyRowVisibility(int gridRow)
{
    const int row = m_model->modelRow(gridRow);
    if (row >= 0 && row < m_model->rowCount())
        setRowHidden(row, grid().isRowHidden(gridRow));
}

QPoint GridView::gridCellAt(const QPoint& viewportPos) const
{
    const QModelIndex index = indexAt(viewportPos);
    if (!index.isValid())
        return {-1, -1};
    return {m_model->gridColumn(index.column()), m_model->gridRow(index.row())};
}

void GridView::selectGridColumn(int column)
{
    const int c = m_model->modelColumn(column);
    if (c < 0 || c >= m_model->columnCount() || m_model->rowCount() == 0)
        return;
    selectColumn(c);
    scrollTo(m_model->index(std::max(0, rowAt(0)), c), QAbstractItemView::EnsureVisible);
}

int GridView::contentWidth() const
{
    int width = 2 * frameWidth() + horizontalHeader()->length();
    if (!verticalHeader()->isHidden())
        width += verticalHeader()->width();
    return width;
}

int GridView::contentHeight() const
{
    int height = 2 * frameWidth() + verticalHeader()->length();
    if (!horizontalHeader()->isHidden())
        height += horizontalHeader()->sizeHint().height();
    return height;
}

// A reply rewrites a block of cells at once; only the part of it on screen is repainted, and
// nothing when it lies outside the viewport (most meter columns of a wide table).
void GridView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles)
{
    if (topLeft == bottomRight) {
        QTableView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    if (!isVisible() || !topLeft.isValid() || !bottomRight.isValid())
        return;
    const int left = columnViewportPosition(topLeft.column());
    const int right = columnViewportPosition(bottomRight.column()) + columnWidth(bottomRight.column());
    const int top = rowViewportPosition(topLeft.row());
    const int bottom = rowViewportPosition(bottomRight.row()) + rowHeight(bottomRight.row());
    const QRect changed = QRect(QPoint(left, top), QPoint(right, bottom)).intersected(viewport()->rect());
    if (!changed.isEmpty())
        viewport()->update(changed);
}

bool GridView::viewportEvent(QEvent* event)
{
    // A cell too narrow for its text shows the whole text when the mouse rests on it.
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        const QRect cell = visualRect(index);
        const QString text = index.data().toString();
        if (index.isValid() && sizeHintForIndex(index).width() > cell.width())
            QToolTip::showText(help->globalPos(), text, viewport(), cell);
        else
            QToolTip::hideText();
        return true;
    }
    return QTableView::viewportEvent(event);
}

void GridView::mousePressEvent(QMouseEvent* event)
{
    QTableView::mousePressEvent(event);
    const QPoint cell = gridCellAt(event->position().toPoint());
    if (cell.x() >= 0)
        emit gridPressed(cell.y(), cell.x(), event->button(), event->globalPosition().toPoint());
}

void GridView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    const QPoint cell = gridCellAt(event->position().toPoint());
    if (cell.x() >= 0)
        emit gridDoubleClicked(cell.y(), cell.x());
}

bool GridView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_corner && event->type() == QEvent::Paint)
        return paintCorner(m_corner);
    if (event->type() == QEvent::MouseButtonPress) {
        auto* press = static_cast<QMouseEvent*>(event);
        const QPoint pos = press->position().toPoint();
        const QPoint global = press->globalPosition().toPoint();
        if (watched == horizontalHeader()->viewport()) {
            const int section = horizontalHeader()->logicalIndexAt(pos);
            if (section >= 0)
                emit gridPressed(0, m_model->gridColumn(section), press->button(), global);
        } else if (watched == verticalHeader()->viewport()) {
            const int section = verticalHeader()->logicalIndexAt(pos);
            if (section >= 0)
                emit gridPressed(m_model->gridRow(section), 0, press->button(), global);
        }
    }
    return QTableView::eventFilter(watched, event);
}

bool GridView::paintCorner(QWidget* corner)
{
    if (m_model->headerRows() == 0 || m_model->headerColumns() == 0)
        return false;
    QStyleOptionHeader option;
    option.initFrom(corner);
    option.rect = corner->rect();
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.text = grid().text(0, 0);
    option.textAlignment = Qt::AlignCenter;
    QPainter painter(corner);
    QFont font = painter.font();
    font.setBold(grid().isBold(0, 0));
    painter.setFont(font);
    corner->style()->drawControl(QStyle::CE_Header, &option, &painter, corner);
    return true;
}

} // namespace halvana
