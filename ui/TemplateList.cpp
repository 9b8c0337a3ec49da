#include "ui/TemplateList.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QTextLayout>

#include "project/TemplateLibrary.h"
#include "ui/DialogSaveTemplate.h"

namespace {

constexpr int kPicture = boxora::kTemplatePreviewSize;
constexpr int kPadding = 6;  // around the picture inside a cell
constexpr int kCellWidth = kPicture + 2 * 14;
constexpr int kNameLines = 2;

// The name laid out in at most two centred lines, the second elided.
void DrawName(QPainter* painter, const QRect& rect, const QString& text, const QFont& font) {
    const QFontMetrics metrics(font);
    QTextLayout layout(text, font);
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList lines;
    while (lines.size() < kNameLines) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(rect.width());
        if (lines.size() == kNameLines - 1) {
            lines << metrics.elidedText(text.mid(line.textStart()), Qt::ElideRight, rect.width());
        } else {
            lines << text.mid(line.textStart(), line.textLength()).trimmed();
        }
    }
    layout.endLayout();
    painter->setFont(font);
    int y = rect.top();
    for (const QString& line : lines) {
        painter->drawText(QRect(rect.left(), y, rect.width(), metrics.height()), Qt::AlignHCenter | Qt::AlignTop, line);
        y += metrics.height();
    }
}

}  // namespace

TemplateItemDelegate::TemplateItemDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QRect TemplateItemDelegate::PictureRect(const QRect& cell) {
    return QRect(cell.left() + (cell.width() - kPicture) / 2, cell.top() + kPadding, kPicture, kPicture);
}

QRect TemplateItemDelegate::NameRect(const QRect& cell, const QFontMetrics& metrics) {
    const QRect picture = PictureRect(cell);
    return QRect(cell.left() + 3, picture.bottom() + 1 + kPadding, cell.width() - 6, metrics.height() * kNameLines);
}

QSize TemplateItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    const QFontMetrics metrics(option.font);
    return QSize(kCellWidth, kPadding + kPicture + kPadding + metrics.height() * kNameLines + kPadding);
}

void TemplateItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    const QRect cell = option.rect.adjusted(1, 1, -1, -1);
    const QPalette& palette = option.palette;
    const bool selected = option.state & QStyle::State_Selected;
    const bool hot = option.state & QStyle::State_MouseOver;
    const bool active = option.state & QStyle::State_Active;

    // Cell background: the selection stays visible when the list has no focus.
    if (selected || hot) {
        QColor fill = palette.color(active ? QPalette::Active : QPalette::Inactive, QPalette::Highlight);
        QColor border = fill;
        fill.setAlpha(selected ? (active ? 70 : 45) : 28);
        border.setAlpha(selected ? 170 : 70);
        QPainterPath path;
        path.addRoundedRect(QRectF(cell).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        painter->fillPath(path, fill);
        painter->setPen(QPen(border, 1));
        painter->drawPath(path);
    }

    // The picture with a thin frame, or an empty frame when there is none.
    const QRect picture = PictureRect(cell);
    const QIcon icon = qvariant_cast<QIcon>(index.data(Qt::DecorationRole));
    painter->setRenderHint(QPainter::Antialiasing, false);
    if (!icon.isNull()) {
        painter->fillRect(picture.translated(1, 1), QColor(0, 0, 0, 40));
        icon.paint(painter, picture, Qt::AlignCenter, QIcon::Normal);
        painter->setPen(palette.color(QPalette::Mid));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(picture.adjusted(0, 0, -1, -1));
    } else {
        painter->fillRect(picture, palette.color(QPalette::Base).darker(104));
        QPen dashed(palette.color(QPalette::Mid), 1, Qt::DashLine);
        painter->setPen(dashed);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(picture.adjusted(0, 0, -1, -1));
    }

    // The name, underlined while the pointer is over the item.
    QFont font = option.font;
    if (hot) font.setUnderline(true);
    const QFontMetrics metrics(font);
    painter->setPen(palette.color(active ? QPalette::Active : QPalette::Inactive, QPalette::Text));
    DrawName(painter, NameRect(cell, metrics), index.data(Qt::DisplayRole).toString(), font);
    painter->restore();
}

QWidget* TemplateItemDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const {
    auto* edit = new QLineEdit(parent);
    edit->setAlignment(Qt::AlignCenter);
    edit->setMaxLength(CDialogSaveTemplate::kMaxNameLength);
    return edit;
}

void TemplateItemDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                                const QModelIndex&) const {
    const QRect cell = option.rect.adjusted(1, 1, -1, -1);
    const QFontMetrics metrics(option.font);
    const QRect name = NameRect(cell, metrics);
    const int height = std::max(editor->sizeHint().height(), metrics.height() + 6);
    editor->setGeometry(QRect(cell.left() - 2, name.top() - 3, cell.width() + 4, height));
}

void TemplateItemDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        edit->setText(index.data(Qt::DisplayRole).toString());
        edit->selectAll();
    }
}

void TemplateItemDelegate::setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const {
    if (auto* edit = qobject_cast<QLineEdit*>(editor))
        emit renameCommitted(index.data(Qt::DisplayRole).toString(), edit->text());
}

TemplateList::TemplateList(QWidget* parent) : QListWidget(parent), delegate_(new TemplateItemDelegate(this)) {
    setViewMode(QListView::IconMode);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setUniformItemSizes(true);
    setIconSize(QSize(kPicture, kPicture));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);  // F2 and the context menu start editing
    setSortingEnabled(false);                            // the page inserts the names in order
    setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_Hover, true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setItemDelegate(delegate_);
    connect(delegate_, &TemplateItemDelegate::renameCommitted, this, &TemplateList::renameCommitted);
}

int TemplateList::SelectedRow() const {
    const QList<QListWidgetItem*> items = selectedItems();
    return items.isEmpty() ? -1 : row(items.first());
}

QString TemplateList::SelectedName() const {
    const QList<QListWidgetItem*> items = selectedItems();
    return items.isEmpty() ? QString() : items.first()->text();
}

void TemplateList::SelectRow(int row) {
    if (row < 0 || row >= count()) return;
    setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    scrollToItem(item(row));
}

void TemplateList::EditSelectedName() {
    const QList<QListWidgetItem*> items = selectedItems();
    if (items.isEmpty()) return;
    setCurrentItem(items.first());
    editItem(items.first());
}

void TemplateList::FitGrid() {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QSize cell = delegate_->sizeHint(option, QModelIndex());
    const int gap = 8;
    // Room for a vertical scroll bar is kept, so the columns do not change
    // when one appears.
    const int scrollBar = verticalScrollBar()->isVisible() ? 0 : style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int available = viewport()->width() - scrollBar - 2 * spacing() - 4;
    const int columns = std::max(1, available / (cell.width() + gap));
    const int gridWidth = std::max(cell.width() + gap, available / columns);
    if (gridSize() != QSize(gridWidth, cell.height() + gap)) setGridSize(QSize(gridWidth, cell.height() + gap));
}

void TemplateList::mouseMoveEvent(QMouseEvent* event) {
    QListWidget::mouseMoveEvent(event);
    const bool overItem = itemAt(event->position().toPoint()) != nullptr;
    viewport()->setCursor(overItem ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TemplateList::leaveEvent(QEvent* event) {
    QListWidget::leaveEvent(event);
    viewport()->unsetCursor();
}

void TemplateList::resizeEvent(QResizeEvent* event) {
    QListWidget::resizeEvent(event);
    FitGrid();
}

void TemplateList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        emit deletePressed();
        return;
    }
    if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier) {
        EditSelectedName();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void TemplateList::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    QListWidget::closeEditor(editor, hint);
    emit editingFinished();
}
