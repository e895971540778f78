// What a screen reader finds in the windows: every control it can act on has a name, the result
// rows are checkable items named by their full text, and the progress bar's name follows its
// status text through a run against the Dovecot fixture.
#include "DovecotFixture.h"
#include "Form1.h"
#include "Form2.h"
#include "Form3.h"
#include "Form5.h"
#include "Form6.h"
#include "ImapComponent.h"
#include "ProgramIcon.h"
#include "ResultListModel.h"
#include "ResultListView.h"
#include "ScriptedPrompts.h"
#include "ServerOverride.h"
#include "TestEnvironment.h"
#include "clsImapSession.h"

#include <QAccessible>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <memory>

namespace {

// Roles a user acts on; each must tell the user what it is.
bool needsName(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::EditableText:
    case QAccessible::ComboBox:
    case QAccessible::List:
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
        return true;
    default:
        return false;
    }
}

QString describe(QAccessibleInterface *node)
{
    QString owner;
    for (QAccessibleInterface *up = node; up && owner.isEmpty(); up = up->parent())
        if (up->object())
            owner = up->object()->objectName();
    return QStringLiteral("role %1 in '%2'").arg(int(node->role())).arg(owner);
}

void collectUnnamed(QAccessibleInterface *node, QStringList &unnamed, int depth = 0)
{
    QVERIFY2(depth < 40, "accessibility tree does not end");
    if (needsName(node->role()) && node->text(QAccessible::Name).trimmed().isEmpty())
        unnamed << describe(node);
    for (int i = 0; i < node->childCount(); ++i)
        if (QAccessibleInterface *child = node->child(i))
            collectUnnamed(child, unnamed, depth + 1);
}

QAccessibleInterface *accessibleOf(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

// Records name changes of one object; the update handler is a plain function.
struct NameChangeLog
{
    static inline QObject *watched = nullptr;
    static inline QStringList names;
    static inline QStringList formatsAtChange;
    static inline QList<int> valuesAtChange;

    static void record(QAccessibleEvent *event)
    {
        if (event->type() != QAccessible::NameChanged || event->object() != watched)
            return;
        auto *bar = static_cast<QProgressBar *>(watched);
        names << bar->accessibleName();
        formatsAtChange << bar->format();
        valuesAtChange << bar->value();
    }
};

// As a screen reader would: only then are changes announced at all.
void setAccessibilityActive(bool active)
{
    if (QPlatformAccessibility *platform =
            QGuiApplicationPrivate::platformIntegration()->accessibility())
        platform->setActive(active);
}

QStringList withoutRepeats(const QStringList &list)
{
    QStringList result;
    for (const QString &entry : list)
        if (result.isEmpty() || result.last() != entry)
            result << entry;
    return result;
}

} // namespace

class tst_Accessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void actionableControlsAreNamed_data();
    void actionableControlsAreNamed();
    void resultRowsAreCheckableItemsWithTheirFullText();
    void progressBarNameFollowsStatusText();
    void mainWindowShowsTheProgramIcon();

private:
    QWidget *openWindow(const QString &name);

    std::unique_ptr<Form1> m_window;
    std::unique_ptr<QDialog> m_filterDialog;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    TestEnvironment m_environment;
    QString m_labelFilter;
    QString m_charactersFilter;
};

void tst_Accessibility::init()
{
    m_environment.resetSettings();
    m_prompts = std::make_unique<ScriptedPrompts>();
    mailboxLabels = QStringList {QStringLiteral("Work"), QStringLiteral("Événements")};
    m_window = std::make_unique<Form1>();
    m_window->setServerOverride(ServerOverride::fromEnvironment());
    m_window->Form_Load();
}

void tst_Accessibility::cleanup()
{
    QAccessible::installUpdateHandler(nullptr);
    setAccessibilityActive(false);
    m_filterDialog.reset();
    m_window.reset();
    m_prompts.reset();
}

void tst_Accessibility::actionableControlsAreNamed_data()
{
    QTest::addColumn<QString>("window");
    for (const char *name : {"Form1", "Form2", "Form3", "Form5", "Form6"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// The main window with a row in its list, an option dialog opened by its button, or a filter
// dialog as the main window makes it.
QWidget *tst_Accessibility::openWindow(const QString &name)
{
    if (name == QLatin1String("Form1")) {
        m_window->results().append(QStringLiteral("a row"));
        m_window->results().flushPendingRows();
        m_window->show();
        return m_window.get();
    }
    if (name == QLatin1String("Form2")) {
        m_window->PushButton4_Click();
        return &m_window->form2();
    }
    if (name == QLatin1String("Form3")) {
        m_window->PushButton11_Click();
        return &m_window->form3();
    }
    if (name == QLatin1String("Form5"))
        m_filterDialog = std::make_unique<Form5>(m_labelFilter, m_window.get());
    else
        m_filterDialog = std::make_unique<Form6>(m_charactersFilter, m_window.get());
    m_filterDialog->show();
    return m_filterDialog.get();
}

void tst_Accessibility::actionableControlsAreNamed()
{
    QFETCH(QString, window);
    QWidget *shown = openWindow(window);
    QVERIFY(QTest::qWaitForWindowExposed(shown));

    QAccessibleInterface *root = accessibleOf(shown);
    QVERIFY(root);
    QVERIFY(!root->text(QAccessible::Name).isEmpty()); // the window title
    QStringList unnamed;
    collectUnnamed(root, unnamed);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral("; "))));
}

void tst_Accessibility::resultRowsAreCheckableItemsWithTheirFullText()
{
    const QString longRow = QStringLiteral("A row far wider than the list, so the view elides it "
                                           "on screen: ")
                                .repeated(4)
                                .trimmed();
    const QStringList texts {QStringLiteral("first"), longRow, QString(), QStringLiteral("last")};
    ResultListModel &model = m_window->results();
    for (const QString &text : texts)
        model.append(text);
    model.flushPendingRows();
    model.setChecked(3, true);
    ResultListView *view = m_window->controls().ListView1;
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));

    for (int row = 0; row < texts.size(); ++row) {
        const QModelIndex index = model.index(row);
        QVERIFY(model.flags(index).testFlag(Qt::ItemIsUserCheckable));
        QCOMPARE(model.data(index, Qt::DisplayRole).toString(), texts.at(row));
    }

    QAccessibleInterface *list = accessibleOf(view);
    QVERIFY(list);
    QCOMPARE(list->role(), QAccessible::List);
    QCOMPARE(list->text(QAccessible::Name), QStringLiteral("Results"));
    QStringList names;
    QList<bool> checkable;
    QList<bool> checked;
    for (int i = 0; i < list->childCount(); ++i) {
        QAccessibleInterface *item = list->child(i);
        if (!item || item->role() != QAccessible::ListItem)
            continue;
        names << item->text(QAccessible::Name);
        checkable << bool(item->state().checkable);
        checked << bool(item->state().checked);
    }
    QCOMPARE(names, texts);
    QCOMPARE(checkable, QList<bool>(texts.size(), true));
    QCOMPARE(checked, (QList<bool> {false, false, false, true}));
}

void tst_Accessibility::progressBarNameFollowsStatusText()
{
    DovecotFixture fixture;
    fixture.exportToEnvironment();
    // The window was loaded before the fixture's address was known: point its component there.
    m_window->ImapComponent1()->setServerOverride(ServerOverride::fromEnvironment());
    QProgressBar *bar = m_window->controls().ProgressBar1;
    QCOMPARE(bar->accessibleName(), QStringLiteral("Progress Bar"));
    QList<int> values;
    connect(bar, &QProgressBar::valueChanged, this, [&](int value) { values << value; });
    NameChangeLog::watched = bar;
    NameChangeLog::names.clear();
    NameChangeLog::formatsAtChange.clear();
    NameChangeLog::valuesAtChange.clear();
    QAccessible::installUpdateHandler(&NameChangeLog::record);
    setAccessibilityActive(true);
    QVERIFY(QAccessible::isActive());

    m_window->controls().Text7->setText(fixture.user());
    m_window->controls().Text6->setText(fixture.password());
    QTest::mouseClick(m_window->controls().PushButton17, Qt::LeftButton);
    QTest::mouseClick(m_window->controls().PushButton13, Qt::LeftButton);
    QCOMPARE(m_prompts->messageTexts(), QStringList {QStringLiteral("Done.")});

    // Every change is announced with the text the bar shows at that moment.
    QCOMPARE(NameChangeLog::names, NameChangeLog::formatsAtChange);
    QStringList expected {QStringLiteral("Connecting to Gmail..."),
                          QStringLiteral("Connected to Gmail.")};
    const qsizetype messages = fixture.seedFiles(QStringLiteral("INBOX")).size();
    for (qsizetype number = 1; number <= messages; ++number)
        expected
            << QStringLiteral("Reading mail %1 of %2, 1 MB downloaded").arg(number).arg(messages);
    expected << QStringLiteral("Progress Bar");
    QCOMPARE(withoutRepeats(NameChangeLog::names), expected);
    QCOMPARE(bar->accessibleName(), bar->format());

    // Also while no progress is reported (small messages come in one piece).
    values += NameChangeLog::valuesAtChange;
    QCOMPARE(bar->value(), bar->minimum());
    for (int value : std::as_const(values))
        QVERIFY2(value >= bar->minimum(), qPrintable(QString::number(value)));
}

void tst_Accessibility::mainWindowShowsTheProgramIcon()
{
    const QIcon icon = ProgramIcon();
    QVERIFY(!icon.isNull());
    QVERIFY(icon.availableSizes().contains(QSize(256, 256)));
    const QImage shown = m_window->windowIcon().pixmap(QSize(32, 32)).toImage();
    QVERIFY(!shown.isNull());
    QCOMPARE(shown, icon.pixmap(QSize(32, 32)).toImage());
}

QTEST_MAIN(tst_Accessibility)
#include "tst_Accessibility.moc"
