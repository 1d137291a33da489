#pragma once

#include "grammar/TextIssue.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

namespace quillcraft {

// What the writing assistant needs of a grammar checker: start once, then
// check texts, answering on the GUI thread. A newer request may replace a
// waiting one, whose completion is then never called.
class GrammarChecker : public QObject {
    Q_OBJECT
public:
    using Completion = std::function<void(const QList<TextIssue>&)>;
    using ReadyHandler = std::function<void(bool ready)>;
    // The engine could not check the text (it trapped or rejected it). Without
    // this handler the completion receives no findings instead.
    using Failure = std::function<void()>;

    using QObject::QObject;

    virtual void start(ReadyHandler onReady) = 0;
    virtual void lint(const QString& text, Completion completion, Failure onFailure = {}) = 0;
};

} // namespace quillcraft
