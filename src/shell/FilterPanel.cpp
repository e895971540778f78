#include "FilterPanel.h"

#include "ConnectSequence.h"
#include "Form1.h"
#include "Form5.h"
#include "Form6.h"
#include "SettingsKeys.h"
#include "SettingsStore.h"
#include "Steps.h"

#include <QLabel>

namespace {

const QString &settingKey(FilterPanel::Filter filter)
{
    return filter == FilterPanel::Filter::Label ? SettingsKeys::LabelFilter
                                                : SettingsKeys::CharactersFilter;
}

QString noFilterText(FilterPanel::Filter filter)
{
    return filter == FilterPanel::Filter::Label ? QStringLiteral("No Label Filter set")
                                                : QStringLiteral("No Character Filter set");
}

QString statusPrefix(FilterPanel::Filter filter)
{
    return filter == FilterPanel::Filter::Label ? QStringLiteral("Label Filter: ")
                                                : QStringLiteral("Character Filter: ");
}

} // namespace

QString &FilterPanel::text(Filter filter) const
{
    return filter == Filter::Label ? m_window.LabelFilter : m_window.CharactersFilter;
}

QLabel *FilterPanel::statusLabel(Filter filter) const
{
    return filter == Filter::Label ? m_window.controls().Label4 : m_window.controls().Label3;
}

void FilterPanel::runDialog(Filter filter, const QString &location) const
{
    Steps steps(location);
    bool connected = true;
    steps(100, [&] { connected = m_window.m_connection->connectedElseSay(); });
    if (!connected)
        return;
    steps(102, [&] { execDialog(filter); });
    steps(104, [&] { showStatus(filter); });
}

void FilterPanel::execDialog(Filter filter) const
{
    if (filter == Filter::Label) {
        Form5 dialog(m_window.LabelFilter, &m_window);
        dialog.exec();
    } else {
        Form6 dialog(m_window.CharactersFilter, &m_window);
        dialog.exec();
    }
}

void FilterPanel::clear(Filter filter, const QString &location) const
{
    Steps steps(location);
    steps(100, [&] { text(filter).clear(); });
    steps(102, [&] { SaveSetting(settingKey(filter), text(filter)); });
    steps(104, [&] { statusLabel(filter)->setText(noFilterText(filter)); });
}

void FilterPanel::loadStored() const
{
    m_window.CharactersFilter = GetSetting(SettingsKeys::CharactersFilter);
    m_window.LabelFilter = GetSetting(SettingsKeys::LabelFilter);
}

void FilterPanel::showStatus(Filter filter) const
{
    const QString &value = text(filter);
    statusLabel(filter)->setText(value.isEmpty() ? noFilterText(filter)
                                                 : statusPrefix(filter) + value);
}

void FilterPanel::showStatusIfSet(Filter filter) const
{
    if (!text(filter).isEmpty())
        showStatus(filter);
}

void FilterPanel::showNone() const
{
    for (Filter filter : {Filter::Characters, Filter::Label})
        statusLabel(filter)->setText(noFilterText(filter));
}
