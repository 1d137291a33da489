#pragma once

#include "rewrite/RewriteSession.h"

#include <QStringList>
#include <QWidget>

#include <functional>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QShortcut;
class QVBoxLayout;

namespace quillcraft {

class DefaultsStore;
class PrimaryButton;
class QuietButton;
class RewriteOutput;
class WrappedText;

// The card through which highlighted text is rewritten: the selection, the mode,
// tone and role choices, the run button and, once a request started, its output.
// A view over one RewriteSession, re-rendered on each of its change notices; the
// card itself keeps only the tone being typed and its copy of the saved custom
// tones ("savedCustomTones", newest first). The content of a CardSurface `width`
// wide; its host panel takes the keyboard and handles Escape.
class RewriteCard final : public QWidget {
    Q_OBJECT

public:
    static constexpr int width = 470;

    struct Callbacks final {
        std::function<void(const QString&)> onReplace;
        std::function<void(const QString&)> onCopy;
        std::function<void()> onClose;
        std::function<void()> onSignIn;
        std::function<void()> onUpgrade;
    };

    RewriteCard(RewriteSession& session, DefaultsStore& defaults, Callbacks callbacks, QWidget* parent = nullptr);
    ~RewriteCard() override;

    // The saved custom tones, newest first.
    const QStringList& saved() const { return m_saved; }
    // Whether the typed tone can be saved now, and the line that says why (not).
    bool canAdd() const;
    QString customHint() const;
    // What the chips' "Delete tone" menu item does.
    void deleteTone(const QString& tone);
    // The custom tone field ("My tones" only).
    QLineEdit* toneField() const { return m_toneField; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    QWidget* buildTones();
    void render();
    void renderTones();
    void renderChips();
    void updateAddState();
    void updateShortcuts();

    void selectMode(RewriteAction::Mode mode);
    void selectSource(RewriteAction::Source source);
    void run();
    void addTone();
    void pressReturn();
    void showToneMenu(const QString& tone, const QPoint& at);
    void writeSaved();
    QString typedTone() const;

    RewriteSession& m_session;
    DefaultsStore& m_defaults;
    Callbacks m_callbacks;
    QStringList m_saved;
    bool m_toneFocused = false;

    QList<QuietButton*> m_modeButtons;
    QLabel* m_grammarNote = nullptr;
    QWidget* m_tones = nullptr;
    QLabel* m_selectedCount = nullptr;
    QuietButton* m_presetTab = nullptr;
    QuietButton* m_customTab = nullptr;
    QWidget* m_customRow = nullptr;
    QLineEdit* m_toneField = nullptr;
    QuietButton* m_addButton = nullptr;
    QWidget* m_chips = nullptr;
    QGridLayout* m_chipGrid = nullptr;
    // The chips shown and the selection they were drawn for.
    QStringList m_chipsKey;
    QPushButton* m_expandLink = nullptr;
    QLabel* m_hint = nullptr;
    QWidget* m_roleRow = nullptr;
    QComboBox* m_rolePicker = nullptr;
    PrimaryButton* m_runButton = nullptr;
    QWidget* m_divider = nullptr;
    RewriteOutput* m_output = nullptr;
    QShortcut* m_returnShortcut = nullptr;
    QShortcut* m_enterShortcut = nullptr;
};

} // namespace quillcraft
