#pragma once

#include "service/RewriteFailure.h"

#include <QWidget>

#include <memory>

// The rewrite card in fixed states for `quillcraft preview`. Each card sits on its own
// session over a client of the development origin: nothing is sent unless one of its
// buttons is pressed. Saved custom tones live in a throw-away store, never the user's.
namespace quillcraft::RewritePreviews {

// Professional and Friendly selected, a finished rewrite.
std::unique_ptr<QWidget> finished();
// The guest limit reached (429 login_required).
std::unique_ptr<QWidget> failed();
// Any failure, after a request was made (so "Try again" shows where it applies).
std::unique_ptr<QWidget> failedWith(const RewriteFailure& failure);
std::unique_ptr<QWidget> choosing();
std::unique_ptr<QWidget> grammar();
// "My tones" with saved tones, one selected, and the hint.
std::unique_ptr<QWidget> custom();
std::unique_ptr<QWidget> streaming();
// A 2,000-word selection with right-to-left text, emoji and a 200-letter word.
std::unique_ptr<QWidget> longText();

} // namespace quillcraft::RewritePreviews
