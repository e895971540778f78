#pragma once

#include <QString>

class Form1;
class QLabel;

// The label and character filters as the window shows them: their status lines (Label4,
// Label3), the dialogs that set them and the buttons that clear them.
class FilterPanel
{
public:
    enum class Filter { Label, Characters };

    explicit FilterPanel(Form1 &window) : m_window(window) { }

    // Refuses while not connected, runs the filter's modal dialog, shows the filter's state.
    void runDialog(Filter filter, const QString &location) const;
    void clear(Filter filter, const QString &location) const;
    void loadStored() const;
    void showStatus(Filter filter) const;
    void showStatusIfSet(Filter filter) const;
    void showNone() const;

private:
    QString &text(Filter filter) const;
    QLabel *statusLabel(Filter filter) const;
    void execDialog(Filter filter) const;

    Form1 &m_window;
};
