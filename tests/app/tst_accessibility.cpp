#include "frm_mass.h"
#include "frm_rc.h"
#include "recording_platform.h"
#include "t_frame.h"
#include "test_app_folder.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QDir>
#include <QTest>

// Every control a person uses must be findable by what a person sees: its caption as
// accessible name, or a label that names it.
class AccessibilityTest : public QObject
{
    Q_OBJECT
private slots:
    void mainWindow_everyControlIsNamed();
    void generatorWindow_everyControlIsNamed();

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

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
