// A small Qt program whose fields the end-to-end tests read and write through
// the accessibility bus: a line edit, a text area inside a scroll area, a
// password field and a disabled line edit.
//
//   quillcraft_qt_target [--line TEXT] [--area TEXT] [--alone]
//
// --alone: the line field is the window, so the field's frame is the window's.

#include <QApplication>
#include <QCommandLineParser>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QWidget>

namespace {

QString defaultAreaText()
{
    QStringList lines;
    for (int i = 1; i <= 40; ++i)
        lines << QStringLiteral("Line %1 of the text area.").arg(i);
    return lines.join(QLatin1Char('\n'));
}

template <typename W> W* named(W* widget, const QString& name)
{
    widget->setObjectName(name);
    widget->setAccessibleName(name);
    return widget;
}

} // namespace

int main(int argc, char** argv)
{
    // Running Qt programs only expose themselves when this is set before the
    // application object exists (or accessibility was already on).
    qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillcraft-qt-target"));

    QCommandLineParser parser;
    const QCommandLineOption lineOption(QStringLiteral("line"), QStringLiteral("Line edit text."),
        QStringLiteral("text"), QStringLiteral("Hello there"));
    const QCommandLineOption areaOption(
        QStringLiteral("area"), QStringLiteral("Text area text."), QStringLiteral("text"), defaultAreaText());
    const QCommandLineOption aloneOption(QStringLiteral("alone"), QStringLiteral("Show the line field alone."));
    parser.addOptions({ lineOption, areaOption, aloneOption });
    parser.process(app);

    if (parser.isSet(aloneOption)) {
        QLineEdit field(parser.value(lineOption));
        named(&field, QStringLiteral("Line field"));
        field.resize(300, 40);
        field.show();
        return QApplication::exec();
    }

    QWidget window;
    window.setWindowTitle(QStringLiteral("Quillcraft Qt target"));
    auto* layout = new QVBoxLayout(&window);

    auto* line = named(new QLineEdit(parser.value(lineOption)), QStringLiteral("Line field"));
    layout->addWidget(line);

    // The text area is taller than its scroll area, so most of it is scrolled
    // out of view and only the scroll area's viewport shows.
    auto* area = named(new QTextEdit, QStringLiteral("Text area"));
    area->setPlainText(parser.value(areaOption));
    area->setFixedSize(420, 900);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* scroll = named(new QScrollArea, QStringLiteral("Scroll area"));
    scroll->setWidget(area);
    scroll->setFixedSize(460, 160);
    layout->addWidget(scroll);

    auto* password = named(new QLineEdit(QStringLiteral("secret")), QStringLiteral("Password field"));
    password->setEchoMode(QLineEdit::Password);
    layout->addWidget(password);

    auto* disabled = named(new QLineEdit(QStringLiteral("Disabled text")), QStringLiteral("Disabled field"));
    disabled->setEnabled(false);
    layout->addWidget(disabled);

    layout->addWidget(new QLabel(QStringLiteral("Quillcraft end-to-end target")));
    window.resize(520, 420);
    window.show();
    return QApplication::exec();
}
