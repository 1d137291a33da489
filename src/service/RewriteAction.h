#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace quillcraft {

// What the service is asked to do with a piece of highlighted text.
struct RewriteAction final {
    enum class Mode { rewrite, grammar, shorten };
    enum class Source { preset, custom };

    Mode mode;
    QStringList tones = {};
    Source source = Source::preset;
    QString role = QStringLiteral("Standard");

    // The mode's raw value; tones and role never appear in it.
    QString title() const { return rawValue(mode); }

    bool operator==(const RewriteAction&) const = default;

    // In the order the card shows its mode buttons.
    static constexpr std::array<Mode, 3> allModes = { Mode::rewrite, Mode::grammar, Mode::shorten };

    // "Rewrite", "Fix grammar", "Shorten": also the button titles.
    static QString rawValue(Mode mode);
    static std::optional<Mode> modeFromRawValue(const QString& raw);
    // "preset" or "custom": what goes on the wire.
    static QString rawValue(Source source);
    static std::optional<Source> sourceFromRawValue(const QString& raw);

    // The shared constant actions: no tones, preset source, the standard role.
    static RewriteAction rewrite() { return { Mode::rewrite }; }
    static RewriteAction grammar() { return { Mode::grammar }; }
    static RewriteAction shorten() { return { Mode::shorten }; }
};

} // namespace quillcraft
