#pragma once

#include "core/filepattern.h"

#include <QListView>

class QStringListModel;

namespace korvanta {

// The file list `Filemado`: the files of one folder that match the pattern, sorted by name
// ignoring case, at most one of them selected. `activated` (double click, Return/Enter) comes from
// QListView; a single click only selects, whatever the desktop's single-click setting.
class FileListBox : public QListView
{
    Q_OBJECT

public:
    // The pattern of a new list, as designed.
    static inline const QString DefaultPattern = DefaultFilePattern.toString();

    explicit FileListBox(QWidget* parent = nullptr);

    // The listed folder: absolute, without trailing "/" except the root "/".
    QString path() const { return m_path; }
    // Lists the matching files of `folder`, none selected. Returns false and changes nothing when
    // the folder does not exist or cannot be listed.
    bool setPath(const QString& folder);

    QString pattern() const { return m_pattern; }
    // Lists the files of the folder that match `pattern`. The names read last are kept while the
    // folder is unchanged, so a search key typed over a large folder does not read it at every
    // key; a folder changed since (a file saved or deleted by another program) is read again.
    // The selected file stays selected while it is listed.
    // `forgiving` matches with width and katakana/hiragana ignored as well as case. The file
    // listed by listAlso is listed only while its name matches `alsoListedFilter` (the search
    // key's part of the pattern, without the extensions).
    void setPattern(const QString& pattern, bool forgiving = false,
        const QString& alsoListedFilter = QStringLiteral("*"));

    // The selected file's name without folder; "" when none is selected.
    QString fileName() const;
    // The selected row; -1 when none is selected.
    int listIndex() const;
    // Selects `row`; -1 clears the selection; any other row out of range changes nothing.
    // Emits no signal of this box.
    void setListIndex(int row);
    int listCount() const;
    // The name on `row`; "" out of range.
    QString fileNameAt(int row) const;

    // Reads the folder again; the selected file stays selected while it is still there.
    void refresh();

    // Lists the file `name` of the current folder besides the pattern's matches, for as long as
    // the folder stays the current one: a file opened by its path (a .tsv, say) can then be
    // selected like a listed one. Like any other name it is listed only while the filter of
    // setPattern lets it through. Only an existing file (not a folder) is listed. Returns its
    // row, -1 when it is not listed.
    int listAlso(const QString& name);

signals:
    // The user moved or changed the selection with a key (arrows, Home, End, Page Up/Down, or
    // typing the start of a name). Not emitted for changes made by code.
    void selectionMovedByKeyboard();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    // A press below the last name keeps the selection, as list boxes do.
    void mousePressEvent(QMouseEvent* event) override;
    // The box keeps its one selection: Ctrl with a click or with Space on the selected name does
    // not deselect it.
    QItemSelectionModel::SelectionFlags selectionCommand(
        const QModelIndex& index, const QEvent* event = nullptr) const override;

private:
    enum class Read { Always, WhenChanged };
    // Lists the current folder's files that match the pattern and selects `keepName` again when
    // it is listed. With Read::WhenChanged the names read last are used while the folder is
    // unchanged.
    void relist(const QString& keepName, Read read = Read::Always);

    QStringListModel* m_model;
    FolderFiles m_files;
    QString m_path;
    QString m_pattern = DefaultPattern;
    QString m_alsoListed;
    QString m_alsoListedFilter = QStringLiteral("*");
    bool m_forgiving = false;
};

} // namespace korvanta
