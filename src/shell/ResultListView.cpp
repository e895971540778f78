#include "ResultListView.h"

#include "ResultListModel.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

ResultListView::ResultListView(QWidget *parent) : QListView(parent)
{
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);
}

void ResultListView::setResultModel(ResultListModel *model)
{
    m_model = model;
    setModel(model);
}

void ResultListView::tickAll()
{
    m_model->setAllChecked(true);
}

void ResultListView::untickAll()
{
    m_model->setAllChecked(false);
}

void ResultListView::tickSelected()
{
    setSelectedChecked(true);
}

void ResultListView::untickSelected()
{
    setSelectedChecked(false);
}

void ResultListView::toggleSelected()
{
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return;
    const bool ticked = m_model->checked(current.row());
    if (!selectionModel()->isSelected(current))
        selectionModel()->select(current, QItemSelectionModel::Select);
    setSelectedChecked(!ticked);
}

void ResultListView::setSelectedChecked(bool checked)
{
    // Selections come as ranges; a range of a million rows is one call.
    for (const QItemSelectionRange &range : selectionModel()->selection())
        m_model->setRangeChecked(range.top(), range.bottom(), checked);
}

void ResultListView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        toggleSelected();
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void ResultListView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    fillContextMenu(menu);
    menu.exec(event->globalPos());
}

void ResultListView::fillContextMenu(QMenu &menu)
{
    menu.addAction(QStringLiteral("Tick All"), this, &ResultListView::tickAll);
    menu.addAction(QStringLiteral("Untick All"), this, &ResultListView::untickAll);
    const bool anySelected = selectionModel() && selectionModel()->hasSelection();
    menu.addAction(QStringLiteral("Tick Selected"), this, &ResultListView::tickSelected)
        ->setEnabled(anySelected);
    menu.addAction(QStringLiteral("Untick Selected"), this, &ResultListView::untickSelected)
        ->setEnabled(anySelected);
}
