#include "SettingsDictionaryTab.h"

#include "settings/AppPolicy.h"
#include "shell/SettingsLayout.h"
#include "views/QuietButton.h"
#include "views/SectionCaption.h"
#include "views/Theme.h"
#include "views/WrappedText.h"

#include <QVBoxLayout>

namespace quillcraft {

SettingsDictionaryTab::SettingsDictionaryTab(AppPolicy& policy, QWidget* parent)
    : QWidget(parent)
    , m_policy(policy)
{
    auto* layout = SettingsLayout::column(this);
    layout->addWidget(SettingsLayout::heading(QStringLiteral("Your dictionary"),
        QStringLiteral("Quillcraft skips these words when it checks spelling."), this));

    m_empty = new QWidget(this);
    m_empty->setObjectName(QStringLiteral("emptyDictionary"));
    auto* empty = new QVBoxLayout(m_empty);
    empty->setContentsMargins(0, 16, 0, 0);
    empty->setSpacing(4);
    auto* title = new WrappedText(QStringLiteral("No saved words yet"), 0, m_empty);
    title->setFont(Theme::geist(14, QFont::DemiBold));
    empty->addWidget(title);
    empty->addWidget(SettingsLayout::note(
        QStringLiteral("Choose Add to dictionary on a spelling suggestion to save a word here."), m_empty));
    layout->addWidget(m_empty);

    m_caption = new SectionCaption({}, this);
    m_caption->setObjectName(QStringLiteral("savedWordsCaption"));
    layout->addWidget(m_caption);
    m_list = new QVBoxLayout;
    m_list->setSpacing(0);
    layout->addLayout(m_list);
    layout->addStretch();
    reload();
}

QString SettingsDictionaryTab::countCaption(qsizetype count)
{
    return count == 1 ? QStringLiteral("1 saved word") : QStringLiteral("%1 saved words").arg(count);
}

void SettingsDictionaryTab::reload()
{
    // The policy keeps them sorted; sorting again keeps that promise here.
    m_words = m_policy.dictionary();
    m_words.sort();
    m_empty->setVisible(m_words.isEmpty());
    m_caption->setVisible(!m_words.isEmpty());
    m_caption->setText(countCaption(m_words.size()));
    SettingsLayout::clear(m_list);
    for (const QString& word : std::as_const(m_words)) {
        auto* removeButton = new QuietButton(QStringLiteral("Remove"));
        removeButton->setObjectName(QStringLiteral("remove:") + word);
        removeButton->setAccessibleName(QStringLiteral("Remove ") + word);
        removeButton->setFocusPolicy(Qt::StrongFocus);
        connect(removeButton, &QAbstractButton::clicked, this, [this, word] { remove(word); });
        m_list->addWidget(SettingsLayout::row(word, {}, removeButton, QStringLiteral("word:") + word, this));
    }
}

void SettingsDictionaryTab::remove(const QString& word)
{
    m_policy.removeFromDictionary(word);
    reload();
}

} // namespace quillcraft
