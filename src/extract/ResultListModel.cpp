#include "ResultListModel.h"

ResultListModel::ResultListModel(QObject *parent) : QAbstractListModel(parent)
{
    m_flushTimer.setSingleShot(true);
    connect(&m_flushTimer, &QTimer::timeout, this, &ResultListModel::flushPendingRows);
}

void ResultListModel::append(const QString &text)
{
    m_texts.append(text);
    rowAdded();
}

void ResultListModel::appendPart(QStringView text)
{
    m_texts.appendPart(text);
    rowAdded();
}

void ResultListModel::rowAdded()
{
    m_checked.append(false);
    if (!m_flushTimer.isActive())
        m_flushTimer.start(nextBatchDelay());
}

QStringList ResultListModel::texts() const
{
    QStringList texts;
    texts.reserve(m_texts.size());
    for (qsizetype row = 0; row < m_texts.size(); ++row)
        texts.append(m_texts.text(row));
    return texts;
}

bool ResultListModel::contains(const QString &text) const
{
    return m_index.contains(m_texts, text);
}

void ResultListModel::clear()
{
    m_flushTimer.stop();
    beginResetModel();
    m_texts.clear();
    m_checked.clear();
    m_index.clear();
    m_announced = 0;
    m_sinceLastBatch.invalidate();
    endResetModel();
}

void ResultListModel::setChecked(qsizetype row, bool checked)
{
    setRangeChecked(row, row, checked);
}

void ResultListModel::setRangeChecked(qsizetype first, qsizetype last, bool checked)
{
    first = std::max<qsizetype>(first, 0);
    last = std::min(last, m_checked.size() - 1);
    if (first > last)
        return;
    std::fill(m_checked.begin() + first, m_checked.begin() + last + 1, checked);
    announceChecks(first, last);
}

void ResultListModel::setAllChecked(bool checked)
{
    setRangeChecked(0, m_checked.size() - 1, checked);
}

void ResultListModel::flushPendingRows()
{
    m_flushTimer.stop();
    const qsizetype total = m_texts.size();
    if (m_announced == total)
        return;
    beginInsertRows({}, int(m_announced), int(total - 1));
    m_announced = total;
    endInsertRows();
    m_sinceLastBatch.start();
}

// The first rows of a quiet list are announced at the next chance; later ones wait out the
// interval since the previous batch.
int ResultListModel::nextBatchDelay() const
{
    if (!m_sinceLastBatch.isValid())
        return 0;
    const qint64 interval = std::max<qint64>(BatchIntervalMs, m_announced / RowsPerBatchMs);
    return int(std::max<qint64>(0, interval - m_sinceLastBatch.elapsed()));
}

int ResultListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_announced);
}

QVariant ResultListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_texts.text(index.row());
    case Qt::CheckStateRole:
        return m_checked.at(index.row()) ? Qt::Checked : Qt::Unchecked;
    default:
        return {};
    }
}

bool ResultListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole
        || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    setChecked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

Qt::ItemFlags ResultListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable
        | Qt::ItemNeverHasChildren;
}

void ResultListModel::announceChecks(qsizetype first, qsizetype last)
{
    // Rows not yet announced are news to no view.
    last = std::min(last, m_announced - 1);
    if (first > last)
        return;
    Q_EMIT dataChanged(index(int(first)), index(int(last)), {Qt::CheckStateRole});
}
