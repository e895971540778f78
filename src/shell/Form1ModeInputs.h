#pragma once

#include "ModeInputs.h"

class Form1;

// The modes' inputs read live from the main window's boxes and the option dialogs.
class Form1ModeInputs final : public ModeInputs
{
public:
    explicit Form1ModeInputs(Form1 &window) : m_window(window) { }

    QString containingText() override;
    QString notContainingText() override;
    QString lineNumberEntry() override;
    QString textSetText() override;
    QString betweenStart() override;
    QString betweenEnd() override;
    bool includeStart() override;
    bool includeEnd() override;
    bool showDuplicates() override;
    QString charactersFilter() override;

private:
    Form1 &m_window;
};
