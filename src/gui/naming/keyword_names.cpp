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

#include <algorithm>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// Designed places inside the frame, in twips: keywords, patterns, the two buttons, then the
// final list, left to right.
constexpr float kListTop = 1140;
constexpr float kCaptionTop = 840;
constexpr float kCaptionHeight = 285;
constexpr float kMargin = 240;
constexpr float kGap = 165;
constexpr float kButtonWidth = 2400;
constexpr std::array<float, 3> kListWidths = {3795, 3795, 4080};
constexpr float kNoteGap = 60;
constexpr float kNoteMinimumHeight = 540;
constexpr float kBottomMargin = 210;

QLabel *captionFor(const QString &text, const QString &name, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setBuddy(buddy);
    return label;
}

} // namespace

KeywordNames::KeywordNames(Platform *platform, QGroupBox *frame)
    : QWidget(frame), m_platform(platform)
{
    setObjectName(QStringLiteral("KeywordNames"));

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
    m_listCaptions[0] = captionFor(QStringLiteral("Your Keywords:"),
                                   QStringLiteral("lblPDFKeywords"), txtPDFKeywords, this);

    lstKeywordCombinations = new QListWidget(this);
    lstKeywordCombinations->setObjectName(QStringLiteral("lstKeywordCombinations"));
    m_listCaptions[1] = captionFor(QStringLiteral("Combinations:"),
                                   QStringLiteral("lblKeywordCombinations"),
                                   lstKeywordCombinations, this);

    cmdCreateList = new QPushButton(QStringLiteral("Combine Keywords"), this);
    cmdCreateList->setObjectName(QStringLiteral("cmdCreateList"));
    connect(cmdCreateList, &QPushButton::clicked, this, [this] { cmdCreateList_Click(); });

    cmdClearList = new QPushButton(QStringLiteral("Clear List"), this);
    cmdClearList->setObjectName(QStringLiteral("cmdClearList"));
    connect(cmdClearList, &QPushButton::clicked, this, [this] { cmdClearList_Click(); });

    txtFinalList = new QPlainTextEdit(this);
    txtFinalList->setObjectName(QStringLiteral("txtFinalList"));
    txtFinalList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtFinalList->setTabChangesFocus(true);
    txtFinalList->installEventFilter(this);
    m_listCaptions[2] = captionFor(QStringLiteral("Final List:"), QStringLiteral("lblFinalList"),
                                   txtFinalList, this);

    lblFinalListNote = new QLabel(
        QStringLiteral("If you modify this list, please press \"Enter\" to apply the changes."),
        this);
    lblFinalListNote->setObjectName(QStringLiteral("lblFinalListNote"));
    lblFinalListNote->setWordWrap(true);
    lblFinalListNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lblKeywordsInfo = new QLabel(this);
    lblKeywordsInfo->setObjectName(QStringLiteral("lblKeywordsInfo"));
    QFont bold = lblKeywordsInfo->font();
    bold.setBold(true);
    lblKeywordsInfo->setFont(bold);
    fitFrame();

    QWidget::setTabOrder(optFilename[0], optFilename[1]);
    QWidget::setTabOrder(optFilename[1], txtPDFKeywords);
    QWidget::setTabOrder(txtPDFKeywords, lstKeywordCombinations);
    QWidget::setTabOrder(lstKeywordCombinations, cmdCreateList);
    QWidget::setTabOrder(cmdCreateList, cmdClearList);
    QWidget::setTabOrder(cmdClearList, txtFinalList);
}

void KeywordNames::fitFrame()
{
    // The designed places are the frame's own coordinates: the panel lies over all of it.
    setGeometry(parentWidget()->rect());
    layOut();
}

void KeywordNames::layOut()
{
    const float width = twips::fromPixels(this->width());
    const float height = twips::fromPixels(this->height());
    // The lists share what the margins, gaps and the button column leave, as designed.
    const float fixed = 2 * kMargin + 3 * kGap + kButtonWidth;
    const float designedLists = kListWidths[0] + kListWidths[1] + kListWidths[2];
    const float scale = std::max(0.0f, width - fixed) / designedLists;
    std::array<float, 3> lefts{}, widths{};
    float left = kMargin;
    for (int i = 0; i < 3; ++i) {
        widths[i] = kListWidths[i] * scale;
        lefts[i] = left;
        left += widths[i] + kGap + (i == 1 ? kButtonWidth + kGap : 0);
    }
    const float buttonsLeft = lefts[1] + widths[1] + kGap;
    // The note under the final list wraps to as many lines as its width needs.
    const float note = std::max(
        kNoteMinimumHeight,
        twips::fromPixels(lblFinalListNote->heightForWidth(twips::toPixels(widths[2]))));
    const float listHeight =
        std::max(0.0f, height - kListTop - kNoteGap - note - kBottomMargin);
    const float below = kListTop + listHeight + kNoteGap;

    const std::array<QWidget *, 3> lists = {txtPDFKeywords, lstKeywordCombinations, txtFinalList};
    for (int i = 0; i < 3; ++i) {
        twips::place(lists[i], lefts[i], kListTop, widths[i], listHeight);
        twips::place(m_listCaptions[i], lefts[i], kCaptionTop, widths[i], kCaptionHeight);
    }
    twips::place(cmdCreateList, buttonsLeft, kListTop, kButtonWidth, 450);
    twips::place(cmdClearList, buttonsLeft, kListTop + 570, kButtonWidth, 450);
    twips::place(lblFinalListNote, lefts[2], below, widths[2], note);
    twips::place(lblKeywordsInfo, kMargin, below, buttonsLeft - kGap - kMargin, 330);
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

void KeywordNames::focusKeywords()
{
    txtPDFKeywords->setFocus();
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
    // Enter still breaks the line as usual; the names are taken once the key comes up.
    if (watched == txtFinalList && event->type() == QEvent::KeyRelease) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (!key->isAutoRepeat())
            txtFinalList_KeyUp(key->key(), key->modifiers());
    }
    return QWidget::eventFilter(watched, event);
}
