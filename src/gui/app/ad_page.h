#pragma once

#include "twips.h"

#include <QGroupBox>

class PagePreviewView;
class QLineEdit;
struct PreviewInput;

// Page 1, "Monetization": the ad's title, button text and address, an example of an ad, and a
// preview of the first page with the ad as typed.
class AdPage : public QGroupBox
{
    Q_OBJECT
public:
    AdPage(const QString &appFolder, QWidget *window);

    QString adTitle() const;
    QString ctaText() const;
    QString ctaUrl() const;
    void focusTitle();
    // The first empty field of the ad, the title when none is.
    void focusFirstEmpty();
    void focusAddress();
    // Previews input with the ad as typed now.
    void preview(PreviewInput input);
    // Follows the page's size; the preview takes the room right of the fields.
    void place(const TwipRect &page);
    // The narrowest page, in twips, that keeps the preview readable beside the fields.
    static float minimumWidth();

signals:
    // A field of the ad was edited.
    void adChanged();

private:
    QLineEdit *txtAdTitle = nullptr;
    QLineEdit *txtCTAText = nullptr;
    QLineEdit *txtCTAURL = nullptr;
    PagePreviewView *m_preview = nullptr;
};
