#include "page_preview.h"

#include "article_reader.h"
#include "create_checks.h"
#include "page_builder.h"
#include "page_file.h"
#include "pdf_renderer.h"
#include "t_file.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <QVBoxLayout>

#include <poppler-qt6.h>

namespace {

// Several times what a first page holds; larger articles are not read to the end, and the
// engine is not kept busy with pages nobody sees.
constexpr qint64 kArticleBytes = 16 * 1024;
constexpr double kRenderDpi = 110;

const QString kSampleArticle = QStringLiteral(
    "Your article starts here, right under the ad. This is sample text: move articles into the "
    "list on the PDF Content page to see the first one here instead.\r\n"
    "Each line end in an article starts a new paragraph, so the PDF keeps the article's "
    "paragraphs as they were written.\r\n"
    "The ad above always comes first, with its title, the button text and the address the "
    "button leads to.");

} // namespace

PagePreview::PagePreview(const QString &appFolder, QObject *parent)
    : QObject(parent), m_appFolder(appFolder), m_delay(new QTimer(this))
{
    m_delay->setSingleShot(true);
    m_delay->setInterval(500);
    connect(m_delay, &QTimer::timeout, this, &PagePreview::startRender);
}

PagePreview::~PagePreview()
{
    // A render still running ends with the renderer; that end must not start another.
    if (m_renderer)
        m_renderer->disconnect(this);
}

void PagePreview::setDelay(std::chrono::milliseconds delay)
{
    m_delay->setInterval(delay);
}

QString PagePreview::pdfPath() const
{
    return m_dir.filePath(QStringLiteral("preview.pdf"));
}

void PagePreview::setActive(bool active)
{
    m_active = active;
    // Coming back to a preview that could not be made tries again: the user may have fixed it.
    if (active && m_state == State::Unavailable)
        m_stale = true;
    if (!active)
        m_delay->stop();
    else if (m_stale && !m_runningId)
        m_delay->start();
}

void PagePreview::request(const PreviewInput &input)
{
    if (input == m_input && !m_stale && m_state == State::Ready)
        return;
    m_input = input;
    m_stale = true;
    if (m_state != State::Rendering)
        setState(State::Waiting);
    if (m_active)
        m_delay->start();
}

void PagePreview::startRender()
{
    if (m_runningId)
        return; // its end starts the next one
    m_stale = false;
    if (!m_dir.isValid())
        return fail(QStringLiteral("No temporary folder could be made for the preview:\n%1")
                        .arg(m_dir.errorString()));

    const QString templatePath = m_appFolder + QDir::separator() + QStringLiteral("bin") +
                                 QDir::separator() + QStringLiteral("template.html");
    QString templateText;
    QString why;
    if (!tFile::LoadText(templateText, templatePath, &why))
        return fail(QStringLiteral("The page template could not be read:\n%1\n%2.\n\nPut "
                                   "template.html back into that folder; PDFs cannot be made "
                                   "without it either.")
                        .arg(templatePath, why.left(1).toUpper() + why.mid(1)));

    QString problem;
    m_renderingUndrawn.clear();
    if (const QString ad = pagefile::undrawnAdLine(m_input.adTitle, m_input.ctaText);
        !ad.isEmpty())
        m_renderingUndrawn << ad;
    const QString articles = articlePart(problem);
    if (!problem.isEmpty())
        return fail(problem);
    const QString page =
        pagebuilder::composePage(pagebuilder::prepareTemplate(templateText, m_input.adTitle,
                                                              m_input.ctaText,
                                                              buttonAddress(m_input.ctaUrl)),
                                 articles);

    const QString pagePath = m_dir.filePath(QStringLiteral("preview.html"));
    QFile pageFile(pagePath);
    if (!pageFile.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        pageFile.write(page.toUtf8()) < 0 || !pageFile.flush())
        return fail(QStringLiteral("The preview page could not be written:\n%1\n\n%2")
                        .arg(pagePath, pageFile.errorString()));
    pageFile.close();

    // The built-in engine in this process, kept warm: no program is started per preview.
    if (!m_renderer) {
        m_renderer = std::make_unique<PdfRenderer>();
        connect(m_renderer.get(), &PdfRenderer::renderedData, this, &PagePreview::onRendered);
    }
    m_runningId = ++m_lastId;
    m_renderer->renderToData(m_runningId, pagePath);
    setState(State::Rendering);
}

QString PagePreview::articlePart(QString &problem)
{
    if (m_input.articles.isEmpty())
        return pagebuilder::articleToHtml(kSampleArticle);
    // A bulk PDF holds one article; the single PDF all of them, but only the start shows.
    const QStringList articles =
        m_input.singleRun ? m_input.articles : QStringList{m_input.articles.first()};
    QStringList html;
    qint64 budget = kArticleBytes;
    for (const QString &article : articles) {
        if (budget <= 0)
            break;
        QString text;
        QString reason;
        // The runs' reader, so names in any bytes work and a pipe never blocks the window.
        if (!articlereader::readArticleStart(article, budget, text, reason)) {
            problem = QStringLiteral("The article could not be read:\n%1\n\nRemove it from the "
                                     "list on the PDF Content page, or make it readable.")
                          .arg(article);
            return {};
        }
        budget -= text.size(); // near enough: only the start shows
        if (const QString line = pagefile::undrawnArticleLine(article, text); !line.isEmpty())
            m_renderingUndrawn << line;
        html << pagebuilder::articleToHtml(text);
    }
    return m_input.singleRun ? pagebuilder::singleRunArticlePart(html) : html.first();
}

void PagePreview::onRendered(int id, const QByteArray &pdf, const QString &reason)
{
    if (id != m_runningId)
        return;
    m_runningId = 0;
    if (m_stale) {
        // Superseded: its page is no longer what the user typed.
        if (m_active && !m_delay->isActive())
            startRender();
        return;
    }
    if (!reason.isEmpty())
        return fail(QStringLiteral("The preview could not be made: %1.").arg(reason));
    showPage(pdf);
}

void PagePreview::showPage(const QByteArray &pdf)
{
    // Kept beside the page, for a look at the whole PDF.
    QFile file(pdfPath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(pdf);
    file.close();
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::loadFromData(pdf);
    if (!document || document->isLocked() || document->numPages() < 1)
        return fail(QStringLiteral("The preview PDF could not be read:\n%1").arg(pdfPath()));
    document->setRenderHint(Poppler::Document::Antialiasing);
    document->setRenderHint(Poppler::Document::TextAntialiasing);
    const std::unique_ptr<Poppler::Page> first = document->page(0);
    const QImage image = first ? first->renderToImage(kRenderDpi, kRenderDpi) : QImage();
    if (image.isNull())
        return fail(QStringLiteral("The preview PDF could not be drawn:\n%1").arg(pdfPath()));
    m_image = image;
    m_problem.clear();
    m_undrawn = m_renderingUndrawn;
    setState(State::Ready);
}

void PagePreview::fail(const QString &problem)
{
    m_image = QImage();
    m_problem = problem;
    m_undrawn.clear();
    setState(State::Unavailable);
}

void PagePreview::setState(State state)
{
    m_state = state;
    emit stateChanged();
}

PagePreviewView::PagePreviewView(const QString &appFolder, QWidget *parent)
    : QWidget(parent), m_preview(new PagePreview(appFolder, this)), m_picture(new QLabel(this)),
      m_status(new QLabel(this)), m_fonts(new QLabel(this))
{
    auto *caption = new QLabel(QStringLiteral("Preview of the first page:"), this);
    caption->setObjectName(QStringLiteral("lblPreviewCaption"));
    caption->setBuddy(m_picture);

    m_picture->setObjectName(QStringLiteral("picPreview"));
    m_picture->setAccessibleName(QStringLiteral("Preview of the first page"));
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setWordWrap(true);
    m_picture->setFrameShape(QFrame::StyledPanel);
    m_picture->setMinimumSize(1, 1); // the pixmap must not hold the layout open
    m_picture->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    m_picture->setStyleSheet(QStringLiteral("background: #e8e8e8;"));

    m_status->setObjectName(QStringLiteral("lblPreviewStatus"));
    m_status->setStyleSheet(QStringLiteral("color: #555; font-style: italic;"));
    // What the run would report of characters no font draws, as the page shows them.
    m_fonts->setObjectName(QStringLiteral("lblPreviewFonts"));
    m_fonts->setStyleSheet(QStringLiteral("color: #a33;"));
    m_fonts->setWordWrap(true);
    m_fonts->setTextFormat(Qt::PlainText);
    m_fonts->hide();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(caption);
    layout->addWidget(m_picture, 1);
    layout->addWidget(m_fonts);
    layout->addWidget(m_status);

    connect(m_preview, &PagePreview::stateChanged, this, &PagePreviewView::refresh);
    refresh();
}

void PagePreviewView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_preview->setActive(true);
}

void PagePreviewView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_preview->setActive(false);
}

void PagePreviewView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    refresh();
}

void PagePreviewView::refresh()
{
    const QImage image = m_preview->image();
    if (m_preview->state() == PagePreview::State::Unavailable) {
        m_picture->setPixmap({});
        m_picture->setText(m_preview->problem());
    } else if (!image.isNull()) {
        const QSize room = m_picture->contentsRect().size();
        m_picture->setPixmap(
            QPixmap::fromImage(image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    } else {
        m_picture->setPixmap({});
        m_picture->setText({});
    }
    const QString status =
        m_preview->isBusy() ? QStringLiteral("Updating the preview ...") : QString();
    m_status->setText(status);
    const QStringList undrawn = m_preview->undrawn();
    m_fonts->setText(undrawn.join(u'\n'));
    m_fonts->setVisible(!undrawn.isEmpty());
    m_picture->setAccessibleDescription(
        m_preview->state() == PagePreview::State::Unavailable ? m_preview->problem() : status);
    setCursor(m_preview->isBusy() ? Qt::BusyCursor : Qt::ArrowCursor);
}
