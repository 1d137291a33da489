// The rewrite card in its keyboard-taking panel over a real field: typing goes to
// the card's tone field, and both ways out (Escape, Replace) hand the keyboard back
// to the field so that what is typed next lands there. Runs inside tests/e2e/session.sh.
#include "E2eSupport.h"
#include "Wait.h"
#include "platform/FloatingWindows.h"
#include "platform/linux/LinuxSystem.h"
#include "rewrite/RewriteSession.h"
#include "settings/DefaultsStore.h"
#include "surfaces/FloatingPanel.h"
#include "surfaces/ScreenCoordinates.h"
#include "views/CardSurface.h"
#include "views/RewriteCard.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quillcraft;
using namespace quillcraft::e2e;
using quillcraft::test::spin;
using quillcraft::test::waitUntil;

namespace {

QAbstractButton* buttonOf(QWidget* root, const QString& text)
{
    for (QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
        if (button->text() == text && button->isVisibleTo(root))
            return button;
    }
    return nullptr;
}

TEST(RewriteCardE2eTest, CardTakesTypingAndEscapeOrReplaceHandTheFieldBack)
{
    const auto system = createLinuxSystem();
    TargetApp target(Toolkit::qt, { QStringLiteral("--line"), QStringLiteral("Kept") });
    ASSERT_TRUE(target.start());
    ASSERT_TRUE(target.focus(lineField));
    ASSERT_TRUE(pressKeys(QStringLiteral("End")));

    QNetworkAccessManager network;
    RewriteSession session(QStringLiteral("Kept"),
        QuillcraftClient(&network, QUrl(QStringLiteral("http://127.0.0.1:9"))), QStringLiteral("English"));
    QTemporaryDir folder;
    DefaultsStore defaults(folder.filePath(QStringLiteral("defaults.json")));

    FloatingPanel panel(FloatingPanel::Level::card, system->screens(), &system->floatingWindows());
    panel.setTakesKeyboard(true);
    const auto close = [&panel] {
        panel.orderOut();
        panel.returnFocus();
    };
    panel.onEscape = close;
    QStringList replaced;
    RewriteCard::Callbacks callbacks;
    callbacks.onReplace = [&](const QString& text) {
        replaced << text;
        close();
    };
    auto* card = new RewriteCard(session, defaults, callbacks);
    panel.show(new CardSurface(RewriteCard::width, card));
    panel.place(ScreenCoordinates::fromQt(*target.rect(lineField), system->screens().screens()));
    panel.orderFront();
    ASSERT_TRUE(waitUntil([&] { return panel.isActiveWindow(); }));

    buttonOf(card, QStringLiteral("My tones"))->click();
    card->toneField()->setFocus();
    ASSERT_TRUE(typeText(QStringLiteral("calm")));
    EXPECT_TRUE(waitUntil([&] { return card->toneField()->text() == QStringLiteral("calm"); }));
    EXPECT_EQ(target.text(lineField), QStringLiteral("Kept"));

    ASSERT_TRUE(pressKeys(QStringLiteral("Escape")));
    EXPECT_TRUE(waitUntil([&] { return !panel.isVisible() && target.isFocused(lineField); }));
    ASSERT_TRUE(typeText(QStringLiteral("!")));
    EXPECT_TRUE(waitUntil([&] { return target.text(lineField) == QStringLiteral("Kept!"); }))
        << target.text(lineField).value_or(QString()).toStdString();

    // Open again on a finished rewrite and replace it.
    session.present(session.draft(), RewriteSession::Phase::done(QStringLiteral("Kept well")));
    spin(100);
    panel.fitToContent();
    panel.orderFront();
    // Shown again, the override-redirect panel may not be mapped yet when it asks for
    // the focus the first time: ask again until it has it.
    ASSERT_TRUE(waitUntil([&] {
        if (!panel.isActiveWindow())
            panel.orderFront();
        return panel.isActiveWindow();
    }));
    ASSERT_NE(buttonOf(card, QStringLiteral("Replace")), nullptr);
    // The reused card comes back with the typing in its tone field, where Return would
    // add the tone; the assistant opens a new card for each rewrite.
    EXPECT_TRUE(card->toneField()->hasFocus());
    card->toneField()->clearFocus();
    // Return is the card's replace key once the rewrite is done.
    ASSERT_TRUE(pressKeys(QStringLiteral("Return")));
    EXPECT_TRUE(waitUntil([&] { return replaced == QStringList { QStringLiteral("Kept well") }; }));
    EXPECT_TRUE(waitUntil([&] { return !panel.isVisible() && target.isFocused(lineField); }));
    ASSERT_TRUE(typeText(QStringLiteral("?")));
    EXPECT_TRUE(waitUntil([&] { return target.text(lineField) == QStringLiteral("Kept!?"); }))
        << target.text(lineField).value_or(QString()).toStdString();
}

} // namespace
