#include "keyword_names.h"

#include "keyword_combinations.h"
#include "platform.h"
#include "t_parser.h"
#include "t_tools.h"
#include "text_codec.h"
#include "twips.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// Designed places inside the frame, in twips: keywords, patterns, the two buttons, then the
// final list, left to right.
constexpr float kListTop = 1140;
constexpr float kListHeight = 3330;
constexpr float kCaptionTop = 840;
constexpr float kCaptionHeight = 285;

QLabel *captionFor(const QString &text, const QString &name, QWidget *buddy, float left,
                   float width, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setBuddy(buddy);
    twips::place(label, left, kCaptionTop, width, kCaptionHeight);
    return label;
}

} // namespace

KeywordNames::KeywordNames(Platform *platform, QGroupBox *frame)
    : QWidget(frame), m_platform(platform)
{
    setObjectName(QStringLiteral("KeywordNames"));
    // The designed places are the frame's own coordinates: the panel lies over all of it.
    setGeometry(frame->rect());
    frame->installEventFilter(this);

    static const std::array<QString, 2> choices = {QStringLiteral("Use Original Filenames"),
                                                   QStringLiteral("Use a Combination of Keywords")};
    static const std::array<float, 2> choiceLefts = {240, 3480};
    static const std::array<float, 2> choiceWidths = {3120, 4200};
    auto *choiceGroup = new QButtonGroup(this);
    for (int i = 0; i < 2; ++i) {
        optFilename[i] = new QRadioButton(choices[i], this);
        optFilename[i]->setObjectName(QStringLiteral("optFilename_%1").arg(i));
        choiceGroup->addButton(optFilename[i], i);
        twips::place(optFilename[i], choiceLefts[i], 390, choiceWidths[i], 330);
    }
    optFilename[0]->setChecked(true);

    txtPDFKeywords = new QPlainTextEdit(this);
    txtPDFKeywords->setObjectName(QStringLiteral("txtPDFKeywords"));
    txtPDFKeywords->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtPDFKeywords->setTabChangesFocus(true);
    twips::place(txtPDFKeywords, 240, kListTop, 3795, kListHeight);
    captionFor(QStringLiteral("Your Keywords:"), QStringLiteral("lblPDFKeywords"), txtPDFKeywords,
               240, 3795, this);

    lstKeywordCombinations = new QListWidget(this);
    lstKeywordCombinations->setObjectName(QStringLiteral("lstKeywordCombinations"));
    twips::place(lstKeywordCombinations, 4200, kListTop, 3795, kListHeight);
    captionFor(QStringLiteral("Combinations:"), QStringLiteral("lblKeywordCombinations"),
               lstKeywordCombinations, 4200, 3795, this);

    cmdCreateList = new QPushButton(QStringLiteral("Combine Keywords"), this);
    cmdCreateList->setObjectName(QStringLiteral("cmdCreateList"));
    twips::place(cmdCreateList, 8160, kListTop, 2400, 450);
    connect(cmdCreateList, &QPushButton::clicked, this, [this] { cmdCreateList_Click(); });

    cmdClearList = new QPushButton(QStringLiteral("Clear List"), this);
    cmdClearList->setObjectName(QStringLiteral("cmdClearList"));
    twips::place(cmdClearList, 8160, kListTop + 570, 2400, 450);
    connect(cmdClearList, &QPushButton::clicked, this, [this] { cmdClearList_Click(); });

    txtFinalList = new QPlainTextEdit(this);
    txtFinalList->setObjectName(QStringLiteral("txtFinalList"));
    txtFinalList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtFinalList->setTabChangesFocus(true);
    txtFinalList->installEventFilter(this);
    twips::place(txtFinalList, 10725, kListTop, 4080, kListHeight);
    captionFor(QStringLiteral("Final List:"), QStringLiteral("lblFinalList"), txtFinalList, 10725,
               4080, this);

    lblFinalListNote = new QLabel(
        QStringLiteral("If you modify this list, please press \"Enter\" to apply the changes."),
        this);
    lblFinalListNote->setObjectName(QStringLiteral("lblFinalListNote"));
    lblFinalListNote->setWordWrap(true);
    lblFinalListNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    twips::place(lblFinalListNote, 10725, kListTop + kListHeight + 60, 4080, 540);

    lblKeywordsInfo = new QLabel(this);
    lblKeywordsInfo->setObjectName(QStringLiteral("lblKeywordsInfo"));
    QFont bold = lblKeywordsInfo->font();
    bold.setBold(true);
    lblKeywordsInfo->setFont(bold);
    twips::place(lblKeywordsInfo, 240, kListTop + kListHeight + 60, 7755, 330);

    QWidget::setTabOrder(optFilename[0], optFilename[1]);
    QWidget::setTabOrder(optFilename[1], txtPDFKeywords);
    QWidget::setTabOrder(txtPDFKeywords, lstKeywordCombinations);
    QWidget::setTabOrder(lstKeywordCombinations, cmdCreateList);
    QWidget::setTabOrder(cmdCreateList, cmdClearList);
    QWidget::setTabOrder(cmdClearList, txtFinalList);
}

void KeywordNames::growLists(float extraHeight)
{
    const float height = kListHeight + extraHeight;
    twips::place(txtPDFKeywords, 240, kListTop, 3795, height);
    twips::place(lstKeywordCombinations, 4200, kListTop, 3795, height);
    twips::place(txtFinalList, 10725, kListTop, 4080, height);
    twips::place(lblFinalListNote, 10725, kListTop + height + 60, 4080, 540);
    twips::place(lblKeywordsInfo, 240, kListTop + height + 60, 7755, 330);
}

void KeywordNames::addPatterns(const QStringList &patterns)
{
    lstKeywordCombinations->addItems(patterns);
}

QStringList KeywordNames::patterns() const
{
    QStringList items;
    for (int i = 0; i < lstKeywordCombinations->count(); ++i)
        items.append(lstKeywordCombinations->item(i)->text());
    return items;
}

bool KeywordNames::useKeywordNames() const
{
    return optFilename[1]->isChecked();
}

void KeywordNames::cmdCreateList_Click()
{
    const QString keywordText = txtPDFKeywords->toPlainText();
    if (keywordText.isEmpty()) {
        m_platform->messageBox(
            window(), QStringLiteral("Please enter some keywords first."),
            QStringLiteral("Missing Info"), Platform::Buttons::Ok, Platform::Icon::Information);
        return;
    }
    lstKeywords.clear();
    tTools::SplitToList(textcodec::toCrLf(keywordText), kCrLf, lstKeywords, QString());

    const QStringList names = combineKeywords(patterns(), lstKeywords);
    // The pattern list's selection ends on the last pattern used.
    if (lstKeywordCombinations->count() > 0)
        lstKeywordCombinations->setCurrentRow(lstKeywordCombinations->count() - 1);
    QString result;
    for (const QString &name : names)
        result += name + kCrLf;

    txtFinalList->setPlainText(QString(result).replace(kCrLf, QStringLiteral("\n")));
    applyFinalText(result);
}

void KeywordNames::applyFinalText(const QString &text)
{
    lstFinalList.clear();
    tTools::SplitToList(text, kCrLf, lstFinalList, QString());
    showInfo();
}

void KeywordNames::showInfo()
{
    const int articles = m_articleCount ? m_articleCount() : 0;
    lblKeywordsInfo->setText(QStringLiteral("Articles to Create: ") + QString::number(articles) +
                             QStringLiteral("  - Filenames: ") +
                             QString::number(lstFinalList.size()));
}

void KeywordNames::txtFinalList_KeyUp(int keyCode, Qt::KeyboardModifiers)
{
    if (keyCode != Qt::Key_Return && keyCode != Qt::Key_Enter)
        return;
    applyFinalText(textcodec::toCrLf(txtFinalList->toPlainText()));
}

void KeywordNames::cmdClearList_Click()
{
    txtFinalList->setPlainText(QString());
}

bool KeywordNames::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    // Enter still breaks the line as usual; the names are taken once the key comes up.
    if (watched == txtFinalList && event->type() == QEvent::KeyRelease) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (!key->isAutoRepeat())
            txtFinalList_KeyUp(key->key(), key->modifiers());
    }
    return QWidget::eventFilter(watched, event);
}
