// The login-item store over a platform that does what the test says.
#include "settings/LoginItemStore.h"

#include <gtest/gtest.h>

using namespace quillcraft;
using Status = LoginItem::Status;

namespace {

class FakeLoginItem final : public LoginItem {
public:
    Status status() const override { return current; }
    bool setRegistered(bool on) override
    {
        calls.push_back(on);
        if (result)
            current = *result;
        return succeeds;
    }

    Status current = Status::notRegistered;
    // What a registration call leaves behind; nothing changes when unset.
    std::optional<Status> result;
    bool succeeds = true;
    std::vector<bool> calls;
};

} // namespace

TEST(LoginItemStore, TurnsOnAndOffAndSkipsWhatIsAlreadySo)
{
    FakeLoginItem item;
    LoginItemStore store(item);
    int changed = 0;
    QObject::connect(&store, &LoginItemStore::changed, [&changed] { ++changed; });

    item.result = Status::enabled;
    store.setEnabled(true);
    EXPECT_TRUE(store.isEnabled());
    EXPECT_FALSE(store.error());
    EXPECT_EQ(changed, 1);

    store.setEnabled(true);
    EXPECT_EQ(item.calls.size(), 1u);

    item.result = Status::notRegistered;
    store.setEnabled(false);
    EXPECT_FALSE(store.isEnabled());
    EXPECT_EQ(item.calls, (std::vector<bool> { true, false }));
}

TEST(LoginItemStore, TheStatusAfterwardsDecidesNotTheCallsAnswer)
{
    FakeLoginItem item;
    LoginItemStore store(item);

    // Refused and unchanged: the sentence, in this platform's words.
    item.succeeds = false;
    store.setEnabled(true);
    ASSERT_TRUE(store.error());
    EXPECT_EQ(*store.error(),
        QStringLiteral("Quillcraft couldn\u2019t turn on login startup. Try again or change it later in the desktop's "
                       "settings."));
    store.refresh();
    EXPECT_FALSE(store.error());

    // A failure answered while the change went through anyway is no failure.
    item.result = Status::enabled;
    store.setEnabled(true);
    EXPECT_FALSE(store.error());

    // Waiting for approval is no failure either.
    item.result = Status::requiresApproval;
    item.current = Status::enabled;
    store.setEnabled(false);
    EXPECT_TRUE(store.needsApproval());
    EXPECT_FALSE(store.error());

    // Claimed success with nothing changed is a failure.
    item.succeeds = true;
    item.result.reset();
    item.current = Status::enabled;
    store.setEnabled(false);
    ASSERT_TRUE(store.error());
    EXPECT_TRUE(store.error()->contains(QStringLiteral("turn off")));
}
