#pragma once

#include <QString>

struct RunInput;

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

// The same facts, read off the run the window or the command line is about to start.
CreateInput createInputFor(const RunInput &input);

// Which check failed, so callers can add their own hint without repeating the order.
enum class CreateProblem {
    None,
    NoArticles,
    AdIncomplete,
    BadAddress,
    NoKeywordNames,
    NoSingleName,
    UnusableSingleName,
};

struct CreateCheck
{
    CreateProblem problem = CreateProblem::None;
    QString message; // shown under title()

    // "Missing Info" when something is missing; a name or address we refuse is no missing
    // input.
    QString title() const;
};

// The address the button gets from what was typed: blanks around it go. Checked and used alike.
QString buttonAddress(const QString &typed);
// Whether the button can lead somewhere: "http://" or "https://" and a host, or "mailto:" and
// something after it, blanks around it aside.
bool isButtonAddress(const QString &url);

// The first check that fails, in the fixed order; problem None when all pass.
CreateCheck checkCreate(const CreateInput &input);
// The last of them alone: the mode's naming input. A run checks it too, for callers that
// start one without the others.
CreateCheck checkNaming(const CreateInput &input);

// The message of the first check that fails; empty when all pass.
inline QString firstCreateProblem(const CreateInput &input)
{
    return checkCreate(input).message;
}

inline const QString kMissingInfoTitle = QStringLiteral("Missing Info");
inline const QString kInvalidNameTitle = QStringLiteral("Invalid Name");
inline const QString kInvalidAddressTitle = QStringLiteral("Invalid Address");
