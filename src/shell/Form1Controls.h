#pragma once

#include <QList>
#include <QString>

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QWidget;
class LocalCopyPanel;
class ResultListView;
class SignInChoice;

// The main window's controls, named as the window's design names them. Each also carries its
// name as object name, so tests and accessibility tools find it.
struct Form1Controls
{
    // "Gmail Login"
    QGroupBox *Frame5 = nullptr;
    std::array<QLabel *, 2> lblLabels {};
    QLineEdit *Text7 = nullptr;
    QLineEdit *Text6 = nullptr;
    SignInChoice *signInChoice = nullptr; // app password or "Sign in with Google"
    QCheckBox *Check1 = nullptr;
    QCheckBox *Check2 = nullptr;
    QPushButton *PushButton17 = nullptr;
    QPushButton *PushButton15 = nullptr;

    // "Folder": Option3 ("Inbox") to Option10, in this order.
    QGroupBox *Frame4 = nullptr;
    std::array<QRadioButton *, 8> folderOptions {};
    // Optional: a run reads only what this search finds in the folder.
    QLabel *gmailSearchLabel = nullptr;
    QLineEdit *gmailSearch = nullptr;

    // "Filter Options"
    QGroupBox *Frame1 = nullptr;
    QPushButton *PushButton20 = nullptr;
    QPushButton *PushButton19 = nullptr;
    QLabel *Label3 = nullptr;
    QPushButton *PushButton22 = nullptr;
    QPushButton *PushButton21 = nullptr;
    QPushButton *PushButton5 = nullptr;
    QLabel *Label4 = nullptr;
    QPushButton *PushButton23 = nullptr;

    // "Extract Between Option"
    QGroupBox *Frame6 = nullptr;
    QCheckBox *Check3 = nullptr;

    // Extraction
    QGroupBox *Frame2 = nullptr;
    QPushButton *PushButton13 = nullptr;
    QPushButton *PushButton2 = nullptr;
    QLineEdit *Text1 = nullptr;
    QPushButton *PushButton8 = nullptr;
    QLineEdit *Text2 = nullptr;
    QPushButton *PushButton7 = nullptr;
    QLineEdit *Text5 = nullptr;
    QPushButton *PushButton10 = nullptr;
    QPushButton *PushButton4 = nullptr;
    QPushButton *PushButton16 = nullptr;
    QPushButton *PushButton11 = nullptr;
    QPushButton *PushButton18 = nullptr;

    // "Local Copy": keep fetched mail text on disk, and forget it.
    LocalCopyPanel *localCopy = nullptr;

    // Results
    QLabel *resultsHeading = nullptr;
    ResultListView *ListView1 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QPushButton *PushButton1 = nullptr;
    QPushButton *PushButton3 = nullptr;
    QPushButton *PushButton14 = nullptr;
    QPushButton *PushButton6 = nullptr;
    QPushButton *PushButton12 = nullptr;
    QPushButton *PushButton9 = nullptr;

    // Builds every control inside `window` with Qt layouts, in screen (and tab) order.
    void build(QWidget *window);

    QRadioButton *option(int number) const; // 3..10
    QList<QPushButton *> pushButtons() const;
    // The four buttons that read "Stop" during their own run.
    QList<QPushButton *> extractionStartButtons() const;
    QList<QWidget *> plainPointerAreas() const;

private:
    QWidget *buildLoginFrame(QWidget *parent);
    QWidget *buildFolderFrame(QWidget *parent);
    QWidget *buildFilterFrame(QWidget *parent);
    QWidget *buildBetweenFrame(QWidget *parent);
    QWidget *buildExtractionFrame(QWidget *parent);
    QWidget *buildResultsArea(QWidget *parent);
    void setTabOrder(QWidget *window) const;
};

// The design captions of Option4 to Option10, restored at every disconnect.
inline const std::array<QString, 7> DesignFolderCaptions {
    QStringLiteral("All Mail"),  QStringLiteral("Drafts"),  QStringLiteral("Sent Mail"),
    QStringLiteral("Spam"),      QStringLiteral("Starred"), QStringLiteral("Trash"),
    QStringLiteral("Important"),
};
