#pragma once

#include <QStringList>
#include <QWidget>

class QVBoxLayout;

namespace quillcraft {

class AppPolicy;
class SectionCaption;
class WrappedText;

// The settings' Dictionary tab: the saved words, each with "Remove", or a note
// on how words get here.
class SettingsDictionaryTab final : public QWidget {
    Q_OBJECT

public:
    // `policy` must outlive the tab.
    explicit SettingsDictionaryTab(AppPolicy& policy, QWidget* parent = nullptr);

    // "1 saved word", "2 saved words", … (shown in capitals).
    static QString countCaption(qsizetype count);
    const QStringList& words() const { return m_words; }
    // Reads the words from the policy again.
    void reload();

private:
    void remove(const QString& word);

    AppPolicy& m_policy;
    QStringList m_words;
    QWidget* m_empty = nullptr;
    SectionCaption* m_caption = nullptr;
    QVBoxLayout* m_list = nullptr;
};

} // namespace quillcraft
