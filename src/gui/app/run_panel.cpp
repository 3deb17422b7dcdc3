#include "run_panel.h"

#include "platform.h"
#include "production_run.h"
#include "widget_helpers.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

namespace {

const QString kPleaseWait = QStringLiteral("Please Wait");

} // namespace

RunPanel::RunPanel(Platform *platform, QWidget *strip, QWidget *window)
    : QObject(window), m_platform(platform), m_window(window)
{
    lblPleaseWait = new QLabel(kPleaseWait, strip);
    lblPleaseWait->setObjectName(QStringLiteral("lblPleaseWait"));
    lblPleaseWait->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblPleaseWait->setStyleSheet(QStringLiteral("color: rgb(224, 224, 224); font-weight: bold;"));
    lblPleaseWait->hide();

    // Shows PDFs finished of all during a run, under the busy caption.
    pbProgress = new QProgressBar(strip);
    pbProgress->setObjectName(QStringLiteral("pbProgress"));
    pbProgress->setAccessibleName(QStringLiteral("PDFs finished"));
    pbProgress->setTextVisible(false);
    pbProgress->hide();

    cmdStop = widgets::makeButton(QStringLiteral("cmdStop"), QStringLiteral("Stop"), strip);
    cmdStop->setToolTip(QStringLiteral("Stops the run (Esc): the PDFs made so far stay"));
    cmdStop->hide();
    connect(cmdStop, &QPushButton::clicked, this, &RunPanel::cmdStop_Click);
    m_escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    m_escape->setContext(Qt::WindowShortcut);
    m_escape->setEnabled(false);
    connect(m_escape, &QShortcut::activated, this, &RunPanel::cmdStop_Click);

    m_run = new ProductionRun(this);
    connect(m_run, &ProductionRun::preparingPage, this, &RunPanel::onPreparingPage);
    connect(m_run, &ProductionRun::pdfFinished, this,
            [this](int done, int count, const PdfResult &) { onPdfFinished(done, count); });
    connect(m_run, &ProductionRun::finished, this, &RunPanel::onRunFinished);

    tmrPleaseWait = new QTimer(this);
    tmrPleaseWait->setObjectName(QStringLiteral("tmrPleaseWait"));
    tmrPleaseWait->setInterval(300);
    connect(tmrPleaseWait, &QTimer::timeout, this, &RunPanel::tmrPleaseWait_Timer);
}

QString RunPanel::start(const RunInput &input)
{
    // Checked and prepared before anything changes: an error here means nothing was touched.
    const QString notStarted = m_run->start(input);
    if (!notStarted.isEmpty())
        return notStarted;
    m_runArticles = int(input.articles.size());
    m_runIsBulk = input.bulk;
    m_closing = false;
    // The caption an earlier run left ("Ready.") must not stand over this one.
    lblPleaseWait->setText(kPleaseWait);
    lblPleaseWait->show();
    tmrPleaseWait->start();
    pbProgress->setMaximum(input.bulk ? m_runArticles : 1);
    pbProgress->setValue(0);
    pbProgress->show();
    cmdStop->setEnabled(true);
    cmdStop->show();
    m_escape->setEnabled(true);
    return {};
}

bool RunPanel::isRunning() const
{
    return m_run->isRunning();
}

QString RunPanel::usedName() const
{
    return m_run->usedName();
}

void RunPanel::cancel()
{
    m_closing = true;
    if (isRunning())
        m_run->cancel();
}

void RunPanel::cmdStop_Click()
{
    if (!isRunning())
        return;
    cmdStop->setEnabled(false); // the converters' end is heard later
    lblPleaseWait->setText(QStringLiteral("Stopping ..."));
    m_run->cancel();
}

void RunPanel::place(const TwipRect &caption)
{
    twips::place(lblPleaseWait, caption);
    twips::place(pbProgress, {caption.left, 675, caption.width, 150});
    twips::place(cmdStop, {caption.left - 1320, 240, 1200, 450});
}

void RunPanel::onPreparingPage(int number, int count)
{
    if (m_runIsBulk)
        lblPleaseWait->setText(QStringLiteral("Please Wait ... (Preparing File %1/%2)")
                                   .arg(number)
                                   .arg(count));
}

void RunPanel::onPdfFinished(int done, int count)
{
    pbProgress->setMaximum(count);
    pbProgress->setValue(done);
}

void RunPanel::onRunFinished(const RunReport &report)
{
    tmrPleaseWait->stop();
    pbProgress->hide();
    cmdStop->hide();
    m_escape->setEnabled(false);
    if (m_runIsBulk) {
        lblPleaseWait->setText(QStringLiteral("Ready."));
        lblPleaseWait->show();
    } else {
        lblPleaseWait->hide();
    }
    emit runEnded(m_runArticles);
    closingPrompt(report);
}

void RunPanel::closingPrompt(const RunReport &report)
{
    if (m_closing)
        return; // the window is closing
    const Platform::Answer answer =
        m_platform->messageBox(m_window, closingMessage(report), QStringLiteral("Done"),
                               Platform::Buttons::YesNo, Platform::Icon::Question);
    if (answer == Platform::Answer::No)
        return;
    emit outputFolderWanted();
}

void RunPanel::tmrPleaseWait_Timer()
{
    lblPleaseWait->setVisible(lblPleaseWait->isHidden());
}
