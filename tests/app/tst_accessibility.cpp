#include "article_browser.h"
#include "frm_mass.h"
#include "frm_rc.h"
#include "recording_platform.h"
#include "t_frame.h"
#include "test_app_folder.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

// Every control a person uses must be findable by what a person sees: its caption as
// accessible name, or a label that names it.
class AccessibilityTest : public QObject
{
    Q_OBJECT
private slots:
    void mainWindow_everyControlIsNamed();
    void generatorWindow_everyControlIsNamed();
    void pageButtons_arePushButtonsThatCanBePressed_data();
    void pageButtons_arePushButtonsThatCanBePressed();
    void filesFound_nameHoldsTheCount();
    void progressAndPreview_areNamed();
    void modeOption_toggleAction_switchesTheMode();

private:
    static QStringList unnamedControls(const QWidget *window);
};

QStringList AccessibilityTest::unnamedControls(const QWidget *window)
{
    QHash<const QWidget *, QString> labelled;
    for (const QLabel *label : window->findChildren<QLabel *>()) {
        if (label->buddy())
            labelled.insert(label->buddy(), label->text());
    }
    QStringList unnamed;
    for (const QWidget *widget : window->findChildren<QWidget *>()) {
        const QString name = widget->objectName();
        if (name.isEmpty() || name.startsWith(u"qt_"))
            continue; // parts of Qt's own composite widgets
        const bool control = qobject_cast<const QAbstractButton *>(widget)
                             || qobject_cast<const QLineEdit *>(widget)
                             || qobject_cast<const QPlainTextEdit *>(widget)
                             || qobject_cast<const QAbstractItemView *>(widget)
                             || qobject_cast<const QComboBox *>(widget)
                             || qobject_cast<const tFrame *>(widget);
        if (!control)
            continue;
        // A button's caption is what screen readers announce for it.
        const auto *button = qobject_cast<const QAbstractButton *>(widget);
        const QString caption = button ? button->text() : QString();
        if (widget->accessibleName().trimmed().isEmpty() && caption.trimmed().isEmpty()
            && labelled.value(widget).trimmed().isEmpty())
            unnamed << name;
    }
    return unnamed;
}

void AccessibilityTest::mainWindow_everyControlIsNamed()
{
    TestAppFolder app;
    RecordingPlatform platform;
    frmMass window(app.path(), &platform);
    QCOMPARE(unnamedControls(&window), QStringList());
    // Spot checks of names a test or a screen reader would look for.
    QCOMPARE(window.findChild<QWidget *>("cmdCreate")->accessibleName(), QStringLiteral("Create"));
    QCOMPARE(window.findChild<QWidget *>("tButton_1")->accessibleName(), QStringLiteral("Monetization"));
}

namespace {
struct NoFolder : ArticleFolderAccess
{
    QString folder() const override { return QDir::tempPath(); }
    void refreshFiles() override {}
};
} // namespace

void AccessibilityTest::generatorWindow_everyControlIsNamed()
{
    TestAppFolder app;
    RecordingPlatform platform;
    NoFolder folder;
    frmRC window(app.path(), &platform, &folder);
    QCOMPARE(unnamedControls(&window), QStringList());
}

void AccessibilityTest::pageButtons_arePushButtonsThatCanBePressed_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::newRow("PDF Content") << 0 << "PDF Content";
    QTest::newRow("Monetization") << 1 << "Monetization";
    QTest::newRow("Create!") << 2 << "Create!";
}

void AccessibilityTest::pageButtons_arePushButtonsThatCanBePressed()
{
    QFETCH(int, index);
    QFETCH(QString, caption);
    TestAppFolder app;
    RecordingPlatform platform;
    frmMass window(app.path(), &platform);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Another page first, so that pressing this one has something to do.
    window.ShowPage(index == 0 ? 2 : 0);

    auto *button = window.findChild<tFrame *>(QStringLiteral("tButton_%1").arg(index));
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(button);
    QVERIFY(accessible);
    QCOMPARE(accessible->role(), QAccessible::Button);
    QCOMPARE(accessible->text(QAccessible::Name), caption);
    QAccessibleActionInterface *actions = accessible->actionInterface();
    QVERIFY(actions);
    QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));

    actions->doAction(QAccessibleActionInterface::pressAction());
    auto *page = window.findChild<QGroupBox *>(QStringLiteral("frPage_%1").arg(index));
    QVERIFY(!page->isHidden());
    QVERIFY(accessible->state().disabled); // the page on show
}

void AccessibilityTest::filesFound_nameHoldsTheCount()
{
    QTemporaryDir folder;
    for (const char *name : {"a.txt", "b.txt", "c.txt", "notes.md"}) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    TestAppFolder app;
    RecordingPlatform platform;
    frmMass window(app.path(), &platform);
    window.articleBrowser()->setFolder(folder.path());
    auto *found = window.findChild<QLabel *>("lblFilesFound");
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(found);
    QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("Files Found: 3"));

    QVERIFY(QFile::remove(folder.filePath(QStringLiteral("a.txt"))));
    window.articleBrowser()->setFolder(QDir::tempPath());
    window.articleBrowser()->setFolder(folder.path());
    QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("Files Found: 2"));
}

void AccessibilityTest::progressAndPreview_areNamed()
{
    TestAppFolder app;
    RecordingPlatform platform;
    frmMass window(app.path(), &platform);
    for (const char *name : {"pbProgress", "picPreview"}) {
        QAccessibleInterface *accessible =
            QAccessible::queryAccessibleInterface(window.findChild<QWidget *>(name));
        QVERIFY2(accessible, name);
        QVERIFY2(!accessible->text(QAccessible::Name).trimmed().isEmpty(), name);
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(window.findChild<QWidget *>("picPreview"))
                 ->text(QAccessible::Name),
             QStringLiteral("Preview of the first page"));
}

void AccessibilityTest::modeOption_toggleAction_switchesTheMode()
{
    TestAppFolder app;
    RecordingPlatform platform;
    frmMass window(app.path(), &platform);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *bulkOption = window.findChild<QAbstractButton *>("optCreationMode_1");
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(bulkOption);
    QVERIFY(accessible && accessible->actionInterface());
    QVERIFY(accessible->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::toggleAction()));

    accessible->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QVERIFY(bulkOption->isChecked());
    // The Bulk layout, as a click gives it.
    QVERIFY(window.findChild<QGroupBox *>("frFilename_0")->isHidden());
    QVERIFY(!window.findChild<QGroupBox *>("frFilename_1")->isHidden());
    QCOMPARE(window.findChild<QGroupBox *>("frSinglePDFCreation")->title(), bulkOption->text());
}

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
