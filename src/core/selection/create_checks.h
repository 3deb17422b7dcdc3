#pragma once

#include <QString>

// What the Create command looks at before a run may start.
struct CreateInput
{
    int articleCount = 0;
    QString adTitle;
    QString ctaText;
    QString ctaUrl;
    bool bulk = false;
    bool useKeywordNames = false;
    int finalListCount = 0;
    QString singleName;
};

// The message of the first check that fails, in the fixed order; empty when all pass.
// Every message is shown under the title "Missing Info".
QString firstCreateProblem(const CreateInput &input);

inline const QString kMissingInfoTitle = QStringLiteral("Missing Info");
