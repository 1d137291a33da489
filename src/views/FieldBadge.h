#pragma once

#include <QColor>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <optional>
#include <variant>

namespace quillcraft {

// The picture inside the badge beside the focused field: the brand mark, and at
// its top-right corner how the last check went (a count, a clean dot, or nothing
// while checking). The badge control hosts it and passes each new state whole.
class FieldBadge final : public QWidget {
public:
    struct Issues {
        qint64 count = 0;
        bool styleOnly = false; // all of them are style suggestions rather than errors
        friend bool operator==(const Issues&, const Issues&) = default;
    };
    struct Checking {
        friend bool operator==(const Checking&, const Checking&) = default;
    };
    struct Clean {
        friend bool operator==(const Clean&, const Clean&) = default;
    };
    using State = std::variant<Issues, Checking, Clean>;

    static constexpr int viewWidth = 36;
    static constexpr int viewHeight = 34;
    static constexpr int markSize = 22;

    explicit FieldBadge(State state = Checking {}, QWidget* parent = nullptr);

    const State& state() const { return m_state; }
    void setState(const State& state);
    QSize sizeHint() const override;

    // What the indicator shows, for drawing and for tests.
    // The count's text ("3", "99+"); nothing without issues.
    static std::optional<QString> indicatorText(const State& state);
    // The indicator's fill and text colours; invalid colours while checking.
    static QColor indicatorFill(const State& state);
    static QColor indicatorTextColor(const State& state);
    // Where the indicator lies in the badge; nothing while checking.
    static std::optional<QRectF> indicatorRect(const State& state);
    // Where the mark lies: the bottom-left corner.
    static QRectF markRect();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    State m_state;
};

} // namespace quillcraft
