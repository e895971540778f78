#pragma once

#include "Prompts.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Records every box and answers from a queue. A box that no answer was queued for fails the
// running test (an OK-only box needs no queued answer unless expectNoBoxes() is set).
class ScriptedPrompts final : public Prompts
{
public:
    struct Box
    {
        QString kind; // "message", "input", "save", "open", "launch"
        QString title;
        QString text;
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::None;
    };

    ScriptedPrompts(); // installs itself
    ~ScriptedPrompts() override; // restores the default

    // Queue answers, consumed in order by the matching kind of box.
    void answerMessage(Answer answer);
    void answerInput(std::optional<QString> text);
    void answerSaveFileName(const QString &path);
    void answerOpenFileNames(const QStringList &paths);

    // When set, any message box at all fails the test.
    void expectNoBoxes(bool strict = true) { m_strict = strict; }

    const QList<Box> &boxes() const { return m_boxes; }
    QStringList messageTexts() const;
    QStringList launched() const { return m_launched; }
    void clear();

    // A hook run when a message box appears (e.g. to click Stop from inside a box).
    std::function<void(const Box &)> onMessage;

    Answer message(const QString &title, const QString &text, Buttons buttons, Icon icon) override;
    std::optional<QString> input(const QString &title, const QString &label,
                                 const QString &initial) override;
    QString saveFileName(const QString &title, const QString &filter,
                         const QString &suggested) override;
    QStringList openFileNames(const QString &title, const QString &filter) override;
    bool openWithDefaultProgram(const QString &path) override;

private:
    QList<Box> m_boxes;
    QList<Answer> m_messageAnswers;
    QList<std::optional<QString>> m_inputAnswers;
    QStringList m_saveAnswers;
    QList<QStringList> m_openAnswers;
    QStringList m_launched;
    bool m_strict = false;
};
