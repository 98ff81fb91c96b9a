#pragma once

#include <QListWidget>

namespace korvanta {

// The folder list `Dir1`: the folders from the root down to the shown folder, indented by depth,
// followed by the shown folder's sub-folders one level deeper. The shown folder is selected.
// A double click or Return/Enter on a line asks for that folder through folderActivated; the box
// itself changes its folder only through setPath, so the owner decides what a change means.
class FolderListBox : public QListWidget
{
    Q_OBJECT

public:
    explicit FolderListBox(QWidget* parent = nullptr);

    // The shown folder: absolute, without trailing "/" except the root "/".
    QString path() const { return m_path; }
    // Shows `folder`. Returns false and changes nothing when it does not exist or cannot be
    // listed. Emits no signal of this box.
    bool setPath(const QString& folder);

    // The folder of a line; "" for a row out of range.
    QString pathAt(int row) const;

signals:
    void folderActivated(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QString m_path;
};

} // namespace korvanta
