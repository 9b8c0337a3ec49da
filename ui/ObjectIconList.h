#pragma once
// The icon list of the Scene and Objects tabs: 56 x 56 thumbnails with the
// name below, arranged in rows that wrap with the width, single selection
// that stays visible without focus. Each item carries an object id (or -1)
// and, for catalogue entries, the model file.
#include <QListWidget>
#include <QPixmap>
#include <vector>

class IEngine;

namespace boxora {

class ObjectIconList : public QListWidget {
    Q_OBJECT
public:
    struct Entry {
        QString text;
        QPixmap thumbnail;  // null: an empty picture slot
        int id = -1;
        QString path;
    };

    explicit ObjectIconList(QWidget* parent = nullptr);

    // The item under the mouse is underlined (the objects list of the
    // Objects tab, whose items act on one click).
    void SetHotTracking(bool on);

    // Replaces all items; emits no selection signals.
    void Fill(const std::vector<Entry>& entries);

    // Row of the first selected item in row order, -1 when none is.
    int FirstSelectedIndex() const;
    // Object id of the selected item with the highest row, -1 when none is.
    int LastSelectedId() const;
    // Selects the item at row alone (and scrolls to it); a row outside the
    // list clears the selection. Emits the usual selection signals.
    void SelectIndex(int row);
    int IdAt(int row) const;
    QString PathAt(int row) const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void UpdateGrid();
};

// The objects of the scene as list entries: the user-defined name, the
// object id and the thumbnail of the catalogue model the object came from.
std::vector<ObjectIconList::Entry> SceneObjectEntries(IEngine& engine);

}  // namespace boxora
