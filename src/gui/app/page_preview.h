#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <chrono>
#include <memory>

class PdfRenderer;
class QLabel;
class QTimer;

// What the first page of a PDF depends on.
struct PreviewInput
{
    QString adTitle;
    QString ctaText;
    QString ctaUrl;
    QStringList articles; // full paths in run order; without any a sample text stands in
    bool singleRun = true;

    bool operator==(const PreviewInput &) const = default;
};

// Makes the first page of the PDF a run would make, as an image, with the runs' page builder
// and the built-in engine in this process, in a temporary folder of its own. Requests wait for a pause in typing; one
// conversion runs at a time, and a request made meanwhile makes its result stale.
class PagePreview : public QObject
{
    Q_OBJECT
public:
    enum class State { Idle, Waiting, Rendering, Ready, Unavailable };

    explicit PagePreview(const QString &appFolder, QObject *parent = nullptr);
    ~PagePreview() override;

    void setDelay(std::chrono::milliseconds delay);
    // While inactive (nobody looks) requests are kept but not rendered.
    void setActive(bool active);
    void request(const PreviewInput &input);

    State state() const { return m_state; }
    bool isBusy() const { return m_state == State::Waiting || m_state == State::Rendering; }
    // The last page made; null before the first one and when the preview is unavailable.
    QImage image() const { return m_image; }
    // Why there is no preview, when Unavailable.
    QString problem() const { return m_problem; }
    // Where the preview's PDF is made.
    QString pdfPath() const;
    // What the run would say of characters no installed font draws in the page shown, one
    // line per article and for the ad; empty when every character has a font.
    QStringList undrawn() const { return m_undrawn; }

signals:
    void stateChanged();

private:
    void startRender();
    void onRendered(int id, const QByteArray &pdf, const QString &reason);
    void showPage(const QByteArray &pdf);
    void fail(const QString &problem);
    void setState(State state);
    QString articlePart(QString &problem);

    QString m_appFolder;
    QTemporaryDir m_dir;
    QTimer *m_delay = nullptr;
    bool m_active = false;
    bool m_stale = false; // the input changed since the last render began
    int m_runningId = 0;
    int m_lastId = 0;
    PreviewInput m_input;
    State m_state = State::Idle;
    QImage m_image;
    QString m_problem;
    QStringList m_undrawn;
    QStringList m_renderingUndrawn; // of the page being rendered
    // Declared after the folder: it ends its render before the folder goes.
    std::unique_ptr<PdfRenderer> m_renderer;
};

// The preview on the Monetization page: the page image scaled to fit, a line under it while it
// is being made, and the reason in its place when it cannot be made. Renders only while shown.
class PagePreviewView : public QWidget
{
    Q_OBJECT
public:
    explicit PagePreviewView(const QString &appFolder, QWidget *parent = nullptr);

    PagePreview *preview() const { return m_preview; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void refresh();

    PagePreview *m_preview;
    QLabel *m_picture;
    QLabel *m_status;
    QLabel *m_fonts;
};
