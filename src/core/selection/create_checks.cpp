#include "create_checks.h"

#include "output_names.h"
#include "production_run.h"
#include "safe_file_name.h"

#include <QFile>
#include <QUrl>

CreateInput createInputFor(const RunInput &input)
{
    CreateInput check;
    check.articleCount = int(input.articles.size());
    check.adTitle = input.adTitle;
    check.ctaText = input.ctaText;
    check.ctaUrl = input.ctaUrl;
    check.bulk = input.bulk;
    check.useKeywordNames = !input.useOriginalNames;
    check.finalListCount = int(input.finalNames.size());
    check.singleName = input.singleName;
    return check;
}

QString CreateCheck::title() const
{
    switch (problem) {
    case CreateProblem::UnusableSingleName:
        return kInvalidNameTitle;
    case CreateProblem::BadAddress:
        return kInvalidAddressTitle;
    default:
        return kMissingInfoTitle;
    }
}

QString buttonAddress(const QString &typed)
{
    return typed.trimmed();
}

bool isButtonAddress(const QString &url)
{
    // A button in a PDF only works with an address a reader can open; "http://" as the box
    // starts, "example.com/guide" or a script address go nowhere or somewhere unwanted.
    const QString address = buttonAddress(url);
    const auto startsWith = [&address](const char *scheme) {
        return address.startsWith(QLatin1String(scheme), Qt::CaseInsensitive);
    };
    if (startsWith("mailto:"))
        return !address.sliced(7).trimmed().isEmpty();
    if (startsWith("http://") || startsWith("https://")) {
        // An invalid one (a port over 65535, say) would leave the button without a link.
        const QUrl parsed(address);
        return parsed.isValid() && !parsed.host().isEmpty();
    }
    return false;
}

CreateCheck checkCreate(const CreateInput &input)
{
    if (input.articleCount == 0)
        return {CreateProblem::NoArticles,
                QStringLiteral("Please select one or more articles first.")};
    if (input.adTitle.isEmpty() || input.ctaText.isEmpty() || input.ctaUrl.isEmpty())
        return {CreateProblem::AdIncomplete, QStringLiteral("Please enter your Ad details.")};
    if (!isButtonAddress(input.ctaUrl))
        return {CreateProblem::BadAddress,
                QStringLiteral("The Call to Action Button Url must be a full web or e-mail "
                               "address: http:// or https:// and the site, such as "
                               "https://example.com/offer, or mailto: and an e-mail address.")};
    return checkNaming(input);
}

CreateCheck checkNaming(const CreateInput &input)
{
    if (input.bulk) {
        if (input.useKeywordNames && input.finalListCount == 0)
            return {CreateProblem::NoKeywordNames,
                    QStringLiteral("Please enter one or more keywords first.")};
        return {};
    }
    if (input.singleName.isEmpty())
        return {CreateProblem::NoSingleName,
                QStringLiteral("Please enter a filename for your PDF file.")};
    // The name becomes a file in our own folders: it must not lead anywhere else.
    if (input.singleName == u"." || input.singleName == u"..")
        return {CreateProblem::UnusableSingleName,
                QStringLiteral("\"%1\" cannot be used as a filename. Please enter another name "
                               "for your PDF file.")
                    .arg(input.singleName)};
    const QString bad = safename::forbiddenCharacters(input.singleName);
    if (!bad.isEmpty())
        return {CreateProblem::UnusableSingleName,
                QStringLiteral("A filename cannot contain these characters: %1\n"
                               "Please remove them from the name of your PDF file.")
                    .arg(safename::describe(bad))};
    const QString pdfName =
        outputnames::singleOutputName(input.singleName) + QStringLiteral(".pdf");
    if (!outputnames::fitsFileSystem(pdfName))
        return {CreateProblem::UnusableSingleName,
                QStringLiteral("The name \"%1\" is longer than a file name can be (%2 bytes, at "
                               "most %3).\nPlease enter a shorter name for your PDF file.")
                    .arg(pdfName)
                    .arg(QFile::encodeName(pdfName).size())
                    .arg(outputnames::kMaxFileNameBytes)};
    return {};
}
