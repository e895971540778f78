#pragma once

#include <QGroupBox>
#include <QList>
#include <QString>

#include <functional>

class QCheckBox;
class QPushButton;

// The "Local Copy" frame: whether fetched mail text is kept on disk between runs (a stored
// choice, off unless ticked) and the button that removes what was kept for the signed-in user.
class LocalCopyPanel final : public QGroupBox
{
    Q_OBJECT

public:
    explicit LocalCopyPanel(QWidget *parent);

    // Whose copy "Forget local copy" removes: the user name as the window holds it.
    void setAccountSource(std::function<QString()> account);

    QCheckBox *keepBox() const { return m_keep; }
    QPushButton *forgetButton() const { return m_forget; }
    QList<QWidget *> focusOrder() const;

    // Asks first; says so when there is nothing to forget.
    void forgetClicked();

private:
    void keepClicked(bool ticked);

    QCheckBox *m_keep = nullptr;
    QPushButton *m_forget = nullptr;
    std::function<QString()> m_account;
};
