#include "run_panel.h"

#include "platform.h"
#include "production_run.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>

RunPanel::RunPanel(Platform *platform, QWidget *strip, QWidget *window)
    : QObject(window), m_platform(platform), m_window(window)
{
    lblPleaseWait = new QLabel(QStringLiteral("Please Wait"), strip);
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
    tmrPleaseWait->start();
    pbProgress->setMaximum(input.bulk ? m_runArticles : 1);
    pbProgress->setValue(0);
    pbProgress->show();
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
    if (isRunning())
        m_run->cancel();
}

void RunPanel::place(const TwipRect &caption)
{
    twips::place(lblPleaseWait, caption);
    twips::place(pbProgress, {caption.left, 675, caption.width, 150});
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
    if (report.cancelled)
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
