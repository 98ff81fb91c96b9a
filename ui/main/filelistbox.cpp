#include "ui/main/filelistbox.h"

#include "core/filenames.h"
#include "core/filepattern.h"
#include "core/folderlisting.h"
#include "ui/main/listfocus.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QStringListModel>
#include <QStyleFactory>

namespace korvanta {

namespace {

    // Some desktops tell item views to activate an entry on a single click. In the file list a
    // click must only select (it offers the item chooser), and opening a file takes a double click
    // or Return, so this style answers "no" to that one question and passes everything else on to a
    // style of the application's kind.
    class DoubleClickActivationStyle : public QProxyStyle
    {
    public:
        DoubleClickActivationStyle()
            : QProxyStyle(QStyleFactory::create(QApplication::style()->name()))
        {
        }

        int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
            QStyleHintReturn* returnData) const override
        {
            if (hint == QStyle::SH_ItemView_ActivateItemOnSingleClick)
                return 0;
            return QProxyStyle::styleHint(hint, option, widget, returnData);
        }
    };

} // namespace

FileListBox::FileListBox(QWidget* parent)
    : QListView(parent)
    , m_model(new QStringListModel(this))
{
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    auto* activationStyle = new DoubleClickActivationStyle;
    activationStyle->setParent(this);
    setStyle(activationStyle);
    // Until a folder is set, the box lists the folder the program was started in.
    setPath(QDir::currentPath());
}

bool FileListBox::setPath(const QString& folder)
{
    const QString path = normalizedFolder(folder);
    if (path.isEmpty() || !canListFolder(path))
        return false;
    if (path != m_path)
        m_alsoListed.clear();
    m_path = path;
    relist(QString());
    return true;
}

void FileListBox::setPattern(
    const QString& pattern, bool forgiving, const QString& alsoListedFilter)
{
    m_pattern = pattern;
    m_forgiving = forgiving;
    m_alsoListedFilter = alsoListedFilter;
    relist(fileName(), Read::WhenChanged);
}

QString FileListBox::fileName() const
{
    return fileNameAt(listIndex());
}

int FileListBox::listIndex() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.constFirst().row();
}

void FileListBox::setListIndex(int row)
{
    if (row == -1) {
        selectionModel()->clearSelection();
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return;
    }
    if (row < 0 || row >= listCount())
        return;
    const QModelIndex index = m_model->index(row);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

int FileListBox::listCount() const
{
    return m_model->rowCount();
}

QString FileListBox::fileNameAt(int row) const
{
    if (row < 0 || row >= listCount())
        return QString();
    return m_model->index(row).data().toString();
}

void FileListBox::refresh()
{
    relist(fileName());
}

void FileListBox::keyPressEvent(QKeyEvent* event)
{
    const int before = listIndex();
    QListView::keyPressEvent(event);
    if (listIndex() != before)
        emit selectionMovedByKeyboard();
}

void FileListBox::focusInEvent(QFocusEvent* event)
{
    focusInWithoutUnselectedRow(
        this, event, [this](QFocusEvent* e) { QListView::focusInEvent(e); });
}

int FileListBox::listAlso(const QString& name)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return -1;
    m_alsoListed = name;
    relist(fileName());
    return int(m_model->stringList().indexOf(name));
}

void FileListBox::relist(const QString& keepName, Read read)
{
    if (read == Read::Always)
        m_files.read(m_path);
    else
        m_files.readIfChanged(m_path);
    QStringList names = m_files.matching(m_pattern, m_forgiving);
    if (!m_alsoListed.isEmpty() && !names.contains(m_alsoListed)
        && matchesFilePattern(m_alsoListed, m_alsoListedFilter, m_forgiving)
        && pathStatus(QDir(m_path).filePath(m_alsoListed)).isFile) {
        names.append(m_alsoListed);
        sortNamesIgnoringCase(names);
    }
    m_model->setStringList(names);
    // The reset has dropped the selection; the same name (compared exactly) is selected again.
    if (!keepName.isEmpty())
        setListIndex(int(names.indexOf(keepName)));
}

void FileListBox::mousePressEvent(QMouseEvent* event)
{
    if (!indexAt(event->position().toPoint()).isValid()) {
        event->accept();
        return;
    }
    QListView::mousePressEvent(event);
}

QItemSelectionModel::SelectionFlags FileListBox::selectionCommand(
    const QModelIndex& index, const QEvent* event) const
{
    const QItemSelectionModel::SelectionFlags flags = QListView::selectionCommand(index, event);
    if (flags.testFlag(QItemSelectionModel::Deselect)
        || flags.testFlag(QItemSelectionModel::Toggle))
        return QItemSelectionModel::NoUpdate;
    return flags;
}

} // namespace korvanta
