#include "RewriterOptions.h"

namespace quillcraft::RewriterOptions {

const QStringList& presets()
{
    static const QStringList names = {
        QStringLiteral("Casual"),
        QStringLiteral("Professional"),
        QStringLiteral("Direct"),
        QStringLiteral("Friendly"),
        QStringLiteral("Empathetic"),
        QStringLiteral("Diplomatic"),
        QStringLiteral("Constructive"),
        QStringLiteral("Confident"),
        QStringLiteral("Assertive"),
        QStringLiteral("Persuasive"),
        QStringLiteral("Inspirational"),
        QStringLiteral("Detailed"),
        QStringLiteral("Instructive"),
        QStringLiteral("Simplify it"),
        QStringLiteral("Shorten it"),
    };
    return names;
}

const QStringList& roles()
{
    static const QStringList names = {
        QStringLiteral("Standard"),
        QStringLiteral("Academic"),
        QStringLiteral("Blogger"),
        QStringLiteral("Business Professional"),
        QStringLiteral("Comedian"),
        QStringLiteral("Content Creator"),
        QStringLiteral("Copywriter"),
        QStringLiteral("Creative Professional"),
        QStringLiteral("Data Analyst"),
        QStringLiteral("Designer"),
        QStringLiteral("Doctor"),
        QStringLiteral("Educator"),
        QStringLiteral("Engineer"),
        QStringLiteral("Entrepreneur"),
        QStringLiteral("Graphic Designer"),
        QStringLiteral("Journalist"),
        QStringLiteral("Lawyer"),
        QStringLiteral("Marketer"),
        QStringLiteral("Novelist"),
        QStringLiteral("Product Manager"),
        QStringLiteral("Project Manager"),
        QStringLiteral("Sales Representative"),
        QStringLiteral("SEO Specialist"),
        QStringLiteral("Social Media Manager"),
        QStringLiteral("Software Developer"),
        QStringLiteral("Storywriter"),
        QStringLiteral("Teacher"),
        QStringLiteral("Technical Writer"),
        QStringLiteral("Writer"),
        QStringLiteral("10 yo"),
    };
    return names;
}

bool fitsNameLimit(const QString& name)
{
    return name.trimmed().size() <= nameLimit;
}

} // namespace quillcraft::RewriterOptions
