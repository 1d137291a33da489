#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QPlainTextEdit;

namespace quillcraft {

class Clock;
class LoginItemStore;
class PrimaryButton;
class TextButton;
class TrustCheck;
class WrappedText;

// The content of the first-run window: a welcome page, switching on the
// accessibility the assistant reads fields through, and a practice field followed
// by the choice to open at login. It decides which page shows and when to move on;
// everything outside it goes through the callbacks.
class OnboardingView final : public QWidget {
    Q_OBJECT

public:
    enum class Step { welcome, access, practice };

    struct Callbacks final {
        // Switch accessibility on (or show how).
        std::function<void()> onRequestAccess;
        // True while the practice page is on screen, false otherwise.
        std::function<void(bool)> onPracticeChange;
        std::function<void()> onFinish;
        // Where the desktop asks for approval of login items; none here.
        std::function<void()> onOpenLoginSettings;
    };

    static constexpr int pollIntervalMs = 1000;
    static constexpr int practiceHeight = 110;
    static constexpr int contentWidth = 460;

    static QString practiceText();

    // All references must outlive the view. The poll starts at once.
    OnboardingView(Step step, LoginItemStore& loginItem, TrustCheck& trust, Clock& clock, Callbacks callbacks,
        QWidget* parent = nullptr);
    ~OnboardingView() override;

    Step step() const { return m_step; }
    bool isTrusted() const { return m_trusted; }
    QString practice() const;
    QPlainTextEdit& practiceEditor() const { return *m_practice; }

    // The page's main button: Continue on the first two steps.
    void continueOn();
    // One tick of the poll: trust read again, the login item refreshed.
    void poll();
    // Turns opening at login on; finishes when that worked.
    void enableAndFinish();
    // Shows the trust state given (previews).
    void showTrusted(bool trusted);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* buildWelcome();
    QWidget* buildAccess();
    QWidget* buildPractice();
    void schedulePoll();
    void setStep(Step step);
    void reportPractice(bool onScreen);
    void sync();
    void syncStartup();
    void restyle();

    LoginItemStore& m_loginItem;
    TrustCheck& m_trust;
    Clock& m_clock;
    Callbacks m_callbacks;
    Step m_step;
    bool m_trusted;
    // The refusal of the last "Enable": the store forgets its error on every
    // refresh, which the poll does each second, and the user still needs to see it.
    std::optional<QString> m_enableError;

    QWidget* m_welcome = nullptr;
    QWidget* m_access = nullptr;
    QWidget* m_practicePage = nullptr;
    QWidget* m_waiting = nullptr;
    QWidget* m_granted = nullptr;
    QPlainTextEdit* m_practice = nullptr;
    WrappedText* m_startupText = nullptr;
    WrappedText* m_startupDetail = nullptr;
    PrimaryButton* m_startupAction = nullptr;
    TextButton* m_startupLater = nullptr;
};

} // namespace quillcraft
