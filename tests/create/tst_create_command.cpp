#include "create_checks.h"
#include "frm_mass.h"
#include "recording_platform.h"
#include "test_app_folder.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

class CreateCommandTest : public QObject
{
    Q_OBJECT
private slots:
    void checks_firstFailureWins_data();
    void checks_firstFailureWins();
    void modes_switchFramesHeadlineAndCaption();
    void adPage_startsWithHttpAndLabelsNameTheBoxes();
};

void CreateCommandTest::checks_firstFailureWins_data()
{
    QTest::addColumn<int>("articles");
    QTest::addColumn<QString>("ad");
    QTest::addColumn<bool>("bulk");
    QTest::addColumn<bool>("keywords");
    QTest::addColumn<int>("names");
    QTest::addColumn<QString>("single");
    QTest::addColumn<QString>("expected");

    const QString noArticles = QStringLiteral("Please select one or more articles first.");
    const QString noAd = QStringLiteral("Please enter your Ad details.");
    const QString noKeywords = QStringLiteral("Please enter one or more keywords first.");
    const QString noName = QStringLiteral("Please enter a filename for your PDF file.");
    QTest::newRow("nothing at all: only the article message")
        << 0 << "" << false << false << 0 << "" << noArticles;
    QTest::newRow("one ad field empty") << 1 << "t||u" << false << false << 0 << "x" << noAd;
    QTest::newRow("blanks count as entered") << 1 << " | | " << false << false << 0 << " " << "";
    QTest::newRow("bulk, original names, no keywords") << 2 << "t|c|u" << true << false << 0 << ""
                                                       << "";
    QTest::newRow("bulk, keyword names, empty list") << 2 << "t|c|u" << true << true << 0 << ""
                                                     << noKeywords;
    QTest::newRow("bulk ignores the single name") << 2 << "t|c|u" << true << true << 3 << "a/b"
                                                  << "";
    QTest::newRow("single ignores the keyword list") << 1 << "t|c|u" << false << true << 0 << "r"
                                                     << "";
    QTest::newRow("single without a name") << 1 << "t|c|u" << false << false << 0 << "" << noName;
}

void CreateCommandTest::checks_firstFailureWins()
{
    QFETCH(int, articles);
    QFETCH(QString, ad);
    QFETCH(bool, bulk);
    QFETCH(bool, keywords);
    QFETCH(int, names);
    QFETCH(QString, single);
    QFETCH(QString, expected);
    const QStringList fields = ad.split(u'|');
    CreateInput input;
    input.articleCount = articles;
    input.adTitle = fields.value(0);
    input.ctaText = fields.value(1);
    input.ctaUrl = fields.value(2);
    input.bulk = bulk;
    input.useKeywordNames = keywords;
    input.finalListCount = names;
    input.singleName = single;
    QCOMPARE(firstCreateProblem(input), expected);
}

void CreateCommandTest::modes_switchFramesHeadlineAndCaption()
{
    TestAppFolder app;
    RecordingPlatform platform;
    frmMass w(app.path(), &platform);
    auto *headline = w.findChild<QLabel *>("lblPDFContentHeadline");
    auto *frame = w.findChild<QGroupBox *>("frSinglePDFCreation");
    auto *single = w.findChild<QGroupBox *>("frFilename_0");
    auto *bulk = w.findChild<QGroupBox *>("frFilename_1");
    QVERIFY(w.findChild<QRadioButton *>("optCreationMode_0")->isChecked());
    QVERIFY(!w.findChild<QRadioButton *>("optCreationMode_0")->isHidden());
    QCOMPARE(headline->text(),
             QStringLiteral("The Software Will Create 1 PDF From Each One of these Articles:"));
    QVERIFY(!single->isHidden());
    QVERIFY(bulk->isHidden());

    w.findChild<QRadioButton *>("optCreationMode_1")->click();
    QCOMPARE(headline->text(),
             QStringLiteral("The Software Will Create 1 PDF For Each One of these Articles:"));
    QCOMPARE(frame->title(), QStringLiteral("Bulk PDF Creation"));
    QVERIFY(single->isHidden());
    QVERIFY(!bulk->isHidden());

    // The naming choice inside the bulk frame survives a trip through Single mode.
    auto *keywordNames = w.findChild<QRadioButton *>("optFilename_1");
    if (keywordNames)
        keywordNames->click();
    w.findChild<QRadioButton *>("optCreationMode_0")->click();
    QCOMPARE(frame->title(), QStringLiteral("Single PDF Creation"));
    QVERIFY(!single->isHidden());
    QVERIFY(bulk->isHidden());
    w.findChild<QRadioButton *>("optCreationMode_1")->click();
    if (keywordNames)
        QVERIFY(keywordNames->isChecked());
}

void CreateCommandTest::adPage_startsWithHttpAndLabelsNameTheBoxes()
{
    TestAppFolder app;
    RecordingPlatform platform;
    frmMass w(app.path(), &platform);
    QCOMPARE(w.findChild<QLineEdit *>("txtCTAURL")->text(), QStringLiteral("http://"));
    QVERIFY(w.findChild<QLineEdit *>("txtAdTitle")->text().isEmpty());
    for (const QLabel *label : w.findChildren<QLabel *>()) {
        if (label->text() == u"Title:")
            QCOMPARE(label->buddy(), w.findChild<QWidget *>("txtAdTitle"));
        if (label->text() == u"Call to Action Button Url:")
            QCOMPARE(label->buddy(), w.findChild<QWidget *>("txtCTAURL"));
    }
}

QTEST_MAIN(CreateCommandTest)
#include "tst_create_command.moc"
