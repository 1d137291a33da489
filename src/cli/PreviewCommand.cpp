#include "PreviewCommand.h"

#include "cli/CommandLine.h"
#include "cli/PreviewGallery.h"
#include "core/DevelopmentHooks.h"
#include "views/Appearance.h"
#include "views/Theme.h"

#include <QApplication>
#include <QFile>
#include <QImageWriter>

#include <memory>
#include <optional>

namespace quillcraft {

namespace {

constexpr int maximumScale = 4;

QString usage()
{
    return QStringLiteral("Usage: quillcraft preview NAME --png FILE [--scale N]\n"
                          "\n"
                          "Draws one of Quillcraft's surfaces with sample content into a PNG file, without\n"
                          "showing a window. A name ending in -light or -dark draws it in that appearance;\n"
                          "otherwise the desktop's is used. Development builds only.\n"
                          "\n"
                          "Names: %1\n"
                          "\n"
                          "Options:\n"
                          "  --png FILE  where to write the picture\n"
                          "  --scale N   device pixels per logical pixel, 1 to %2 (default 1)\n"
                          "  -h, --help  show this help\n")
        .arg(PreviewGallery::names().join(QStringLiteral(", ")))
        .arg(maximumScale);
}

struct Request {
    QString asked; // as typed
    QString name;
    std::optional<Appearance> appearance;
    QByteArray file;
    int scale = 1;
};

// The name without its appearance suffix, and the appearance it asks for.
void splitAppearance(Request& request)
{
    for (const auto& [suffix, appearance] : { std::pair { QStringLiteral("-light"), Appearance::light },
             std::pair { QStringLiteral("-dark"), Appearance::dark } }) {
        if (request.name.endsWith(suffix)) {
            request.name.chop(suffix.size());
            request.appearance = appearance;
            return;
        }
    }
}

// Fills `request` from the arguments; on a usage error says so and returns false.
bool parse(int argc, char** argv, Request& request)
{
    const QStringList arguments = CommandLine::argumentsAfterMode(argc, argv);
    std::optional<QString> png;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == QLatin1String("--png") || argument == QLatin1String("--scale")) {
            if (!hasValue) {
                CommandLine::printError(QStringLiteral("The option %1 needs a value.").arg(argument));
                return false;
            }
            const QString value = arguments[++i];
            if (argument == QLatin1String("--png")) {
                png = value;
                continue;
            }
            bool number = false;
            request.scale = value.toInt(&number);
            if (!number || request.scale < 1 || request.scale > maximumScale) {
                CommandLine::printError(
                    QStringLiteral("The scale must be a whole number from 1 to %1.").arg(maximumScale));
                return false;
            }
        } else if (argument.startsWith(QLatin1Char('-'))) {
            CommandLine::printError(
                QStringLiteral("Unknown option \"%1\"; see quillcraft preview --help.").arg(argument));
            return false;
        } else if (request.name.isEmpty()) {
            request.name = argument;
        } else {
            CommandLine::printError(QStringLiteral("Only one surface can be drawn at a time."));
            return false;
        }
    }
    if (request.name.isEmpty() || !png) {
        CommandLine::printError(QStringLiteral("Name a surface and a file: quillcraft preview NAME --png FILE."));
        return false;
    }
    request.file = CommandLine::rawArgument(argc, argv, *png);
    request.asked = request.name;
    splitAppearance(request);
    return true;
}

} // namespace

int runPreviewCommand(int argc, char** argv)
{
    const QStringList arguments = CommandLine::argumentsAfterMode(argc, argv);
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h")))
        return CommandLine::printOut(usage()) ? CommandLine::exitOk : 1;
    if (!DevelopmentHooks::isDevelopmentBuild()) {
        CommandLine::printError(QStringLiteral("Previews are drawn only by development builds of Quillcraft."));
        return 1;
    }
    Request request;
    if (!parse(argc, argv, request))
        return CommandLine::exitUsage;
    if (!PreviewGallery::names().contains(request.name)) {
        CommandLine::printError(QStringLiteral("There is no preview called \"%1\"; the names are %2.")
                                    .arg(request.asked, PreviewGallery::names().join(QStringLiteral(", "))));
        return CommandLine::exitUsage;
    }

    // Both must be in place before the application object reads them.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", QByteArray::number(request.scale));
    QApplication app(argc, argv);
    Theme::registerFont();
    AppearanceChoice::apply(request.appearance.value_or(AppearanceChoice::desktop()));

    const std::unique_ptr<QWidget> surface = PreviewGallery::make(request.name);
    surface->ensurePolished();
    // Not adjustSize(): it keeps a window within two thirds of the (small) offscreen screen.
    surface->resize(surface->sizeHint().expandedTo(surface->minimumSizeHint()));
    QImage picture(surface->size() * request.scale, QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(request.scale);
    picture.fill(Qt::transparent);
    surface->render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);

    QFile file(QFile::decodeName(request.file));
    QImageWriter writer(&file, "png");
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || !writer.write(picture)) {
        const QString reason = file.error() != QFileDevice::NoError ? file.errorString() : writer.errorString();
        CommandLine::printError(
            QStringLiteral("Cannot write the picture to \"%1\": %2.").arg(QFile::decodeName(request.file), reason));
        return 1;
    }
    return CommandLine::exitOk;
}

} // namespace quillcraft
