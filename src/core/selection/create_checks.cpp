#include "create_checks.h"

#include "production_run.h"
#include "safe_file_name.h"

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

CreateCheck checkCreate(const CreateInput &input)
{
    if (input.articleCount == 0)
        return {CreateProblem::NoArticles,
                QStringLiteral("Please select one or more articles first.")};
    if (input.adTitle.isEmpty() || input.ctaText.isEmpty() || input.ctaUrl.isEmpty())
        return {CreateProblem::AdIncomplete, QStringLiteral("Please enter your Ad details.")};
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
    return {};
}
