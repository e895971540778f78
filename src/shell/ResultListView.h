#pragma once

#include <QListView>

class QMenu;
class ResultListModel;

// The result list: one column of rows, each with a check box. Space ticks or unticks every
// selected row; the context menu ticks or unticks all rows or the selected ones.
class ResultListView final : public QListView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResultListView)

public:
    explicit ResultListView(QWidget *parent = nullptr);

    void setResultModel(ResultListModel *model);
    ResultListModel *resultModel() const { return m_model; }

    void tickAll();
    void untickAll();
    void tickSelected();
    void untickSelected();
    // Gives every selected row the opposite of the current row's state.
    void toggleSelected();
    // "Tick All", "Untick All", "Tick Selected", "Untick Selected".
    void fillContextMenu(QMenu &menu);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void setSelectedChecked(bool checked);

    ResultListModel *m_model = nullptr;
};
