#include "article_browser.h"
#include "build_info.h"
#include "frm_mass.h"
#include "page_preview.h"
#include "recording_platform.h"
#include "t_frame.h"
#include "test_app_folder.h"
#include "twips.h"

#include <QAbstractScrollArea>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

class FrmMassTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { platform = RecordingPlatform(); }
    void startUp_titleLabelsAndFirstPage();
    void startUp_createsOutputFolderOnlyWhenBinExists();
    void startUp_outputFolderAtRootHasOneSeparator();
    void startUp_noApplicationFolder_makesNothing();
    void startUp_patternListFromFileOrEmpty();
    void showPage_switchesButtonsVisibilityAndFocus();
    void pageButtons_clickOnFrameOrLabelSwitches();
    void resize_computesTwipsAndSkipsNegativeSizes();
    void resize_followsTheRealWindow();
    void pleaseWait_blinksWhileTimerRuns();
    void preview_followsTypingAfterThePause();
    void geometry_nothingOverlapsOrIsCutAtAnySize();
    void growing_makesTheListsTaller();
    void reorder_singleRunTakesTheShownOrder();
    void openFolder_noFileManager_saysSoNamingTheFolder();
    void qtPlatform_openFolder_failureOfTheOpenerIsReported();

private:
    RecordingPlatform platform;
};

void FrmMassTest::startUp_titleLabelsAndFirstPage()
{
    TestAppFolder app;
    frmMass w(app.path(), &platform);
    QCOMPARE(w.windowTitle(), QStringLiteral("Paperwake Pro " PAPERWAKE_VERSION " by paperwake.app"));
    QCOMPARE(w.findChild<QLabel *>("lblAppName")->text(), QStringLiteral("Paperwake Pro"));
    QCOMPARE(w.findChild<QLabel *>("lblBy")->text(), QStringLiteral("by paperwake.app"));
    QCOMPARE(w.findChild<QGroupBox *>("frSinglePDFCreation")->title(),
             QStringLiteral("  Single PDF Creation  "));
    QCOMPARE(w.findChild<QGroupBox *>("frPage_0")->title(), QStringLiteral("  PDF Content    "));
    QCOMPARE(w.findChild<QGroupBox *>("frPage_1")->title(), QStringLiteral("  Monetization   "));
    QCOMPARE(w.findChild<QGroupBox *>("frPage_2")->title(), QStringLiteral("  Create   "));
    QVERIFY(!w.findChild<QGroupBox *>("frPage_0")->isHidden());
    QVERIFY(w.findChild<QGroupBox *>("frPage_1")->isHidden());
    QVERIFY(!w.findChild<tFrame *>("tButton_0")->isEnabled());
    QVERIFY(w.findChild<QLabel *>("lblPleaseWait")->isHidden());
    // The three pages share one spot.
    const MainLayout &layout = w.layoutTwips();
    for (int i = 1; i < 3; ++i) {
        QCOMPARE(layout.frPage[i].left, layout.frPage[0].left);
        QCOMPARE(layout.frPage[i].top, layout.frPage[0].top);
    }
    QCOMPARE(layout.frSinglePDFCreation.top, 1125.0f);
    QCOMPARE(w.sFolder, app.file(QStringLiteral("bin/output")));
}

void FrmMassTest::startUp_createsOutputFolderOnlyWhenBinExists()
{
    TestAppFolder withBin(TestAppFolder::Bin);
    { frmMass w(withBin.path(), &platform); }
    QVERIFY(QFileInfo(withBin.file(QStringLiteral("bin/output"))).isDir());

    TestAppFolder withoutBin(0);
    frmMass w(withoutBin.path(), &platform); // must not fail
    QVERIFY(!QFileInfo::exists(withoutBin.file(QStringLiteral("bin"))));
    QVERIFY(platform.messages.isEmpty());

    // An existing output folder keeps what it holds.
    const QString old = withBin.writeFile(QStringLiteral("bin/output/old.pdf"), "%PDF");
    { frmMass again(withBin.path(), &platform); }
    QCOMPARE(readBytes(old), QByteArray("%PDF"));
}

void FrmMassTest::startUp_outputFolderAtRootHasOneSeparator()
{
    const QString root = QDir::rootPath();
    QCOMPARE(frmMass::outputFolderFor(QDir::toNativeSeparators(root)),
             QDir::toNativeSeparators(root + QStringLiteral("bin/output")));
}

void FrmMassTest::startUp_noApplicationFolder_makesNothing()
{
    // Without HOME there is no application folder: its output folder would be the root's.
    const QString rootOutput = frmMass::outputFolderFor(QString());
    QVERIFY2(!QFileInfo::exists(rootOutput), qPrintable(rootOutput));
    frmMass w(QString(), &platform);
    QVERIFY(!QFileInfo::exists(rootOutput));
    QVERIFY(platform.messages.isEmpty());
}

void FrmMassTest::startUp_patternListFromFileOrEmpty()
{
    const auto items = [](const frmMass &w) {
        QStringList texts;
        const auto *list = w.findChild<QListWidget *>("lstKeywordCombinations");
        for (int i = 0; i < list->count(); ++i)
            texts.append(list->item(i)->text());
        return texts;
    };
    TestAppFolder app(TestAppFolder::Bin);
    app.writeFile(QStringLiteral("lstcombinations.txt"), "#KEYWORD#\r\n\r\nbest #KEYWORD# tips\r\n");
    frmMass with(app.path(), &platform);
    QCOMPARE(items(with),
             (QStringList{QStringLiteral("#KEYWORD#"), QStringLiteral("best #KEYWORD# tips")}));

    TestAppFolder none(TestAppFolder::Bin);
    frmMass without(none.path(), &platform);
    QVERIFY(items(without).isEmpty());
    QVERIFY(platform.messages.isEmpty());
}

void FrmMassTest::showPage_switchesButtonsVisibilityAndFocus()
{
    TestAppFolder app;
    frmMass w(app.path(), &platform);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const std::array<QGroupBox *, 3> pages = {w.findChild<QGroupBox *>("frPage_0"),
                                              w.findChild<QGroupBox *>("frPage_1"),
                                              w.findChild<QGroupBox *>("frPage_2")};
    for (int index : {2, 1, 0}) {
        w.ShowPage(index);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(w.findChild<tFrame *>(QStringLiteral("tButton_%1").arg(i))->isEnabled(),
                     i != index);
            QCOMPARE(pages[i]->isHidden(), i != index);
        }
    }
    // Focus moves to the ad title only for page 1, also when page 1 is already on show.
    auto *title = w.findChild<QLineEdit *>("txtAdTitle");
    auto *ctaText = w.findChild<QLineEdit *>("txtCTAText");
    auto *fileName = w.findChild<QLineEdit *>("txtPDFFilename");
    w.ShowPage(1);
    QTRY_VERIFY(title->hasFocus());
    ctaText->setFocus();
    QTRY_VERIFY(ctaText->hasFocus());
    w.ShowPage(1);
    QTRY_VERIFY(title->hasFocus());
    w.ShowPage(2);
    fileName->setFocus();
    QTRY_VERIFY(fileName->hasFocus());
    w.ShowPage(2);
    QTest::qWait(20);
    QVERIFY(fileName->hasFocus());
    w.ShowPage(0);
    w.ShowPage(3);
    QVERIFY(!pages[0]->isHidden());
    QVERIFY(!w.findChild<tFrame *>("tButton_0")->isEnabled());
    QVERIFY(w.findChild<tFrame *>("tButton_1")->isEnabled());
}

void FrmMassTest::pageButtons_clickOnFrameOrLabelSwitches()
{
    TestAppFolder app;
    frmMass w(app.path(), &platform);
    w.show();
    auto *button2 = w.findChild<tFrame *>("tButton_2");
    QTest::mouseClick(button2, Qt::LeftButton, {}, QPoint(3, 3));
    QVERIFY(!w.findChild<QGroupBox *>("frPage_2")->isHidden());
    QTest::mouseClick(w.findChild<QLabel *>("lblButton_1"), Qt::LeftButton);
    QVERIFY(!w.findChild<QGroupBox *>("frPage_1")->isHidden());
    QVERIFY(w.findChild<QGroupBox *>("frPage_2")->isHidden());
    // The page on show does not react: its button is disabled.
    QTest::mouseClick(w.findChild<QLabel *>("lblButton_1"), Qt::LeftButton);
    QVERIFY(!w.findChild<tFrame *>("tButton_1")->isEnabled());
}

void FrmMassTest::resize_computesTwipsAndSkipsNegativeSizes()
{
    MainLayout layout = MainLayout::designed();
    layout.resizeTo(10000, 8000);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(layout.frPage[i].width, 9200.0f);
        QCOMPARE(layout.frPage[i].height, 4410.0f);
    }
    QCOMPARE(layout.frSinglePDFCreation.width, 9200.0f - 4905 - 500);
    QCOMPARE(layout.lstSelectedArticles.width, 8655.0f); // would be negative: kept
    MainLayout wide = MainLayout::designed();
    wide.resizeTo(20000, 12000);
    QCOMPARE(wide.lstSelectedArticles.width, 19200.0f - 4905 - 500 - 3870 - 500);
    QCOMPARE(layout.lblPleaseWait.left, 10000.0f - 5955 - 800);
    QCOMPARE(wide.frFilename[0].left, 10000.0f - 15045.0f / 2);

    // Too small: the page height and the frame widths would go negative and keep their old
    // values; everything else still follows the window.
    layout.resizeTo(6000, 3000);
    QCOMPARE(layout.frPage[0].width, 5200.0f);
    QCOMPARE(layout.frPage[1].width, 5200.0f);
    QCOMPARE(layout.frPage[0].height, 4410.0f);
    QCOMPARE(layout.frPage[2].height, 4410.0f);
    QCOMPARE(layout.frSinglePDFCreation.width, 9200.0f - 4905 - 500); // 5200-4905-500 < 0
    QCOMPARE(layout.lblPleaseWait.left, 6000.0f - 5955 - 800);
    // Too narrow for the naming frames: they narrow, centred still, and stay in their page.
    for (const TwipRect &frame : layout.frFilename) {
        QCOMPARE(frame.left + frame.width / 2, 3000.0f);
        QVERIFY(frame.left >= 0 && frame.left + frame.width <= layout.frPage[2].width);
    }
}

void FrmMassTest::resize_followsTheRealWindow()
{
    TestAppFolder app;
    frmMass w(app.path(), &platform);
    w.show();
    w.resize(800, 600);
    QTRY_COMPARE(w.findChild<QGroupBox *>("frPage_0")->width(),
                 twips::toPixels(twips::fromPixels(w.frameGeometry().width()) - 800));
    QCOMPARE(w.findChild<QGroupBox *>("frPage_2")->width(),
             w.findChild<QGroupBox *>("frPage_0")->width());
}

void FrmMassTest::pleaseWait_blinksWhileTimerRuns()
{
    TestAppFolder app;
    frmMass w(app.path(), &platform);
    auto *label = w.findChild<QLabel *>("lblPleaseWait");
    auto *timer = w.findChild<QTimer *>("tmrPleaseWait");
    QCOMPARE(timer->interval(), 300);
    QVERIFY(!timer->isActive());
    timer->start();
    QTRY_VERIFY_WITH_TIMEOUT(!label->isHidden(), 1000);
    QTRY_VERIFY_WITH_TIMEOUT(label->isHidden(), 1000);
    timer->stop();
    const bool frozen = label->isHidden();
    QTest::qWait(700);
    QCOMPARE(label->isHidden(), frozen);
}

namespace {

// Widgets whose inside is their own: what lies within them is no control of its own.
bool isWhole(const QWidget *widget)
{
    return qobject_cast<const QAbstractScrollArea *>(widget) ||
           qobject_cast<const QComboBox *>(widget) || qobject_cast<const QAbstractButton *>(widget) ||
           qobject_cast<const QLineEdit *>(widget) || qobject_cast<const QProgressBar *>(widget);
}

QString nameOf(const QWidget *widget)
{
    if (!widget->objectName().isEmpty())
        return widget->objectName();
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return u'"' + label->text().left(30) + u'"';
    return QString::fromLatin1(widget->metaObject()->className());
}

// What a person sees of the window: every control shown on it, by its rectangle in the
// window.
QList<std::pair<const QWidget *, QRect>> shownControls(const QWidget &w)
{
    QList<std::pair<const QWidget *, QRect>> controls;
    for (const QWidget *child : w.findChildren<QWidget *>()) {
        if (child->isWindow() || !child->isVisibleTo(&w))
            continue;
        bool inside = false;
        for (const QWidget *up = child->parentWidget(); up && up != &w; up = up->parentWidget())
            inside = inside || isWhole(up);
        if (!inside)
            controls.append({child, QRect(child->mapTo(&w, QPoint(0, 0)), child->size())});
    }
    return controls;
}

// Controls outside the window, pairs of controls that overlap without one holding the other,
// and texts that do not fit their control.
QStringList layoutFaults(const QWidget &w)
{
    QStringList faults;
    const auto controls = shownControls(w);
    for (qsizetype i = 0; i < controls.size(); ++i) {
        const auto &[widget, rect] = controls.at(i);
        if (!w.rect().contains(rect))
            faults << nameOf(widget) + QStringLiteral(" outside the window");
        for (qsizetype j = i + 1; j < controls.size(); ++j) {
            const QRect &other = controls.at(j).second;
            if (rect.intersects(other) && !rect.contains(other) && !other.contains(rect))
                faults << nameOf(widget) + QStringLiteral(" overlaps ") + nameOf(controls.at(j).first);
        }
        QSize needed;
        if (const auto *label = qobject_cast<const QLabel *>(widget); label && !label->text().isEmpty())
            needed = label->wordWrap()
                         ? QSize(0, label->heightForWidth(label->width()))
                         : label->sizeHint();
        else if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
            needed = QSize(button->sizeHint().width(), 0);
        if (needed.width() > rect.width() || needed.height() > rect.height())
            faults << QStringLiteral("%1 needs %2x%3, has %4x%5")
                          .arg(nameOf(widget))
                          .arg(needed.width())
                          .arg(needed.height())
                          .arg(rect.width())
                          .arg(rect.height());
    }
    return faults;
}

QStringList directoryEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

void FrmMassTest::preview_followsTypingAfterThePause()
{
    TestAppFolder app;
    frmMass w(app.path(), &platform);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *view = w.findChild<PagePreviewView *>();
    PagePreview *preview = view->preview();
    QTest::qWait(700);
    // Nobody looks at it on the first page: nothing is made.
    QCOMPARE(preview->state(), PagePreview::State::Waiting);
    const QStringList binBefore = directoryEntries(app.file(QStringLiteral("bin")));
    const QStringList outputBefore = directoryEntries(app.file(QStringLiteral("bin/output")));

    w.ShowPage(1);
    QTRY_COMPARE_WITH_TIMEOUT(preview->state(), PagePreview::State::Ready, 60000);
    const QImage before = preview->image();
    QVERIFY(!view->findChild<QLabel *>("picPreview")->pixmap().isNull());

    QTest::keyClicks(w.findChild<QLineEdit *>("txtAdTitle"), QStringLiteral("Harvest Sale"));
    QVERIFY(preview->isBusy()); // typing never waits for the converter
    QCOMPARE(view->findChild<QLabel *>("lblPreviewStatus")->text(),
             QStringLiteral("Updating the preview ..."));
    QTRY_COMPARE_WITH_TIMEOUT(preview->state(), PagePreview::State::Ready, 60000);
    QVERIFY(preview->image() != before);
    QVERIFY(pdfText(preview->pdfPath()).contains(QStringLiteral("Harvest Sale")));
    QVERIFY(view->findChild<QLabel *>("lblPreviewStatus")->text().isEmpty());

    QCOMPARE(directoryEntries(app.file(QStringLiteral("bin"))), binBefore);
    QCOMPARE(directoryEntries(app.file(QStringLiteral("bin/output"))), outputBefore);
}

void FrmMassTest::geometry_nothingOverlapsOrIsCutAtAnySize()
{
    TestAppFolder app;
    app.installFakeConverter("exec sleep 60");
    app.writeFile(QStringLiteral("articles/a.txt"), "words");
    frmMass w(app.path(), &platform);
    // It opens on any screen it fits: no larger than the screen, unless that is smaller still
    // than the window can be.
    const QSize available = w.screen()->availableSize();
    QVERIFY(w.width() <= std::max(available.width(), w.minimumWidth()));
    QVERIFY(w.height() <= std::max(available.height(), w.minimumHeight()));
    QVERIFY2(w.minimumWidth() <= 1024 && w.minimumHeight() <= 740,
             qPrintable(QStringLiteral("%1x%2").arg(w.minimumWidth()).arg(w.minimumHeight())));
    const QSize designed(twips::toPixels(17220), std::max(twips::toPixels(9720), w.minimumHeight()));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    // A run goes on, so its controls in the header are shown too.
    w.articleBrowser()->setFolder(app.file(QStringLiteral("articles")));
    w.articleBrowser()->cmdSingleMenu_Click(0);
    w.findChild<QLineEdit *>("txtAdTitle")->setText(QStringLiteral("Title"));
    w.findChild<QLineEdit *>("txtCTAText")->setText(QStringLiteral("Go"));
    w.findChild<QLineEdit *>("txtCTAURL")->setText(QStringLiteral("https://example.com"));
    w.findChild<QLineEdit *>("txtPDFFilename")->setText(QStringLiteral("all"));
    w.cmdCreate_Click();
    QVERIFY(w.isRunning());
    auto *caption = w.findChild<QLabel *>("lblPleaseWait");
    caption->setText(QStringLiteral("Please Wait ... (Preparing File 999/999)"));

    QList<QSize> sizes{designed};
    for (int width : {w.minimumWidth(), 1024, 1100, 1280, 1366, 1600, 1920})
        for (int height : {w.minimumHeight(), 740, 768, 900, 1080})
            sizes << QSize(std::max(width, w.minimumWidth()), std::max(height, w.minimumHeight()));
    QStringList faults;
    for (const QSize &size : std::as_const(sizes)) {
        w.resize(size);
        QTRY_COMPARE(w.size(), size);
        for (int mode : {0, 1}) {
            w.findChild<QRadioButton *>(QStringLiteral("optCreationMode_%1").arg(mode))->click();
            for (int page : {0, 1, 2}) {
                w.ShowPage(page);
                caption->show(); // whatever its blink
                for (const QString &fault : layoutFaults(w))
                    faults << QStringLiteral("%1x%2, mode %3, page %4: %5")
                                  .arg(size.width())
                                  .arg(size.height())
                                  .arg(mode)
                                  .arg(page)
                                  .arg(fault);
            }
        }
    }
    w.close(); // ends the run
    faults.removeDuplicates();
    QVERIFY2(faults.isEmpty(), qPrintable(faults.mid(0, 40).join(u'\n')));
}

void FrmMassTest::growing_makesTheListsTaller()
{
    TestAppFolder app;
    frmMass w(app.path(), &platform);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QStringList lists = {"Dir1",
                               "File1",
                               "lstSelectedArticles",
                               "txtPDFKeywords",
                               "lstKeywordCombinations",
                               "txtFinalList",
                               "PagePreview"};
    const auto heights = [&] {
        QList<int> result;
        for (const QString &name : lists)
            result << w.findChild<QWidget *>(name)->height();
        return result;
    };
    const QList<int> small = heights();
    w.resize(1580, 980);
    QTRY_COMPARE(w.size(), QSize(1580, 980));
    const QList<int> large = heights();
    for (int i = 0; i < lists.size(); ++i)
        QVERIFY2(large[i] > small[i] + 100, qPrintable(lists[i]));
}

void FrmMassTest::reorder_singleRunTakesTheShownOrder()
{
    TestAppFolder app;
    const QString first = app.writeFile(QStringLiteral("articles/first.txt"), "Alphorn melody.");
    const QString second = app.writeFile(QStringLiteral("articles/second.txt"), "Bagpipe tune.");
    frmMass w(app.path(), &platform);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *selected = w.findChild<QListWidget *>("lstSelectedArticles");
    selected->addItems({QDir::toNativeSeparators(first), QDir::toNativeSeparators(second)});
    selected->setCurrentRow(1);
    selected->setFocus();
    QTest::keyClick(selected, Qt::Key_Up, Qt::AltModifier);
    QTest::keyClick(selected, Qt::Key_Up, Qt::AltModifier); // already on top: stays
    QCOMPARE(w.articleBrowser()->selectedArticles(),
             (QStringList{QDir::toNativeSeparators(second), QDir::toNativeSeparators(first)}));
    QCOMPARE(selected->currentRow(), 0);

    w.findChild<QLineEdit *>("txtAdTitle")->setText(QStringLiteral("Music Offer"));
    w.findChild<QLineEdit *>("txtCTAText")->setText(QStringLiteral("Listen"));
    w.findChild<QLineEdit *>("txtCTAURL")->setText(QStringLiteral("https://example.com"));
    w.findChild<QLineEdit *>("txtPDFFilename")->setText(QStringLiteral("ordered"));
    w.cmdCreate_Click();
    const QString pdf = app.file(QStringLiteral("bin/output/ordered.pdf"));
    QTRY_VERIFY_WITH_TIMEOUT(!w.isRunning() && QFileInfo::exists(pdf), 120000);
    const QString text = pdfText(pdf);
    QVERIFY2(text.contains(QStringLiteral("Bagpipe")) && text.contains(QStringLiteral("Alphorn")),
             qPrintable(text));
    QVERIFY(text.indexOf(QStringLiteral("Bagpipe")) < text.indexOf(QStringLiteral("Alphorn")));
}

void FrmMassTest::openFolder_noFileManager_saysSoNamingTheFolder()
{
    TestAppFolder app;
    platform.openFolderFailsLater = true;
    frmMass w(app.path(), &platform);
    w.findChild<QPushButton *>(QStringLiteral("cmdOutput"))->click();
    QTRY_COMPARE(platform.messages.size(), 1);
    QVERIFY2(platform.messages[0].text.contains(
                 QDir::toNativeSeparators(app.file(QStringLiteral("bin/output")))),
             qPrintable(platform.messages[0].text));

    // Options > Open Folder: the browser's folder.
    w.articleBrowser()->setFolder(app.file(QStringLiteral("random")));
    w.articleBrowser()->mnuOpenFolderTXT_Click();
    QTRY_COMPARE(platform.messages.size(), 2);
    QVERIFY2(platform.messages[1].text.contains(
                 QDir::toNativeSeparators(app.file(QStringLiteral("random")))),
             qPrintable(platform.messages[1].text));
}

void FrmMassTest::qtPlatform_openFolder_failureOfTheOpenerIsReported()
{
#ifdef Q_OS_UNIX
    // An opener on the PATH that finds no file manager, as xdg-open on a bare system, and one
    // that does.
    QTemporaryDir bin;
    const QString marker = bin.filePath(QStringLiteral("opened"));
    const auto install = [&](const QByteArray &body) {
        QFile script(bin.filePath(QStringLiteral("xdg-open")));
        QVERIFY(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
        script.write("#!/bin/sh\n" + body + "\n");
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                              QFileDevice::ExeOwner);
    };
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + ':' + savedPath);
    QtPlatform real;
    int failures = 0;

    install("exit 3");
    QVERIFY(real.openFolder(bin.path(), [&failures] { ++failures; }));
    QTRY_COMPARE(failures, 1);

    install("echo \"$1\" > " + QFile::encodeName(marker) + "; exit 0");
    QVERIFY(real.openFolder(bin.path(), [&failures] { ++failures; }));
    QTRY_VERIFY(QFileInfo::exists(marker));
    QTest::qWait(300); // time for a wrong report to arrive
    qputenv("PATH", savedPath);
    QCOMPARE(failures, 1);
    QCOMPARE(readBytes(marker).trimmed(), QFile::encodeName(bin.path()));
#else
    QSKIP("the opener is explorer here");
#endif
}

QTEST_MAIN(FrmMassTest)
#include "tst_frm_mass.moc"
