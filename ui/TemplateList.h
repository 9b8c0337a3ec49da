#pragma once
// The template grid of the General tab: each item shows a template's 94 x 94
// preview picture (or an empty frame when it has none) above its name. Items
// keep their list order as given; the hot item is underlined; names are
// edited in place, and a finished edit is reported rather than applied, so
// the page decides whether the template may take the new name.
#include <QListWidget>
#include <QStyledItemDelegate>

class TemplateItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TemplateItemDelegate(QObject* parent = nullptr);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    // Reports the edited name with renameCommitted; the item's text stays.
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

    // Where the picture and the name of an item in cell are drawn.
    static QRect PictureRect(const QRect& cell);
    static QRect NameRect(const QRect& cell, const QFontMetrics& metrics);

signals:
    void renameCommitted(const QString& oldName, const QString& newName) const;
};

class TemplateList : public QListWidget {
    Q_OBJECT
public:
    explicit TemplateList(QWidget* parent = nullptr);

    // The row of the selected item, -1 when none.
    int SelectedRow() const;
    // The text of the selected item, empty when none.
    QString SelectedName() const;
    void SelectRow(int row);
    // Starts in-place editing of the selected item's name.
    void EditSelectedName();
    bool IsEditing() const { return state() == QAbstractItemView::EditingState; }

signals:
    void deletePressed();
    void renameCommitted(const QString& oldName, const QString& newName);
    void editingFinished();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // The hot item shows the hand: items are links to their templates.
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    // Spreads the columns over the whole width, so the grid has even margins.
    void FitGrid();

    TemplateItemDelegate* delegate_;
};
