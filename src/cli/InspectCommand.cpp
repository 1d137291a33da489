#include "InspectCommand.h"

#include "assistant/FocusedField.h"
#include "cli/CommandLine.h"
#include "platform/Accessibility.h"
#include "platform/DesktopSession.h"
#include "platform/FrontmostApp.h"
#include "platform/TrustCheck.h"
#include "platform/linux/LinuxSystem.h"
#include "platform/linux/X11Display.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>

namespace quillcraft {

namespace {

constexpr int watchIntervalMs = 250;

QString usage()
{
    return QStringLiteral("Usage: quillcraft inspect [--watch]\n"
                          "\n"
                          "Shows the text field that has keyboard focus in the frontmost application as Quillcraft\n"
                          "sees it, as one JSON object: app, bundleID, pid, role, isField, reason (why it is not a\n"
                          "field, or \"\"), textLength and selection ([location, length]) in UTF-16 units,\n"
                          "selectedText, frame, visibleFrame and editorFrame ([x, y, width, height] in Quillcraft's\n"
                          "logical pixels, the origin at the bottom-left corner of the primary screen),\n"
                          "isWebContent, offsetUnit (what the application counts text offsets in: \"utf16\" or\n"
                          "\"codepoint\") and selectionBounds (the box the application gives for the selection, in\n"
                          "the same pixels). The text of password fields is never read.\n"
                          "\n"
                          "Options:\n"
                          "  --watch     print one line whenever what it shows changes, until interrupted\n"
                          "  -h, --help  show this help\n"
                          "\n"
                          "Needs an X11 display and accessibility switched on.\n");
}

QJsonValue rectValue(const std::optional<QRectF>& rect)
{
    if (!rect)
        return QJsonValue::Null;
    return QJsonArray { rect->x(), rect->y(), rect->width(), rect->height() };
}

} // namespace

QJsonObject inspectReport(const FieldReading& reading)
{
    QJsonObject report {
        { QStringLiteral("app"), reading.appName },
        { QStringLiteral("bundleID"), reading.bundleID },
        { QStringLiteral("pid"), reading.pid ? QJsonValue(double(*reading.pid)) : QJsonValue::Null },
        { QStringLiteral("role"), reading.role },
        { QStringLiteral("isField"), reading.field.has_value() },
        { QStringLiteral("reason"), reading.reason },
        { QStringLiteral("textLength"), QJsonValue::Null },
        { QStringLiteral("selection"), QJsonValue::Null },
        { QStringLiteral("selectedText"), QJsonValue::Null },
        { QStringLiteral("frame"), rectValue(reading.frame) },
        { QStringLiteral("visibleFrame"), rectValue(reading.visibleFrame) },
        { QStringLiteral("editorFrame"), QJsonValue::Null },
        { QStringLiteral("isWebContent"), false },
        { QStringLiteral("offsetUnit"), QJsonValue::Null },
        { QStringLiteral("selectionBounds"), QJsonValue::Null },
    };
    // Only a checkable field's text is ever looked at.
    if (const auto& field = reading.field) {
        report[QStringLiteral("textLength")] = double(field->text().size());
        report[QStringLiteral("selection")]
            = QJsonArray { double(field->selection().location), double(field->selection().length) };
        report[QStringLiteral("selectedText")] = field->selectedText().value_or(QString());
        report[QStringLiteral("frame")] = rectValue(field->frame());
        report[QStringLiteral("visibleFrame")] = rectValue(field->visibleFrame());
        report[QStringLiteral("editorFrame")] = rectValue(field->editorFrame());
        report[QStringLiteral("isWebContent")] = field->isWebContent();
        if (const auto unit = field->element()->offsetUnit())
            report[QStringLiteral("offsetUnit")] = OffsetUnits::name(*unit);
        // Where underlines would go: shows whether the application's boxes match its field.
        if (field->selection().length > 0)
            report[QStringLiteral("selectionBounds")] = rectValue(field->rawBounds(field->selection()));
    }
    return report;
}

int runInspectCommand(int argc, char** argv)
{
    bool watch = false;
    for (const QString& argument : CommandLine::argumentsAfterMode(argc, argv)) {
        if (argument == QLatin1String("--watch")) {
            watch = true;
        } else if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            return CommandLine::printOut(usage()) ? CommandLine::exitOk : 1;
        } else {
            CommandLine::printError(
                QStringLiteral("Unknown option \"%1\"; see quillcraft inspect --help.").arg(argument));
            return CommandLine::exitUsage;
        }
    }
    // Fields of X11 applications can still be read, so this is said and not refused.
    if (DesktopSession::isWayland())
        CommandLine::printError(DesktopSession::waylandNotice());
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        CommandLine::printError(QStringLiteral("Inspecting fields needs an X11 display."));
        return 1;
    }
    if (!displayAnswers()) {
        CommandLine::printError(
            QStringLiteral("The X11 display %1 cannot be reached.").arg(qEnvironmentVariable("DISPLAY")));
        return 1;
    }
    // The window parts speak X11 even when a Wayland compositor runs XWayland.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    prepareLinuxProcess();
    QGuiApplication app(argc, argv);
    const std::unique_ptr<LinuxSystem> system = createLinuxSystem();
    if (!system->trustCheck().isTrusted()) {
        CommandLine::printError(
            QStringLiteral("Accessibility is switched off, so Quillcraft cannot read other applications' fields."));
        return 1;
    }

    FieldSources sources;
    sources.accessibility = &system->accessibility();
    sources.screens = &system->screens();
    sources.apps = &system->frontmostApp();
    sources.ownPid = QCoreApplication::applicationPid();
    const auto line = [&sources] {
        return QString::fromUtf8(
                   QJsonDocument(inspectReport(FocusedField::read(sources))).toJson(QJsonDocument::Compact))
            + QLatin1Char('\n');
    };
    if (!watch) {
        return CommandLine::printOut(line()) ? CommandLine::exitOk : 1;
    }

    QString last;
    // Watching ends when nobody reads any more (`inspect --watch | head -1`).
    const auto tick = [&] {
        const QString current = line();
        const bool written = current == last || CommandLine::printOut(current);
        last = current;
        return written;
    };
    if (!tick())
        return 1;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &app, [&tick] {
        if (!tick())
            QCoreApplication::exit(1);
    });
    timer.start(watchIntervalMs);
    return QGuiApplication::exec();
}

} // namespace quillcraft
