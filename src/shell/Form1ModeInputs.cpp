#include "Form1ModeInputs.h"

#include "Form1.h"
#include "Form2.h"
#include "Form3.h"

#include <QCheckBox>
#include <QLineEdit>

QString Form1ModeInputs::containingText()
{
    return m_window.controls().Text1->text();
}

QString Form1ModeInputs::notContainingText()
{
    return m_window.controls().Text2->text();
}

QString Form1ModeInputs::lineNumberEntry()
{
    return m_window.controls().Text5->text();
}

QString Form1ModeInputs::textSetText()
{
    return m_window.form3().currentTextSetEntry();
}

QString Form1ModeInputs::betweenStart()
{
    return m_window.form2().startMarker();
}

QString Form1ModeInputs::betweenEnd()
{
    return m_window.form2().endMarker();
}

bool Form1ModeInputs::includeStart()
{
    return m_window.form2().includeStart();
}

bool Form1ModeInputs::includeEnd()
{
    return m_window.form2().includeEnd();
}

bool Form1ModeInputs::showDuplicates()
{
    return m_window.controls().Check3->isChecked();
}

QString Form1ModeInputs::charactersFilter()
{
    return m_window.CharactersFilter;
}
