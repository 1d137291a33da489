#pragma once

#include <QString>

namespace quillcraft {

// What the assistant tells the shell about the field it serves.
struct AssistantStatus final {
    enum class Kind {
        off, // a field is focused in an app that is switched off
        checking, // a field is being checked
        needsAccess, // accessibility is not turned on
        paused,
        idle, // no checkable field has focus
    };

    Kind kind = Kind::idle;
    QString app; // off and checking
    qint64 fixes = 0; // checking: the number of visible issues

    static AssistantStatus off(const QString& app) { return { Kind::off, app, 0 }; }
    static AssistantStatus checking(const QString& app, qint64 fixes) { return { Kind::checking, app, fixes }; }
    static AssistantStatus needsAccess() { return { Kind::needsAccess, {}, 0 }; }
    static AssistantStatus paused() { return { Kind::paused, {}, 0 }; }
    static AssistantStatus idle() { return { Kind::idle, {}, 0 }; }

    bool operator==(const AssistantStatus&) const = default;

    // As automation reads it: checking(app: "Editor", fixes: 2), idle, ...
    QString text() const;
};

} // namespace quillcraft
