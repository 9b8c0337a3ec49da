#include "ui/ObjectIconList.h"

#include <QEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>

#include "engine/IEngine.h"
#include "platform/AppPaths.h"
#include "ui/Thumbnails.h"

namespace boxora {
namespace {

constexpr int kIdRole = Qt::UserRole;
constexpr int kPathRole = Qt::UserRole + 1;

// Draws the item as usual, its text underlined while the mouse is over it.
class HotItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->state & QStyle::State_MouseOver) option->font.setUnderline(true);
    }
};

}  // namespace

ObjectIconList::ObjectIconList(QWidget* parent) : QListWidget(parent) {
    setViewMode(QListView::IconMode);
    setMovement(QListView::Static);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setLayoutMode(QListView::SinglePass);
    setWordWrap(true);
    setTextElideMode(Qt::ElideRight);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setDragEnabled(false);
    setAcceptDrops(false);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(kThumbnailSize, kThumbnailSize));
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    UpdateGrid();
}

void ObjectIconList::SetHotTracking(bool on) {
    setMouseTracking(on);
    viewport()->setAttribute(Qt::WA_Hover, on);
    if (on)
        setItemDelegate(new HotItemDelegate(this));
    else
        setItemDelegate(new QStyledItemDelegate(this));
}

// A cell holds the picture and two lines of text, and is wide enough for
// names such as "Mirror Box" on one line.
void ObjectIconList::UpdateGrid() {
    const QFontMetrics metrics(font());
    const int width = std::max(kThumbnailSize + 24, metrics.horizontalAdvance(QStringLiteral("Mirror Box")) + 16);
    const int height = kThumbnailSize + 2 * metrics.lineSpacing() + 12;
    setGridSize(QSize(width, height));
}

void ObjectIconList::changeEvent(QEvent* event) {
    QListWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) UpdateGrid();
}

void ObjectIconList::Fill(const std::vector<Entry>& entries) {
    const QSignalBlocker blocker(this);
    QItemSelectionModel* selection = selectionModel();
    const QSignalBlocker selectionBlocker(selection);
    clear();
    for (const Entry& e : entries) {
        auto* item = new QListWidgetItem(e.text);
        item->setIcon(QIcon(e.thumbnail.isNull() ? EmptyThumbnail() : e.thumbnail));
        item->setData(kIdRole, e.id);
        if (!e.path.isEmpty()) item->setData(kPathRole, e.path);
        item->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
        item->setToolTip(e.text);
        addItem(item);
    }
}

int ObjectIconList::FirstSelectedIndex() const {
    int first = -1;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        if (first < 0 || index.row() < first) first = index.row();
    return first;
}

int ObjectIconList::LastSelectedId() const {
    int last = -1;
    for (const QModelIndex& index : selectionModel()->selectedIndexes()) last = std::max(last, index.row());
    return last < 0 ? -1 : IdAt(last);
}

void ObjectIconList::SelectIndex(int row) {
    if (row < 0 || row >= count()) {
        clearSelection();
        return;
    }
    setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    scrollToItem(item(row));
}

int ObjectIconList::IdAt(int row) const {
    const QListWidgetItem* it = item(row);
    if (!it) return -1;
    bool ok = false;
    const int id = it->data(kIdRole).toInt(&ok);
    return ok ? id : -1;
}

QString ObjectIconList::PathAt(int row) const {
    const QListWidgetItem* it = item(row);
    return it ? it->data(kPathRole).toString() : QString();
}

std::vector<ObjectIconList::Entry> SceneObjectEntries(IEngine& engine) {
    const std::string folder = ObjectsFolder();
    std::vector<ObjectIconList::Entry> entries;
    for (const ObjectListEntry& o : engine.GetObjectList()) {
        ObjectIconList::Entry entry;
        entry.text = QString::fromStdString(o.name);
        // Names come from scene files: only plain names lead to a picture.
        const std::string& model = o.objectName.empty() ? o.name : o.objectName;
        if (!model.empty() && model.find_first_of("/\\") == std::string::npos)
            entry.thumbnail = LoadThumbnail(folder + model + ".png");
        entry.id = o.id;
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace boxora
