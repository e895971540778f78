#pragma once

#include "RowSink.h"
#include "RowTextIndex.h"
#include "RowTexts.h"

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QList>
#include <QStringList>
#include <QTimer>

// The result list: one text and one check state per row, rows appended at the end. Texts are held
// once (RowTexts: a body line points into its body) and decoded only for the rows a view shows
// or an export reads. An index of the row texts, built as contains() is asked, answers it at
// any size. New rows reach views in
// batches, or at flushPendingRows(). A list view lays out all its rows again for each batch, so
// batches come at most every BatchIntervalMs, and further apart on a long list: one per
// RowsPerBatchMs rows in milliseconds. count(), text(), checked() and contains() see every row,
// announced or not; rowCount() is what views have been told.
class ResultListModel final : public QAbstractListModel, public RowSink
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResultListModel)

public:
    static constexpr int BatchIntervalMs = 100;
    static constexpr int RowsPerBatchMs = 2500;

    explicit ResultListModel(QObject *parent = nullptr);

    void append(const QString &text) override;
    void appendPart(QStringView text) override;
    bool contains(const QString &text) const override;
    void clear();

    qsizetype count() const { return m_texts.size(); }
    QString text(qsizetype row) const { return m_texts.text(row); }
    bool checked(qsizetype row) const { return m_checked.at(row); }
    void setChecked(qsizetype row, bool checked);
    // Ticks or unticks rows first..last (inclusive, clamped to the list).
    void setRangeChecked(qsizetype first, qsizetype last, bool checked);
    void setAllChecked(bool checked);

    // Every row text, decoded into one list (a copy: for small lists and checks).
    QStringList texts() const;
    // Every check state in list order.
    const QList<bool> &checkStates() const { return m_checked; }
    // Bytes the rows' texts take, for seeing that rows are held once.
    qsizetype textBytes() const { return m_texts.textBytes(); }

    // Tells views about the rows appended since the last batch.
    void flushPendingRows();

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void rowAdded();
    void announceChecks(qsizetype first, qsizetype last);
    int nextBatchDelay() const;

    RowTexts m_texts;
    QList<bool> m_checked;
    mutable RowTextIndex m_index;
    qsizetype m_announced = 0;
    QTimer m_flushTimer;
    QElapsedTimer m_sinceLastBatch;
};
