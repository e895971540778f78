#include "ScriptedPrompts.h"

#include <QTest>

ScriptedPrompts::ScriptedPrompts()
{
    Prompts::install(this);
}

ScriptedPrompts::~ScriptedPrompts()
{
    Prompts::install(nullptr);
}

void ScriptedPrompts::answerMessage(Answer answer)
{
    m_messageAnswers.append(answer);
}

void ScriptedPrompts::answerInput(std::optional<QString> text)
{
    m_inputAnswers.append(std::move(text));
}

void ScriptedPrompts::answerSaveFileName(const QString &path)
{
    m_saveAnswers.append(path);
}

void ScriptedPrompts::answerOpenFileNames(const QStringList &paths)
{
    m_openAnswers.append(paths);
}

QStringList ScriptedPrompts::messageTexts() const
{
    QStringList texts;
    for (const Box &box : m_boxes)
        if (box.kind == QLatin1String("message"))
            texts.append(box.text);
    return texts;
}

void ScriptedPrompts::clear()
{
    m_boxes.clear();
    m_messageAnswers.clear();
    m_inputAnswers.clear();
    m_saveAnswers.clear();
    m_openAnswers.clear();
    m_launched.clear();
}

Prompts::Answer ScriptedPrompts::message(const QString &title, const QString &text, Buttons buttons,
                                         Icon icon)
{
    const Box box {QStringLiteral("message"), title, text, buttons, icon};
    m_boxes.append(box);
    if (m_strict)
        QTest::qFail(qPrintable(QStringLiteral("unexpected box: ") + text), __FILE__, __LINE__);
    if (onMessage)
        onMessage(box);
    if (!m_messageAnswers.isEmpty())
        return m_messageAnswers.takeFirst();
    if (buttons == Buttons::YesNo) {
        QTest::qFail(qPrintable(QStringLiteral("unanswered question: ") + text), __FILE__,
                     __LINE__);
        return Answer::No;
    }
    return Answer::Ok;
}

std::optional<QString> ScriptedPrompts::input(const QString &title, const QString &label,
                                              const QString &)
{
    m_boxes.append({QStringLiteral("input"), title, label, Buttons::Ok, Icon::None});
    if (m_inputAnswers.isEmpty()) {
        QTest::qFail("unexpected input box", __FILE__, __LINE__);
        return std::nullopt;
    }
    return m_inputAnswers.takeFirst();
}

QString ScriptedPrompts::saveFileName(const QString &title, const QString &filter, const QString &)
{
    m_boxes.append({QStringLiteral("save"), title, filter, Buttons::Ok, Icon::None});
    if (m_saveAnswers.isEmpty()) {
        QTest::qFail("unexpected save dialog", __FILE__, __LINE__);
        return {};
    }
    return m_saveAnswers.takeFirst();
}

QStringList ScriptedPrompts::openFileNames(const QString &title, const QString &filter)
{
    m_boxes.append({QStringLiteral("open"), title, filter, Buttons::Ok, Icon::None});
    if (m_openAnswers.isEmpty()) {
        QTest::qFail("unexpected open dialog", __FILE__, __LINE__);
        return {};
    }
    return m_openAnswers.takeFirst();
}

bool ScriptedPrompts::openWithDefaultProgram(const QString &path)
{
    m_boxes.append({QStringLiteral("launch"), QString(), path, Buttons::Ok, Icon::None});
    m_launched.append(path);
    return true;
}
