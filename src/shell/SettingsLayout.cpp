#include "SettingsLayout.h"

#include "views/Theme.h"
#include "views/WrappedText.h"

#include <QHBoxLayout>
#include <QLayout>
#include <QVBoxLayout>
#include <QWidget>

namespace quillcraft::SettingsLayout {

namespace {

constexpr const char* secondaryProperty = "quillcraftSecondary";

} // namespace

QVBoxLayout* column(QWidget* page)
{
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(margin, 20, margin, 24);
    layout->setSpacing(10);
    return layout;
}

QWidget* heading(const QString& title, const QString& subtitle, QWidget* parent)
{
    auto* box = new QWidget(parent);
    box->setObjectName(QStringLiteral("heading"));
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 6);
    layout->setSpacing(3);
    auto* titleText = new WrappedText(title, 0, box);
    titleText->setObjectName(QStringLiteral("headingTitle"));
    titleText->setFont(Theme::geist(18, QFont::DemiBold));
    titleText->setAccessibleName(title);
    layout->addWidget(titleText);
    auto* subtitleText = note(subtitle, box);
    subtitleText->setFont(Theme::geist(13));
    layout->addWidget(subtitleText);
    return box;
}

WrappedText* note(const QString& text, QWidget* parent)
{
    auto* label = new WrappedText(text, 0, parent);
    label->setFont(Theme::geist(12));
    label->setProperty(secondaryProperty, true);
    label->setColor(Theme::secondary(parent ? parent->palette() : label->palette()));
    label->setAccessibleName(text);
    return label;
}

QWidget* row(const QString& title, const QString& noteText, QWidget* control, const QString& name, QWidget* parent)
{
    auto* box = new QWidget(parent);
    box->setObjectName(name + QStringLiteral("Row"));
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 4, 0, 4);
    layout->setSpacing(16);
    // A title alone sits level with its control; the texts never take more height than they need.
    auto* textBox = new QWidget(box);
    auto* texts = new QVBoxLayout(textBox);
    texts->setContentsMargins(0, 0, 0, 0);
    texts->setSpacing(2);
    auto* titleText = new WrappedText(title, 0, textBox);
    titleText->setObjectName(name + QStringLiteral("Title"));
    titleText->setFont(Theme::geist(13, QFont::Medium));
    texts->addWidget(titleText);
    if (!noteText.isEmpty()) {
        auto* under = note(noteText, textBox);
        under->setObjectName(name + QStringLiteral("Note"));
        texts->addWidget(under);
    }
    layout->addWidget(textBox, 1, Qt::AlignVCenter);
    if (control) {
        control->setParent(box);
        if (control->accessibleName().isEmpty())
            control->setAccessibleName(title);
        layout->addWidget(control, 0, Qt::AlignVCenter);
    }
    return box;
}

void clear(QLayout* layout)
{
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            // The row may hold the button whose click got us here: it goes once
            // the click is over, still owned by the page if that never comes.
            widget->hide();
            widget->deleteLater();
        } else if (QLayout* inner = item->layout())
            clear(inner);
        delete item;
    }
}

void restyle(QWidget* root)
{
    for (auto* text : root->findChildren<WrappedText*>()) {
        if (text->property(secondaryProperty).toBool())
            text->setColor(Theme::secondary(root->palette()));
    }
}

} // namespace quillcraft::SettingsLayout
